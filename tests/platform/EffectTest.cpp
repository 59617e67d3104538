#include "platform/Effect.h"
#include "platform/EffectScanner.h"
#include "platform/HeadlessGraphicsDevice.h"
#include "platform/Random.h"

#include <gtest/gtest.h>

#include <cstring>

using platform::Effect;
using platform::EffectLayout;
using platform::EffectParameter;
using platform::EffectPool;
using platform::EffectValueType;

namespace {

const char* const kPaint = R"fx(// car paint
#define QUALITY \
        2
shared float4x4 g_mViewProjection : VIEWPROJECTION;
shared float4 g_vLight : LightDirection = {0.0, 0.0, -1.0, 0.0};
shared float4 g_vAmbient = 0.25;
float time : TIME < string UIName = "Time"; float UIMin = -1.5; >;
float4 tint[2] = { 1, 0.5, 0.25, 1,  -2, 3e1, 0x10, .5f };
bool useFog = true;
string title = "paint \"gloss\"";
texture tex0 < string ResourceName = "car.tga"; >;
Texture tex1;
texture tex3;
sampler2D sampler0 = sampler_state { Texture = <tex0>; MinFilter = Linear; };
static const float PI = 3.14159;
matrix<float, 3, 4> bones;
struct VS_OUT { float4 pos : POSITION; float2 uv : TEXCOORD0; };
VS_OUT VS(float4 pos : POSITION, uniform float scale)
{
    VS_OUT o; o.pos = mul(pos, g_mViewProjection) * scale; o.uv = 0; return o;
}
float4 PS(VS_OUT i) : COLOR { return tex2D(sampler0, i.uv) * tint[0]; }
/* a block
   comment */
technique Paint < string Mode = "day"; >
{
    pass P0 { VertexShader = compile vs_2_0 VS(1.0); PixelShader = compile ps_2_0 PS(); AlphaBlendEnable = false; }
    pass P1 < int Layer = 2; > { ZWriteEnable = false; }
}
technique Fallback { pass { FillMode = Wireframe; } }
)fx";

std::unique_ptr<Effect> Make(const char* text, EffectPool* pool = nullptr)
{
    std::string error;
    std::unique_ptr<Effect> effect = Effect::Create(text, std::strlen(text), pool, &error);
    EXPECT_TRUE(effect) << error;
    return effect;
}

std::vector<float> Values(const EffectParameter* parameter)
{
    return parameter ? parameter->values : std::vector<float>();
}

} // namespace

