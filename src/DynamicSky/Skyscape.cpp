#include "DynamicSky/Skyscape.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "DynamicSky/SkyFile.h"
#include "DynamicSky/SkyLevel.h"
#include "Render/PRender.h"
#include "platform/Math.h"
#include "platform/Random.h"

namespace {

constexpr float kPi = 3.14159265358979f;
constexpr float kDegrees = 0.017453292f;
constexpr std::uint32_t kDomeColour = 0x80FFFFFF;
constexpr std::int32_t kMaxGlow = 56;

Vector3 ClampColour(const Vector3& c)
{
    return {std::clamp(c.x, 0.0f, 255.0f), std::clamp(c.y, 0.0f, 255.0f), std::clamp(c.z, 0.0f, 255.0f)};
}

float Channel(const Vector3& c, std::int32_t channel)
{
    return channel == 0 ? c.x : channel == 1 ? c.y : c.z;
}

// A colour component as a byte; a value that is no number counts as 0.
std::uint32_t Byte(float value)
{
    if (!(value > 0.0f))
        return 0;
    return value >= 255.0f ? 255u : static_cast<std::uint32_t>(value);
}

std::uint32_t Argb(float alpha, const Vector3& c)
{
    return Byte(alpha) << 24 | Byte(c.x) << 16 | Byte(c.y) << 8 | Byte(c.z);
}

// A light colour component in 0..1 as the byte it stands for.
float LightComponent(float value)
{
    const std::uint32_t byte = value >= 1.0f   ? 255u
                               : value <= 0.0f ? 0u
                                               : static_cast<std::uint32_t>(255.0f * value);
    return static_cast<float>(byte) / 256.0f;
}

} // namespace

struct CPSkyscape::PartDescription {
    Vector3 direction;
    float quadSize = 0.0f;
    float distance = 0.0f;
    float baseAngle = 0.0f;
    std::vector<std::string> frames;
};

struct CPSkyscape::Description {
    float timeScale = 0.0f;
    std::int32_t startKeyframe = 0;
    float radius = 0.0f;
    float verticalScale = 0.0f;
    std::int32_t slices = 0;
    Vector3 centre;
    std::string texture;
    std::string effect;
    std::int32_t bands = 0;
    std::int32_t keyframeCount = 0;
    std::int32_t partCount = 0;
    std::string partEffects[2];
    std::int32_t setCount = 0;
    std::string layerFile;
    std::vector<SkyKeyframe> keyframes;
    std::vector<PartDescription> parts;
    std::vector<std::string> sets;
};

const Vector3& GetSunPosition()
{
    static const Vector3 kNone{};
    const CPRender* render = GetRender();
    const auto* sky = render ? dynamic_cast<const CPSkyscape*>(render->GetSky()) : nullptr;
    return sky ? sky->GetSunPosition() : kNone;
}

void InstallSkyscape(CPRender& render)
{
    render.SetSkyFactory([] { return new CPSkyscape; });
}

CPSkyscape::CPSkyscape() = default;

CPSkyscape::~CPSkyscape() = default;

// ---- Loading ----

HResult CPSkyscape::Load(const std::string& fileName)
{
    CPSkyFile file(fileName);
    Description sky;
    const bool read = file.Open() && ReadDescription(file, sky);
    if (read)
        Build(sky);
    LoadEffectB(kLightEffectName);
    return read ? S_OK : E_FAIL;
}

bool CPSkyscape::ReadDescription(CPSkyFile& file, Description& sky) const
{
    if (!ReadHeader(file, sky))
        return false;
    // Records are appended as they are read, so a count larger than the
    // file reserves nothing.
    for (std::int32_t i = 0; i < sky.keyframeCount; ++i) {
        SkyKeyframe keyframe;
        if (!ReadKeyframe(file, sky, keyframe))
            return false;
        sky.keyframes.push_back(std::move(keyframe));
    }
    for (std::int32_t i = 0; i < sky.partCount; ++i) {
        PartDescription part;
        if (!ReadPart(file, part))
            return false;
        sky.parts.push_back(std::move(part));
    }
    for (std::int32_t i = 0; i < sky.setCount; ++i) {
        std::string name;
        if (!file.ReadName(name, "a cloud-set name"))
            return false;
        sky.sets.push_back(name);
    }
    return true;
}

