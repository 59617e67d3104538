#include "Render/PEffect.h"

#include <cstdio>

#include "Render/EffectLibrary.h"
#include "Render/PRender.h"
#include "core/FileReader.h"
#include "core/Log.h"
#include "core/Tokenizer.h"
#include "platform/Effect.h"
#include "platform/TextureLoader.h"

namespace {

constexpr const char* kSourceName = "Render\\PEffect";
constexpr int kEffectFailureLine = 69;
constexpr int kSimpleFailureLine = 89;
constexpr const char* kEffectFolder = "Data\\Effects";
constexpr const char* kSimpleEffect = "simple.fx";

// Reads a data file whole; false (the reader logs why) when it cannot.
bool ReadDataFile(const std::string& path, std::vector<std::uint8_t>& bytes)
{
    CPFileReader reader(path, false);
    if (Failed(reader.Load()))
        return false;
    bytes.assign(reader.GetData(), reader.GetData() + reader.GetDataSize());
    return true;
}

} // namespace

CPEffect::CPEffect() = default;

CPEffect::~CPEffect()
{
    if (m_library)
        m_library->Forget(this);
}

void CPEffect::OnLostDevice()
{
    if (m_effect)
        m_effect->OnLostDevice();
}

void CPEffect::OnResetDevice()
{
    if (m_effect)
        m_effect->OnResetDevice();
}

bool CPEffect::Create(const std::vector<std::uint8_t>& text, bool pooled, int failureLine,
                      const std::string& path)
{
    platform::EffectPool* pool = pooled && m_library ? &m_library->GetPool() : nullptr;
    std::string why;
    platform::GraphicsDevice* device = GetRender() ? GetRender()->GetDevice() : nullptr;
    m_effect =
        platform::Effect::Create(reinterpret_cast<const char*>(text.data()), text.size(), pool, &why, device);
    if (m_effect)
        return true;
    ReportDXError(kSourceName, failureLine, platform::kInvalidData);
    LogLine("Effect file \"" + path + "\" cannot be made an effect: " + why);
    return false;
}

bool CPEffect::Load(const std::string& name)
{
    if (m_name != name)
        m_name = name;
    CPTokenizer tokenizer(name, ",", false);
    std::string fileName;
    tokenizer.NextToken(fileName);
    bool shared = false;
    for (std::string option; tokenizer.NextToken(option);)
        shared = shared || option == "shared";

    m_effect.reset();
    const std::string path = std::string(kEffectFolder) + "\\" + fileName;
    std::vector<std::uint8_t> text;
    bool pooled = shared;
    if (ReadDataFile(path, text)) {
        if (!Create(text, shared, kEffectFailureLine, path))
            return false;
    } else {
        // The common effect stands in, always outside the pool.
        const std::string simplePath = std::string(kEffectFolder) + "\\" + kSimpleEffect;
        if (!ReadDataFile(simplePath, text)) {
            LogLine("Effect \"" + name + "\" cannot be loaded, nor can \"" + kSimpleEffect + "\"");
            return false;
        }
        LogLine("Effect \"" + name + "\": its file is missing; \"" + kSimpleEffect + "\" stands in for it");
        if (!Create(text, false, kSimpleFailureLine, simplePath))
            return false;
        pooled = false;
    }

    // Only an effect whose parameters are in the pool can serve as the
    // one the shared parameters are set through.
    if (pooled && m_library)
        m_library->OfferSharedEffect(this);
    m_effect->SetTechnique(m_effect->FindNextValidTechnique(nullptr));
    FindHandles();
    return true;
}

void CPEffect::FindHandles()
{
    m_textureHandles.clear();
    m_timeHandle = m_effect->ParameterByName("time");
    for (int i = 0;; ++i) {
        char parameterName[16];
        std::snprintf(parameterName, sizeof parameterName, "tex%d", i);
        platform::EffectParameter* handle = m_effect->ParameterByName(parameterName);
        if (!handle)
            break;
        m_textureHandles.push_back(handle);
    }
}
