#pragma once

#include "platform/EffectParameter.h"

#include <cstddef>
#include <string>
#include <vector>

namespace platform {

// What an effect file declares: its uniform parameters and its techniques.
struct EffectLayout {
    std::vector<EffectParameter> parameters;
    std::vector<EffectTechnique> techniques;
};

// Reads the declarations of an effect file's text without compiling any
// shader: parameters (type, name, semantic, annotations, default values),
// techniques and their passes with their states. Functions and structure
// bodies are skipped; preprocessor lines are ignored. Returns false with a
// message naming the line when braces, brackets, parentheses, strings or
// comments do not close, or a declaration cannot be read.
bool ScanEffectText(const char* text, std::size_t size, EffectLayout& layout, std::string* error = nullptr);

} // namespace platform