bool CPSkyscape::ReadHeader(CPSkyFile& file, Description& sky) const
{
    file.ReadFloat(sky.timeScale, "the time scale");
    file.ReadInt(sky.startKeyframe, "the starting keyframe");
    file.ReadFloat(sky.radius, "the dome radius");
    file.ReadFloat(sky.verticalScale, "the dome's vertical scale");
    file.ReadInt(sky.slices, "the dome's slice count");
    file.ReadVector(sky.centre, "the dome centre");
    file.ReadName(sky.texture, "the dome texture");
    file.ReadName(sky.effect, "the dome effect");
    file.ReadInt(sky.bands, "the band count");
    file.ReadInt(sky.keyframeCount, "the keyframe count");
    file.ReadInt(sky.partCount, "the sky-part count");
    file.ReadName(sky.partEffects[0], "the first sky-part effect");
    file.ReadName(sky.partEffects[1], "the second sky-part effect");
    file.ReadInt(sky.setCount, "the cloud-set count");
    file.ReadName(sky.layerFile, "the cloud-layer file");
    if (file.HasFailed())
        return false;

    if (sky.bands < 2)
        return file.Reject("a dome needs at least 2 bands, not " + std::to_string(sky.bands));
    if (sky.slices <= 0 || sky.slices % 4 != 0 || sky.slices > kMaxSlices)
        return file.Reject("the slice count " + std::to_string(sky.slices) +
                           " is not a multiple of 4 from 4 to " + std::to_string(kMaxSlices));
    if (sky.slices / (4 * static_cast<std::int64_t>(sky.bands) - 4) < 1)
        return file.Reject(std::to_string(sky.slices) + " slices give no ring to each of " +
                           std::to_string(sky.bands) + " bands");
    if (sky.keyframeCount < 1)
        return file.Reject("a sky needs at least one keyframe");
    if (sky.partCount < 0 || sky.setCount < 0)
        return file.Reject("a count of sky parts or cloud sets is negative");
    if (sky.startKeyframe < 0 || sky.startKeyframe >= sky.keyframeCount)
        sky.startKeyframe = 0;
    return true;
}

bool CPSkyscape::ReadKeyframe(CPSkyFile& file, const Description& sky, SkyKeyframe& keyframe) const
{
    file.ReadFloat(keyframe.duration, "a keyframe duration");
    file.ReadFloat(keyframe.level, "a keyframe level");
    file.ReadFloat(keyframe.domeAngle, "a keyframe dome angle");
    keyframe.domeAngle *= kDegrees;
    std::int32_t grey = 0;
    file.ReadInt(grey, "a keyframe grey channel");
    keyframe.bandColours.resize(static_cast<std::size_t>(sky.bands));
    for (Vector3& colour : keyframe.bandColours)
        file.ReadVector(colour, "a band colour");
    file.ReadVector(keyframe.sun, "a sun colour");
    file.ReadVector(keyframe.ambient, "an ambient colour");
    file.ReadVector(keyframe.colour4, "a keyframe colour 4");
    file.ReadVector(keyframe.colour3, "a keyframe colour 3");
    file.ReadVector(keyframe.fog, "a fog colour");
    file.ReadFloat(keyframe.extra.x, "an extra vector x");
    file.ReadFloat(keyframe.extra.y, "an extra vector y");
    file.ReadFloat(keyframe.extra.z, "an extra vector z");
    file.ReadInt(keyframe.brighten, "a brighten flag");
    for (std::int32_t i = 0; i < sky.partCount && !file.HasFailed(); ++i) {
        float angle = 0.0f;
        float size = 0.0f;
        std::int32_t effect = 0;
        std::int32_t frameStep = 0;
        file.ReadFloat(angle, "a sky-part angle");
        file.ReadInt(effect, "a sky-part effect choice");
        file.ReadFloat(size, "a sky-part size");
        file.ReadInt(frameStep, "a sky-part frame step");
        keyframe.partAngles.push_back(angle * kDegrees);
        keyframe.partEffects.push_back(effect);
        keyframe.partSizes.push_back(size);
        keyframe.partFrameSteps.push_back(frameStep);
    }
    if (file.HasFailed())
        return false;
    if (grey < 1 || grey > 3)
        return file.Reject("a grey channel of " + std::to_string(grey) + " is not 1, 2 or 3");
    keyframe.greyChannel = grey - 1;
    if (keyframe.brighten != 0) {
        keyframe.sun *= 2.0f;
        keyframe.ambient *= 2.0f;
    }
    return true;
}

