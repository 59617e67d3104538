#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

// What a parameter of an effect file holds.
enum class EffectValueType { Bool, Int, Float, String, Texture, Sampler, Shader, Struct };

// An annotation: `<type name = value;>` after a parameter, technique or pass.
struct EffectAnnotation {
    std::string typeName;
    std::string name;
    std::vector<float> numbers; // the numbers of the value, in order
    std::string text;           // a string value without its quotes, or the value as written
};

// One parameter of an effect file. Numeric parameters keep their values as
// floats, rows * columns per element, row by row; the declared default
// fills them where the file gives one, zeros otherwise.
struct EffectParameter {
    std::string typeName; // as written: "float4x4", "texture", a struct's name
    EffectValueType type = EffectValueType::Float;
    int rows = 1;
    int columns = 1;
    int elements = 0; // 0 when not an array
    std::string name;
    std::string semantic;
    bool shared = false;
    std::vector<EffectAnnotation> annotations;

    std::vector<float> values;
    std::string text;              // string parameters
    const void* texture = nullptr; // the texture set on a texture parameter
    std::string samplerTexture;    // samplers: the texture parameter their state names
    std::uint32_t setCount = 0;    // how many set calls reached this parameter

    bool IsNumeric() const
    {
        return type == EffectValueType::Bool || type == EffectValueType::Int ||
               type == EffectValueType::Float;
    }
    // Number of floats one element holds.
    int ElementSize() const { return rows * columns; }
};

struct EffectPass {
    std::string name;
    std::vector<EffectAnnotation> annotations;
    std::vector<std::pair<std::string, std::string>> states; // state name, value as written
};

struct EffectTechnique {
    std::string name;
    std::vector<EffectAnnotation> annotations;
    std::vector<EffectPass> passes;
};

// The annotation of that name, or null.
const EffectAnnotation* FindAnnotation(const std::vector<EffectAnnotation>& annotations,
                                       std::string_view name);

} // namespace platform