TEST(EffectScanner, FindsParametersWithTypesSemanticsAnnotationsAndDefaults)
{
    EffectLayout layout;
    std::string error;
    ASSERT_TRUE(platform::ScanEffectText(kPaint, std::strlen(kPaint), layout, &error)) << error;

    std::vector<std::string> names;
    for (const EffectParameter& p : layout.parameters)
        names.push_back(p.name);
    // The static constant is the shader's own and no parameter.
    EXPECT_EQ(names,
              (std::vector<std::string>{"g_mViewProjection", "g_vLight", "g_vAmbient", "time", "tint",
                                        "useFog", "title", "tex0", "tex1", "tex3", "sampler0", "bones"}));
    ASSERT_EQ(layout.parameters.size(), 12u);
    const EffectParameter& viewProjection = layout.parameters[0];
    EXPECT_TRUE(viewProjection.shared);
    EXPECT_EQ(viewProjection.semantic, "VIEWPROJECTION");
    EXPECT_EQ(viewProjection.rows, 4);
    EXPECT_EQ(viewProjection.columns, 4);
    EXPECT_EQ(viewProjection.values, std::vector<float>(16, 0.0f));
    EXPECT_EQ(layout.parameters[1].values, (std::vector<float>{0.0f, 0.0f, -1.0f, 0.0f}));
    EXPECT_EQ(layout.parameters[2].values, std::vector<float>(4, 0.25f)); // one number fills all four

    const EffectParameter& time = layout.parameters[3];
    EXPECT_FALSE(time.shared);
    EXPECT_EQ(time.semantic, "TIME");
    ASSERT_EQ(time.annotations.size(), 2u);
    EXPECT_EQ(platform::FindAnnotation(time.annotations, "UIName")->text, "Time");
    EXPECT_EQ(platform::FindAnnotation(time.annotations, "UIMin")->numbers, std::vector<float>{-1.5f});

    const EffectParameter& tint = layout.parameters[4];
    EXPECT_EQ(tint.elements, 2);
    EXPECT_EQ(tint.values, (std::vector<float>{1.0f, 0.5f, 0.25f, 1.0f, -2.0f, 30.0f, 16.0f, 0.5f}));
    EXPECT_EQ(layout.parameters[5].type, EffectValueType::Bool);
    EXPECT_EQ(layout.parameters[5].values, std::vector<float>{1.0f});
    EXPECT_EQ(layout.parameters[6].type, EffectValueType::String);
    EXPECT_EQ(layout.parameters[6].text, "paint \"gloss\"");
    EXPECT_EQ(layout.parameters[7].type, EffectValueType::Texture);
    EXPECT_EQ(platform::FindAnnotation(layout.parameters[7].annotations, "ResourceName")->text, "car.tga");
    EXPECT_EQ(layout.parameters[8].type, EffectValueType::Texture); // object types ignore case
    EXPECT_EQ(layout.parameters[10].type, EffectValueType::Sampler);
    EXPECT_EQ(layout.parameters[10].samplerTexture, "tex0");
    EXPECT_EQ(layout.parameters[11].rows, 3);
    EXPECT_EQ(layout.parameters[11].columns, 4);
    EXPECT_EQ(layout.parameters[11].values.size(), 12u);
}

TEST(EffectScanner, FindsTechniquesWithTheirPassesAndStates)
{
    EffectLayout layout;
    ASSERT_TRUE(platform::ScanEffectText(kPaint, std::strlen(kPaint), layout));
    ASSERT_EQ(layout.techniques.size(), 2u);
    const platform::EffectTechnique& paint = layout.techniques[0];
    EXPECT_EQ(paint.name, "Paint");
    EXPECT_EQ(platform::FindAnnotation(paint.annotations, "Mode")->text, "day");
    ASSERT_EQ(paint.passes.size(), 2u);
    EXPECT_EQ(paint.passes[0].name, "P0");
    using State = std::pair<std::string, std::string>;
    EXPECT_EQ(paint.passes[0].states, (std::vector<State>{{"VertexShader", "compile vs_2_0 VS ( 1.0 )"},
                                                          {"PixelShader", "compile ps_2_0 PS ( )"},
                                                          {"AlphaBlendEnable", "false"}}));
    EXPECT_EQ(platform::FindAnnotation(paint.passes[1].annotations, "Layer")->numbers,
              std::vector<float>{2.0f});
    const platform::EffectTechnique& fallback = layout.techniques[1];
    EXPECT_EQ(fallback.name, "Fallback");
    ASSERT_EQ(fallback.passes.size(), 1u);
    EXPECT_EQ(fallback.passes[0].name, "");
    EXPECT_EQ(fallback.passes[0].states, (std::vector<State>{{"FillMode", "Wireframe"}}));
}