bool CPSkyscape::ReadPart(CPSkyFile& file, PartDescription& part) const
{
    std::int32_t frameCount = 0;
    file.ReadVector(part.direction, "a sky-part direction");
    file.ReadFloat(part.quadSize, "a sky-part quad size");
    file.ReadFloat(part.distance, "a sky-part distance");
    file.ReadFloat(part.baseAngle, "a sky-part base angle");
    part.baseAngle *= kDegrees;
    file.ReadInt(frameCount, "a sky-part frame count");
    if (file.HasFailed())
        return false;
    if (frameCount < 0)
        return file.Reject("a sky part has " + std::to_string(frameCount) + " frames");
    for (std::int32_t i = 0; i < frameCount; ++i) {
        std::string frame;
        if (!file.ReadName(frame, "a sky-part frame"))
            return false;
        part.frames.push_back(frame);
    }
    return true;
}

void CPSkyscape::Build(Description& sky)
{
    m_timeScale = sky.timeScale;
    BuildDome(sky.radius, sky.slices, sky.centre, sky.verticalScale);
    LoadTexture(sky.texture);
    LoadEffectA(sky.effect);
    m_bandCount = sky.bands;
    m_ringsPerBand = sky.slices / (4 * sky.bands - 4);
    m_keyframes = std::move(sky.keyframes);

    for (const PartDescription& description : sky.parts) {
        auto part = std::make_unique<CPSkyPart>();
        part->SetEffectNames(sky.partEffects[0], sky.partEffects[1]);
        part->SetDirection(description.direction);
        part->SetDistance(description.distance);
        part->SetBaseAngle(description.baseAngle);
        for (const std::string& frame : description.frames)
            part->AddFrame(frame);
        part->BuildQuad(description.quadSize);
        m_parts.push_back(std::move(part));
    }

    for (const std::string& name : sky.sets) {
        auto set = std::make_unique<CPCloudSet>();
        set->Load(name);
        m_cloudSets[name] = std::move(set);
    }
    m_layerList.Load(sky.layerFile);

    const std::vector<CloudLayer>& layers = m_layerList.GetLayers();
    if (!layers.empty()) {
        m_currentLayer = layers.front();
        m_layerIndex = 0;
        m_layerTimer = 0.0f;
        m_fade = 0.0f;
        m_towardsOvercast = true;
        auto found = m_cloudSets.find(m_currentLayer.cloudSetName);
        if (found != m_cloudSets.end()) {
            found->second->SetShown(true, true);
            m_activeSets.push_back(found->second.get());
        }
        m_targetTime = DrawTargetTime();
    }

    m_keyframeIndex = sky.startKeyframe;
    SetUpKeyframe();
}

