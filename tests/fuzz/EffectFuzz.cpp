// Effect files: the scanner of parameters, annotations, techniques and
// passes.
#include "FuzzSupport.h"

#include "platform/EffectScanner.h"

std::vector<std::string> FuzzSeeds()
{
    return {"texture tex0;\ntechnique T { pass P { } }\n",
            "float4x4 World : WORLD;\nfloat4 Colour < string UIName = \"c\"; > = {1, 0, 0, 1};\n"
            "texture Base < string name = \"a.tga\"; >;\nsampler S = sampler_state { Texture = <Base>; };\n"
            "float Weights[3] = {0.5, 0.25, 0.25};\n"
            "technique Two < int passes = 2; > { pass A { Lighting = false; } pass B { ZEnable = true; } }\n"
            "// a comment\n/* another */ technique Other { pass P { } }\n"};
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    platform::EffectLayout layout;
    std::string error;
    platform::ScanEffectText(reinterpret_cast<const char*>(data), size, layout, &error);
    return 0;
}