TEST(Effect, HandlesResolveByNameAndSemantic)
{
    auto effect = Make(kPaint);
    ASSERT_TRUE(effect);
    EXPECT_EQ(effect->ParameterCount(), 12u);
    EXPECT_EQ(effect->ParameterByName("time"), effect->Parameter(3));
    EXPECT_EQ(effect->ParameterByName("Time"), nullptr); // names are exact
    EXPECT_EQ(effect->ParameterBySemantic("viewprojection"), effect->ParameterByName("g_mViewProjection"));
    EXPECT_EQ(effect->ParameterBySemantic("LIGHTDIRECTION"), effect->ParameterByName("g_vLight"));
    EXPECT_EQ(effect->ParameterBySemantic("NOSUCH"), nullptr);

    // The texture handles tex0, tex1, ... up to the first missing one.
    std::vector<EffectParameter*> textures;
    for (int i = 0;; ++i) {
        EffectParameter* handle = effect->ParameterByName("tex" + std::to_string(i));
        if (!handle)
            break;
        textures.push_back(handle);
    }
    EXPECT_EQ(textures.size(), 2u);
    EXPECT_NE(effect->ParameterByName("tex3"), nullptr);
}

TEST(Effect, SetValuesAreKeptAndTypeChecked)
{
    auto effect = Make(kPaint);
    ASSERT_TRUE(effect);
    EffectParameter* viewProjection = effect->ParameterByName("g_mViewProjection");
    EffectParameter* light = effect->ParameterByName("g_vLight");
    EffectParameter* time = effect->ParameterByName("time");
    EffectParameter* bones = effect->ParameterByName("bones");
    EffectParameter* tint = effect->ParameterByName("tint");
    EffectParameter* tex0 = effect->ParameterByName("tex0");
    EffectParameter* title = effect->ParameterByName("title");

    Matrix4 m;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            m.m[r][c] = static_cast<float>(10 * r + c);
    EXPECT_EQ(effect->SetMatrix(viewProjection, m), S_OK);
    EXPECT_EQ(Values(viewProjection),
              (std::vector<float>{0, 1, 2, 3, 10, 11, 12, 13, 20, 21, 22, 23, 30, 31, 32, 33}));
    EXPECT_EQ(effect->SetMatrix(bones, m), S_OK); // three rows of four
    EXPECT_EQ(Values(bones), (std::vector<float>{0, 1, 2, 3, 10, 11, 12, 13, 20, 21, 22, 23}));
    EXPECT_EQ(effect->SetVector(light, {1.0f, 2.0f, 3.0f, 4.0f}), S_OK);
    EXPECT_EQ(Values(light), (std::vector<float>{1, 2, 3, 4}));
    EXPECT_EQ(effect->SetFloat(time, 2.5f), S_OK);
    EXPECT_EQ(effect->SetFloat(time, 3.5f), S_OK);
    EXPECT_EQ(Values(time), std::vector<float>{3.5f});
    EXPECT_EQ(time->setCount, 2u);
    const float nine[9] = {9, 8, 7, 6, 5, 4, 3, 2, 1}; // one more than the array holds
    EXPECT_EQ(effect->SetFloatArray(tint, nine, 9), S_OK);
    EXPECT_EQ(Values(tint), (std::vector<float>{9, 8, 7, 6, 5, 4, 3, 2}));
    int texture = 0;
    EXPECT_EQ(effect->SetTexture(tex0, &texture), S_OK);
    EXPECT_EQ(tex0->texture, &texture);
    EXPECT_EQ(effect->SetString(title, "matt"), S_OK);
    EXPECT_EQ(title->text, "matt");

    // Wrong kinds of value and missing handles are refused and change nothing.
    EXPECT_EQ(effect->SetTexture(time, &texture), E_INVALIDARG);
    EXPECT_EQ(effect->SetFloat(tex0, 1.0f), E_INVALIDARG);
    EXPECT_EQ(effect->SetString(time, "x"), E_INVALIDARG);
    EXPECT_EQ(effect->SetFloat(nullptr, 1.0f), E_INVALIDARG);
    EXPECT_EQ(effect->SetMatrix(nullptr, m), E_INVALIDARG);
    EXPECT_EQ(Values(time), std::vector<float>{3.5f});
    EXPECT_EQ(time->setCount, 2u);
}