void CPSkyscape::BuildDome(float radius, std::int32_t slices, const Vector3& centre, float verticalScale)
{
    m_radius = radius;
    m_slices = slices;
    m_centre = centre;
    m_verticalScale = verticalScale;

    const float step = (360.0f / static_cast<float>(slices)) * kDegrees;
    const std::int32_t lastRing = slices / 4;
    const std::int32_t width = slices + 1;
    std::vector<CPMeshVertex> vertices(static_cast<std::size_t>((lastRing + 1) * width));
    for (std::int32_t r = 0; r <= lastRing; ++r) {
        const float elevation = kPi / 2.0f - static_cast<float>(r) * step;
        for (std::int32_t s = 0; s <= slices; ++s) {
            const float azimuth = static_cast<float>(s) * step;
            CPMeshVertex& vertex = vertices[static_cast<std::size_t>(r * width + s)];
            vertex.position = {centre.x + radius * std::sin(elevation) * std::cos(azimuth),
                               centre.y + radius * std::sin(elevation) * std::sin(azimuth),
                               centre.z + verticalScale * radius * std::cos(elevation)};
            vertex.normal = Normalize(-vertex.position);
            vertex.diffuse = kDomeColour;
            vertex.uv1 = {2.0f * static_cast<float>(s) / static_cast<float>(slices),
                          1.5f * static_cast<float>(r) / static_cast<float>(lastRing + 1)};
        }
    }

    std::vector<std::uint16_t> indices;
    indices.reserve(static_cast<std::size_t>(6 * lastRing * slices));
    for (std::int32_t r = 0; r < lastRing; ++r) {
        for (std::int32_t s = 0; s < slices; ++s) {
            const auto a = static_cast<std::uint16_t>(r * width + s);
            const auto w = static_cast<std::uint16_t>(width);
            const std::uint16_t triangles[6] = {
                a, static_cast<std::uint16_t>(a + w),     static_cast<std::uint16_t>(a + w + 1),
                a, static_cast<std::uint16_t>(a + w + 1), static_cast<std::uint16_t>(a + 1)};
            indices.insert(indices.end(), triangles, triangles + 6);
        }
    }
    FillBuffers(vertices, indices, false);
}

const CPCloudSet* CPSkyscape::FindCloudSet(const std::string& name) const
{
    auto found = m_cloudSets.find(name);
    return found == m_cloudSets.end() ? nullptr : found->second.get();
}

// ---- Keyframes and colours ----

Vector3 CPSkyscape::Grey(const Vector3& colour, std::int32_t channel)
{
    const float v = Channel(colour, channel);
    if (v > 20.0f)
        return {v - 20.0f, v - 20.0f, v};
    return {0.0f, 0.0f, v};
}

float CPSkyscape::FadeRatio() const
{
    // A layer without fade time has nothing to fade over.
    if (!(m_currentLayer.fadeTime > 0.0f))
        return 0.0f;
    return m_fade / m_currentLayer.fadeTime;
}

Vector3 CPSkyscape::Blend(const Vector3& current, const Vector3& overcast) const
{
    if (m_currentLayer.overcast == 0)
        return current;
    return current + (overcast - current) * FadeRatio();
}

void CPSkyscape::SetUpKeyframe()
{
    const std::size_t count = m_keyframes.size();
    const std::size_t index = static_cast<std::size_t>(m_keyframeIndex);
    const bool last = index + 1 == count;
    const SkyKeyframe& key = m_keyframes[index];
    const SkyKeyframe& next = m_keyframes[last ? 0 : index + 1];
    m_current = key;
    m_overcast = key;
    m_rates = key;
    m_bandWork.resize(key.bandColours.size());
    m_domeBands.resize(key.bandColours.size());
    m_domeColoured = false;

    // A keyframe that lasts no time has no rate of change.
    const float perTime = key.duration > 0.0f ? 1.0f / key.duration : 0.0f;
    for (std::size_t b = 0; b < key.bandColours.size(); ++b)
        m_rates.bandColours[b] = (next.bandColours[b] - key.bandColours[b]) * perTime;
    m_rates.level = (next.level - key.level) * perTime;
    m_rates.domeAngle = (next.domeAngle - key.domeAngle) * perTime;
    m_rates.extra = (next.extra - key.extra) * perTime;
    m_rates.ambient = (next.ambient - key.ambient) * perTime;
    m_rates.sun = (next.sun - key.sun) * perTime;
    m_rates.colour3 = (next.colour3 - key.colour3) * perTime;
    m_rates.colour4 = (next.colour4 - key.colour4) * perTime;
    m_rates.fog = (next.fog - key.fog) * perTime;
    for (std::size_t i = 0; i < m_parts.size(); ++i) {
        m_rates.partSizes[i] = (next.partSizes[i] - key.partSizes[i]) * perTime;
        // From the last keyframe the parts go on round to the first.
        const float from = last ? key.partAngles[i] - 2.0f * kPi : key.partAngles[i];
        m_rates.partAngles[i] = (next.partAngles[i] - from) * perTime;
    }

    for (std::size_t i = 0; i < m_parts.size(); ++i) {
        m_parts[i]->SelectEffect(key.partEffects[i]);
        if (key.partFrameSteps[i] == 1)
            m_parts[i]->NextFrame();
    }
}

void CPSkyscape::StepColours(float s)
{
    const bool overcast = m_currentLayer.overcast != 0;
    const std::int32_t grey = m_current.greyChannel;
    for (std::size_t b = 0; b < m_current.bandColours.size(); ++b) {
        m_current.bandColours[b] = ClampColour(m_current.bandColours[b] + m_rates.bandColours[b] * s);
        if (overcast)
            m_overcast.bandColours[b] = Grey(m_current.bandColours[b], grey);
    }
    m_current.ambient = ClampColour(m_current.ambient + m_rates.ambient * s);
    m_current.sun = ClampColour(m_current.sun + m_rates.sun * s);
    m_current.colour4 = ClampColour(m_current.colour4 + m_rates.colour4 * s);
    m_current.colour3 = ClampColour(m_current.colour3 + m_rates.colour3 * s);
    m_current.fog = ClampColour(m_current.fog + m_rates.fog * s);
    if (overcast) {
        m_overcast.colour4 = Grey(m_current.colour4, grey);
        m_overcast.sun = Grey(m_current.sun, grey);
        m_overcast.colour3 = Grey(m_current.colour3, grey);
        m_overcast.ambient = Grey(m_current.ambient, grey);
        m_overcast.fog = Grey(m_current.fog, grey);
    }
}

void CPSkyscape::ApplyFog()
{
    const std::uint32_t fog = Argb(255.0f, Blend(m_current.fog, m_overcast.fog));
    CPRender* render = GetRender();
    if (!render)
        return;
    render->SetFogColor(fog);
    if (render->GetDevice())
        render->GetDevice()->SetRenderState(platform::RenderState::FogColor, fog);
}

void CPSkyscape::ApplyAmbient()
{
    const Vector3 ambient = Blend(m_current.ambient, m_overcast.ambient);
    if (CPRender* render = GetRender())
        render->SetAmbient(Argb(255.0f, ambient), ambient.x / 255.0f, ambient.y / 255.0f, ambient.z / 255.0f);
}

bool CPSkyscape::ColourDome()
{
    for (std::size_t b = 0; b < m_bandWork.size(); ++b)
        m_bandWork[b] = Blend(m_current.bandColours[b], m_overcast.bandColours[b]);
    const Vector3 sun = Normalize(m_sunPosition);
    const std::uint32_t alpha = Byte(m_current.level);
    // A sky standing still (the race's) colours its dome once.
    const std::size_t bandBytes = m_bandWork.size() * sizeof(Vector3);
    if (m_domeColoured && alpha == m_domeAlpha && std::memcmp(&sun, &m_domeSun, sizeof sun) == 0 &&
        std::memcmp(m_bandWork.data(), m_domeBands.data(), bandBytes) == 0)
        return false;
    std::copy(m_bandWork.begin(), m_bandWork.end(), m_domeBands.begin());
    m_domeSun = sun;
    m_domeAlpha = alpha;
    m_domeColoured = true;
    const std::int32_t rings = m_slices / 4 + 1;

    std::int32_t ring = 0;
    Vector3 colour = m_bandWork.front();
    for (std::int32_t b = 0; b + 1 < m_bandCount; ++b) {
        const Vector3 step =
            (m_bandWork[b + 1] - m_bandWork[b]) * (1.0f / static_cast<float>(m_ringsPerBand));
        const bool lastInterval = b + 2 == m_bandCount;
        const std::int32_t end = (b + 1) * m_ringsPerBand + (lastInterval ? 1 : 0);
        colour = m_bandWork[b];
        for (ring = b * m_ringsPerBand; ring < end && ring < rings; ++ring) {
            colour = ClampColour(colour + step);
            ColourRing(ring, colour, sun);
        }
    }
    // Rings that the bands do not reach evenly keep the last colour.
    for (; ring < rings; ++ring)
        ColourRing(ring, colour, sun);
    return true;
}