TEST(Effect, TechniqueSelectionAndDrawnPassesAreRecorded)
{
    auto effect = Make(kPaint);
    ASSERT_TRUE(effect);
    const platform::EffectTechnique* first = effect->FindNextValidTechnique(nullptr);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->name, "Paint");
    EXPECT_EQ(effect->CurrentTechnique(), first);
    const platform::EffectTechnique* second = effect->FindNextValidTechnique(first);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second, effect->TechniqueByName("Fallback"));
    EXPECT_EQ(effect->FindNextValidTechnique(second), nullptr);

    unsigned passes = 0;
    EXPECT_EQ(effect->Begin(&passes), S_OK);
    EXPECT_EQ(passes, 2u);
    EXPECT_EQ(effect->Begin(&passes), E_FAIL);             // already begun
    EXPECT_EQ(effect->SetTechnique(second), E_INVALIDARG); // not while drawing
    EXPECT_EQ(effect->BeginPass(2), E_FAIL);
    for (unsigned pass = 0; pass < passes; ++pass) {
        EXPECT_EQ(effect->BeginPass(pass), S_OK);
        EXPECT_EQ(effect->CommitChanges(), S_OK);
        EXPECT_EQ(effect->EndPass(), S_OK);
    }
    EXPECT_EQ(effect->EndPass(), E_FAIL);
    EXPECT_EQ(effect->End(), S_OK);

    EXPECT_EQ(effect->SetTechnique(second), S_OK);
    EXPECT_EQ(effect->Begin(&passes), S_OK);
    EXPECT_EQ(passes, 1u);
    EXPECT_EQ(effect->BeginPass(0), S_OK);
    EXPECT_EQ(effect->EndPass(), S_OK);
    EXPECT_EQ(effect->End(), S_OK);
    EXPECT_EQ(effect->CommitChanges(), E_FAIL);

    const auto& drawn = effect->DrawnPasses();
    ASSERT_EQ(drawn.size(), 3u);
    EXPECT_EQ(drawn[0].technique, first);
    EXPECT_EQ(drawn[0].pass, 0u);
    EXPECT_EQ(drawn[0].commits, 1u);
    EXPECT_EQ(drawn[1].pass, 1u);
    EXPECT_EQ(drawn[2].technique, second);
    EXPECT_EQ(drawn[2].commits, 0u);
    effect->ClearRecords();
    EXPECT_TRUE(effect->DrawnPasses().empty());

    // Drawn frame after frame, it keeps only its latest passes.
    for (unsigned frame = 0; frame < 1000; ++frame) {
        EXPECT_EQ(effect->SetTechnique(frame % 2 ? second : first), S_OK);
        EXPECT_EQ(effect->Begin(&passes), S_OK);
        EXPECT_EQ(effect->BeginPass(0), S_OK);
        EXPECT_EQ(effect->EndPass(), S_OK);
        EXPECT_EQ(effect->End(), S_OK);
    }
    ASSERT_LE(effect->DrawnPasses().size(), platform::Effect::kPassRecordLimit);
    ASSERT_GE(effect->DrawnPasses().size(), 2u);
    EXPECT_EQ(effect->DrawnPasses().back().technique, second);
    EXPECT_EQ(effect->DrawnPasses().end()[-2].technique, first);

    // A technique of another effect is not ours to select.
    auto other = Make(kPaint);
    EXPECT_EQ(effect->SetTechnique(other->Technique(0)), E_INVALIDARG);
    EXPECT_EQ(effect->SetTechnique(nullptr), E_INVALIDARG);
}