void CPSkyscape::ColourRing(std::int32_t ring, const Vector3& colour, const Vector3& sun)
{
    const std::int32_t width = m_slices + 1;
    std::vector<CPMeshVertex>& source = SourceList();
    const std::uint32_t alpha = Byte(m_current.level);
    for (std::int32_t s = 0; s < width; ++s) {
        CPMeshVertex& vertex = source[static_cast<std::size_t>(ring * width + s)];
        const float glow =
            std::min(255.0f, -static_cast<float>(kMaxGlow) * std::min(0.0f, Dot(vertex.normal, sun)));
        const Vector3 lit{std::min(255.0f, colour.x + glow), std::min(255.0f, colour.y + glow),
                          std::min(255.0f, colour.z + glow)};
        vertex.diffuse = alpha << 24 | Byte(lit.x) << 16 | Byte(lit.y) << 8 | Byte(lit.z);
    }
}

// ---- The frame ----

HResult CPSkyscape::Render(float frameTime)
{
    if (m_keyframes.empty())
        return E_FAIL;
    const float s = frameTime * m_stepScale;
    const float t = frameTime * m_timeScale;

    if (m_towardsOvercast)
        m_fade = std::min(m_fade + s, m_currentLayer.fadeTime);
    else
        m_fade = std::max(m_fade - s, 0.0f);
    StepColours(s);

    m_publishedColour3 = Blend(m_current.colour3, m_overcast.colour3);
    m_publishedColour4 = Blend(m_current.colour4, m_overcast.colour4);
    m_publishedVector = m_factor * 5.0f;
    m_publishedTimeScale = m_timeScale;

    m_current.level = std::clamp(m_current.level + m_rates.level * s, 0.0f, 255.0f);
    m_current.domeAngle += m_rates.domeAngle * s;
    m_current.extra += m_rates.extra * s;
    ApplyFog();
    for (std::size_t i = 0; i < m_parts.size(); ++i) {
        m_current.partAngles[i] += m_rates.partAngles[i] * s;
        m_current.partSizes[i] += m_rates.partSizes[i] * s;
    }

    const bool recoloured = ColourDome();
    m_keyframeTimer += s;
    m_layerTimer += t;
    ApplyAmbient();

    SetUseEffectB(false);
    // The buffers keep the dome's colours until they change.
    HResult result = S_OK;
    if (recoloured || !m_domeFilled) {
        result = FillBuffers(SourceList(), GetIndices(), false);
        m_domeFilled = Succeeded(result);
    }
    if (Succeeded(result))
        result = Draw();
    DrawParts(t);
    if (platform::GraphicsDevice* device = GetSkyDevice())
        device->Clear(platform::clear::kZBuffer, 0xFF000000, 1.0f, 0);

    AdvanceKeyframe();
    AdvanceLayer();
    return result;
}

void CPSkyscape::DrawParts(float t)
{
    const float ratio = FadeRatio();
    const float others = 255.0f - 255.0f * ratio;
    const float first = 255.0f - 200.0f * ratio;
    const bool overcast = m_currentLayer.overcast != 0;
    for (std::size_t i = 0; i < m_parts.size(); ++i) {
        CPSkyPart& part = *m_parts[i];
        part.SetSize(m_current.partSizes[i]);
        part.SetCurrentAngle(m_current.partAngles[i]);
        if (overcast)
            part.SetAlpha(static_cast<std::int32_t>(i == 0 ? first : others));
        if (i == 0) {
            m_sunPosition = part.GetPosition() * 100.0f;
            UpdateSunLight(part);
        }
        part.Draw(t);
    }
    // Without a sun the light table is still applied, so it empties every
    // frame.
    if (m_parts.empty())
        if (CPRender* render = GetRender())
            render->ApplyLights();
}