TEST(Effect, SharedParametersAreOneRecordAcrossThePool)
{
    const char* const a = "shared float4 g_vAmbient = 0.25; float4 own = 1; technique A { pass { } }";
    const char* const b = "shared float4 g_vAmbient = 1; float4 own = 2; technique B { pass { } }";
    auto pool = std::make_unique<EffectPool>();
    auto first = Make(a, pool.get());
    auto second = Make(b, pool.get());
    auto outside = Make(b);
    ASSERT_TRUE(first && second && outside);

    EffectParameter* ambient = first->ParameterByName("g_vAmbient");
    EXPECT_EQ(second->ParameterByName("g_vAmbient"), ambient);
    EXPECT_EQ(Values(ambient), std::vector<float>(4, 0.25f)); // the first declaration's default stays
    EXPECT_EQ(first->SetVector(ambient, {0.1f, 0.2f, 0.3f, 1.0f}), S_OK);
    EXPECT_EQ(Values(second->ParameterByName("g_vAmbient")), (std::vector<float>{0.1f, 0.2f, 0.3f, 1.0f}));
    EXPECT_EQ(pool->Count(), 1u);

    // Without the pool, and for parameters not marked shared, each effect has its own.
    EXPECT_NE(outside->ParameterByName("g_vAmbient"), ambient);
    EXPECT_EQ(Values(outside->ParameterByName("g_vAmbient")), std::vector<float>(4, 1.0f));
    EXPECT_NE(first->ParameterByName("own"), second->ParameterByName("own"));

    // A shared name declared with another size refuses the whole effect and
    // adds nothing to the pool.
    const char* const clash = "shared float extra; shared float3 g_vAmbient; technique C { pass { } }";
    std::string error;
    EXPECT_EQ(Effect::Create(clash, std::strlen(clash), pool.get(), &error), nullptr);
    EXPECT_NE(error.find("g_vAmbient"), std::string::npos) << error;
    EXPECT_EQ(pool->Count(), 1u);
    EXPECT_EQ(pool->Find("extra"), nullptr);

    // Effects keep their shared records when the pool goes first.
    pool.reset();
    EXPECT_EQ(second->SetFloat(second->ParameterByName("g_vAmbient"), 5.0f), S_OK);
    EXPECT_EQ(Values(first->ParameterByName("g_vAmbient"))[0], 5.0f);
}

TEST(Effect, MalformedTextFailsWithTheLineAndReason)
{
    struct BadCase {
        const char* text;
        const char* reason;
    };
    const BadCase cases[] = {
        {"technique T { pass P { ZEnable = true; }", "line 1: '{' is never closed"},
        {"float4 a = {1, 2);", "line 1: ')' closes the '{' of line 1"},
        {"float a;\n}\n", "line 2: '}' has no opening '{'"},
        {"float a;\n\nstring s = \"open;\n", "line 3: string is never closed"},
        {"float a;\n/* never closed\n", "line 2: comment is never closed"},
        {"float4 a = 1", "expected ';'"},
        {"float a;\nbanana b;", "line 2: unknown type, found 'banana'"},
        {"technique T { P0 { } }", "expected 'pass'"},
        {"float a[100000];", "array size"},
        {"float4 a < string n = \"x\" >;", "expected ';'"},
        {"vector<float, 9> v;", "size of 1 to 4"},
        {"float 4;", "expected a name"},
    };
    for (const BadCase& c : cases) {
        SCOPED_TRACE(c.text);
        std::string error;
        EXPECT_EQ(Effect::Create(c.text, std::strlen(c.text), nullptr, &error), nullptr);
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    }
}

TEST(Effect, EveryTruncationOfAFileIsReadOrRefusedSafely)
{
    // A file cut anywhere must never crash the scanner; the cuts that end
    // inside the first technique's braces are refused.
    std::string text = kPaint;
    std::size_t open = text.find('{', text.find("technique Paint"));
    std::size_t close = text.find("}\ntechnique Fallback");
    int refused = 0;
    for (std::size_t size = 0; size < text.size(); ++size) {
        std::string error;
        std::unique_ptr<Effect> effect = Effect::Create(kPaint, size, nullptr, &error);
        if (!effect) {
            EXPECT_FALSE(error.empty());
            ++refused;
        }
        if (size > open && size <= close) {
            EXPECT_EQ(effect, nullptr) << "cut at " << size;
        }
    }
    EXPECT_GT(refused, 0);
}