void CPSkyscape::UpdateSunLight(const CPSkyPart& sun)
{
    if (CPSkyLevel* level = GetSkyLevel()) {
        platform::Light& light = level->GetSunLight();
        light.direction = Normalize(-sun.GetPosition());
        const Vector3 colour = Blend(m_current.sun, m_overcast.sun);
        const ColorValue value{LightComponent(colour.x / 255.0f), LightComponent(colour.y / 255.0f),
                               LightComponent(colour.z / 255.0f), 0.0f};
        light.diffuse = value;
        light.specular = value;
        level->RegisterLight();
    }
    if (CPRender* render = GetRender())
        render->ApplyLights();
}

void CPSkyscape::AdvanceKeyframe()
{
    if (!(m_keyframeTimer > m_keyframes[static_cast<std::size_t>(m_keyframeIndex)].duration))
        return;
    m_keyframeTimer = 0.0f;
    m_keyframeIndex = (m_keyframeIndex + 1) % static_cast<std::int32_t>(m_keyframes.size());
    SetUpKeyframe();
}

void CPSkyscape::AdvanceLayer()
{
    if (m_layerList.GetLayers().empty())
        return;
    if (m_layerTimer > m_targetTime)
        DrawLayer();
    else if (m_targetTime - m_layerTimer <= m_currentLayer.fadeTime)
        m_towardsOvercast = false;
}

void CPSkyscape::DrawLayer()
{
    const std::vector<CloudLayer>& layers = m_layerList.GetLayers();
    const std::int32_t count = static_cast<std::int32_t>(layers.size());
    // Only a layer other than the current one that can be accepted ends
    // the draw; without one the current layer simply starts again.
    bool candidates = false;
    for (std::int32_t i = 0; i < count; ++i)
        candidates = candidates || (i != m_layerIndex && layers[i].weight >= 0.0f);
    while (candidates) {
        std::int32_t candidate = 0;
        do {
            candidate = platform::Rand() % count;
        } while (candidate == m_layerIndex);
        const float r = static_cast<float>(platform::Rand() % 100) * 0.01f;
        if (r <= layers[static_cast<std::size_t>(candidate)].weight) {
            m_layerIndex = candidate;
            break;
        }
    }
    m_currentLayer = layers[static_cast<std::size_t>(m_layerIndex)];
    SwitchCloudLayer();
    m_layerTimer = 0.0f;
    m_targetTime = DrawTargetTime();
}

void CPSkyscape::SwitchCloudLayer()
{
    m_fade = 0.0f;
    m_towardsOvercast = true;
    if (m_activeSets.size() > 1)
        m_activeSets.erase(m_activeSets.begin());
    CPCloudSet* previous = m_activeSets.empty() ? nullptr : m_activeSets.front();
    auto found = m_cloudSets.find(m_currentLayer.cloudSetName);
    CPCloudSet* next = found == m_cloudSets.end() ? nullptr : found->second.get();
    if (next == previous)
        return;
    if (previous)
        previous->SetShown(false, false);
    // A layer naming a set the sky does not have shows no clouds.
    if (!next)
        return;
    next->activation = false;
    next->PlaceClouds();
    next->SetShown(true, true);
    m_activeSets.push_back(next);
}

float CPSkyscape::DrawTargetTime() const
{
    const float duration = m_currentLayer.duration;
    const float spread = m_currentLayer.spread;
    const float span = std::min(20.0f * duration * spread, 1.0e9f);
    // Under one step of 0.1 there is nothing to draw from.
    const std::int32_t steps = span >= 1.0f ? static_cast<std::int32_t>(span) : 0;
    const float drawn = steps > 0 ? 0.1f * static_cast<float>(platform::Rand() % steps) : 0.0f;
    return duration + drawn - duration * spread;
}