TEST(Effect, RandomPiecesOfEffectSyntaxNeverCrashTheScanner)
{
    static const char* const kPieces[] = {
        "{",         "}",      "(",      ")",       "[",
        "]",         "<",      ">",      ";",       ",",
        ":",         "=",      "-",      "\"",      "\n",
        "/*",        "*/",     "//",     "#x\n",    "float4",
        "float4x4",  "matrix", "vector", "texture", "sampler_state",
        "Texture",   "string", "struct", "shared",  "static",
        "technique", "pass",   "a",      "b",       "1",
        "0x1F",      "2.5e",   "true",   "\"s\"",   "compile",
    };
    platform::SeedRand(7);
    const std::size_t pieceCount = sizeof(kPieces) / sizeof(kPieces[0]);
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        int pieces = 1 + platform::Rand() % 40;
        for (int i = 0; i < pieces; ++i)
            text += std::string(kPieces[static_cast<std::size_t>(platform::Rand()) % pieceCount]) + " ";
        std::string error;
        std::unique_ptr<Effect> effect = Effect::Create(text.data(), text.size(), nullptr, &error);
        if (!effect) {
            EXPECT_FALSE(error.empty()) << text;
        }
    }
}

TEST(Effect, TextWithABinaryByteIsRefusedAndAByteOrderMarkIsNot)
{
    const std::string marked = "\xEF\xBB\xBF"
                               "float a;\r\ntechnique T { pass { } }\r\n";
    auto effect = Make(marked.c_str());
    ASSERT_TRUE(effect);
    EXPECT_EQ(effect->ParameterCount(), 1u);

    const char text[] = "float a;\n\x01 float b;";
    std::string error;
    EXPECT_EQ(Effect::Create(text, sizeof(text) - 1, nullptr, &error), nullptr);
    EXPECT_NE(error.find("line 2: unexpected control character"), std::string::npos) << error;
}

namespace {

// A device that notes the passes told to it.
class PassWatchingDevice : public platform::HeadlessGraphicsDevice {
  public:
    void BeginEffectPass(const Effect& effect, const platform::EffectPass& pass) override
    {
        seen.push_back(&effect == expected ? pass.name : "other effect");
    }
    void EndEffectPass() override { seen.push_back("end"); }

    const Effect* expected = nullptr;
    std::vector<std::string> seen;
};

} // namespace

// Passes reach the device the effect was made on, and no other: two
// devices in one process each hear only their own effects.
TEST(Effect, PassesReachTheDeviceTheEffectWasMadeOn)
{
    const char text[] = "technique T { pass First { } pass Second { } }";
    PassWatchingDevice mine;
    PassWatchingDevice other;
    std::string error;
    auto effect = Effect::Create(text, sizeof(text) - 1, nullptr, &error, &mine);
    auto deviceless = Effect::Create(text, sizeof(text) - 1, nullptr, &error);
    ASSERT_TRUE(effect && deviceless) << error;
    mine.expected = effect.get();
    unsigned passes = 0;
    ASSERT_EQ(effect->Begin(&passes), S_OK);
    ASSERT_EQ(effect->BeginPass(0), S_OK);
    ASSERT_EQ(effect->CommitChanges(), S_OK);
    ASSERT_EQ(effect->EndPass(), S_OK);
    ASSERT_EQ(effect->BeginPass(1), S_OK);
    ASSERT_EQ(effect->End(), S_OK); // ends the open pass too
    ASSERT_EQ(deviceless->Begin(&passes), S_OK);
    ASSERT_EQ(deviceless->BeginPass(0), S_OK);
    deviceless->EndPass();
    deviceless->End();
    EXPECT_EQ(mine.seen, (std::vector<std::string>{"First", "First", "end", "Second", "end"}));
    EXPECT_TRUE(other.seen.empty());
}
