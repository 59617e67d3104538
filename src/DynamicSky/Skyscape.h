#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "DynamicSky/CloudLayerList.h"
#include "DynamicSky/CloudSet.h"
#include "DynamicSky/SkyKeyframe.h"
#include "DynamicSky/SkyPart.h"
#include "DynamicSky/VertexObject.h"
#include "DynamicSky/VolumeCloud.h"
#include "Render/RenderSky.h"

class CPRender;
class CPSkyFile;

// The level's sky: a dome whose vertex colours follow a cycle of
// keyframes, sky parts (sun, moon and the like) travelling round it, and
// cloud sets that come and go with weighted random cloud layers. It is
// read from a skyscape file in "Data\Clouds\" and drawn once a frame
// before the scene, feeding the scene's ambient light, fog and sun light.
class CPSkyscape : public CPVertexObject, public CPRenderSky {
  public:
    static constexpr const char* kLightEffectName = "data/effects/skyscape_light.fx";
    // The largest dome the buffers hold.
    static constexpr std::int32_t kMaxSlices = 200;

    CPSkyscape();
    ~CPSkyscape() override;

    // Reads the skyscape file and builds the sky. E_FAIL, with a line in
    // the log, when the file cannot be read, is cut short or holds values
    // the sky cannot be built from; the sky then stays empty and draws
    // nothing. Cloud sets and the cloud-layer file that fail are logged
    // and left out; the sky goes on without them.
    HResult Load(const std::string& fileName) override;
    // Only a sky with keyframes draws, and only its first part, the sun,
    // lights the level.
    bool LightsLevel() const override { return !m_keyframes.empty() && !m_parts.empty(); }
    // Moves the sky on, feeds the scene's lights and fog, draws the dome
    // and the parts and clears the depth buffer. E_FAIL for an empty sky.
    HResult Render(float frameTime) override;

    // The sky step is the frame time times this scale: 0, so the sky stays
    // on its starting keyframe and never fades; layers still switch on the
    // frame time times the time scale.
    void SetStepScale(float scale) { m_stepScale = scale; }

    // Loaded values.
    float GetTimeScale() const { return m_timeScale; }
    float GetRadius() const { return m_radius; }
    std::int32_t GetSlices() const { return m_slices; }
    float GetVerticalScale() const { return m_verticalScale; }
    const Vector3& GetCentre() const { return m_centre; }
    std::int32_t GetBandCount() const { return m_bandCount; }
    std::int32_t GetRingsPerBand() const { return m_ringsPerBand; }
    const std::vector<SkyKeyframe>& GetKeyframes() const { return m_keyframes; }
    const std::vector<std::unique_ptr<CPSkyPart>>& GetParts() const { return m_parts; }
    const CPCloudSet* FindCloudSet(const std::string& name) const;
    const std::vector<CloudLayer>& GetLayers() const { return m_layerList.GetLayers(); }
    const CPVolumeCloud& GetVolumeCloud() const { return m_volumeCloud; }

    // Working state.
    std::int32_t GetKeyframeIndex() const { return m_keyframeIndex; }
    float GetKeyframeTimer() const { return m_keyframeTimer; }
    const SkyKeyframe& GetRates() const { return m_rates; }
    const SkyKeyframe& GetCurrent() const { return m_current; }
    // The first sky part's position times 100 as this sky drew it last;
    // zero before it drew a sun.
    const Vector3& GetSunPosition() const { return m_sunPosition; }
    const SkyKeyframe& GetOvercast() const { return m_overcast; }
    const CloudLayer& GetCurrentLayer() const { return m_currentLayer; }
    std::int32_t GetLayerIndex() const { return m_layerIndex; }
    float GetLayerTimer() const { return m_layerTimer; }
    float GetTargetTime() const { return m_targetTime; }
    float GetFade() const { return m_fade; }
    bool IsFadingTowardsOvercast() const { return m_towardsOvercast; }
    const std::vector<CPCloudSet*>& GetActiveSets() const { return m_activeSets; }

    // Published values.
    const Vector3& GetPublishedColour3() const { return m_publishedColour3; }
    const Vector3& GetPublishedColour4() const { return m_publishedColour4; }
    const Vector3& GetPublishedVector() const { return m_publishedVector; }
    float GetPublishedTimeScale() const { return m_publishedTimeScale; }

    // The overcast grey of a colour, made from one of its channels.
    static Vector3 Grey(const Vector3& colour, std::int32_t channel);

  private:
    struct PartDescription;
    struct Description;

    bool ReadDescription(CPSkyFile& file, Description& sky) const;
    bool ReadHeader(CPSkyFile& file, Description& sky) const;
    bool ReadKeyframe(CPSkyFile& file, const Description& sky, SkyKeyframe& keyframe) const;
    bool ReadPart(CPSkyFile& file, PartDescription& part) const;
    void Build(Description& sky);
    void BuildDome(float radius, std::int32_t slices, const Vector3& centre, float verticalScale);

    void SetUpKeyframe();
    Vector3 Blend(const Vector3& current, const Vector3& overcast) const;
    float FadeRatio() const;
    void StepColours(float s);
    void ApplyFog();
    void ApplyAmbient();
    // Colours the dome's rings; false, colouring nothing, when the colours
    // and the sun are bit for bit those the dome was coloured with last.
    bool ColourDome();
    void ColourRing(std::int32_t ring, const Vector3& colour, const Vector3& sun);
    void DrawParts(float t);
    void UpdateSunLight(const CPSkyPart& sun);
    void AdvanceKeyframe();
    void AdvanceLayer();
    void DrawLayer();
    void SwitchCloudLayer();
    float DrawTargetTime() const;

    // Loaded values.
    float m_timeScale = 4.0f;
    float m_radius = 0.0f;
    std::int32_t m_slices = 0;
    float m_verticalScale = 0.0f;
    Vector3 m_centre;
    std::int32_t m_bandCount = 0;
    std::int32_t m_ringsPerBand = 0;
    std::vector<SkyKeyframe> m_keyframes;
    std::vector<std::unique_ptr<CPSkyPart>> m_parts;
    std::map<std::string, std::unique_ptr<CPCloudSet>> m_cloudSets;
    CPCloudLayerList m_layerList;
    CPVolumeCloud m_volumeCloud;

    // Working state.
    std::int32_t m_keyframeIndex = 0;
    float m_keyframeTimer = 0.0f;
    SkyKeyframe m_rates;
    SkyKeyframe m_current;
    SkyKeyframe m_overcast;
    std::vector<Vector3> m_bandWork; // blended band colours of the frame
    // What the dome's rings were coloured from last, and whether the
    // buffers hold those colours.
    std::vector<Vector3> m_domeBands;
    Vector3 m_domeSun;
    std::uint32_t m_domeAlpha = 0;
    bool m_domeColoured = false;
    bool m_domeFilled = false;
    std::vector<CPCloudSet*> m_activeSets;
    CloudLayer m_currentLayer;
    std::int32_t m_layerIndex = 0;
    float m_layerTimer = 0.0f;
    float m_targetTime = 0.0f;
    float m_fade = 0.0f;
    bool m_towardsOvercast = true;
    float m_stepScale = 0.0f;

    // Published values.
    Vector3 m_publishedColour3;
    Vector3 m_publishedColour4;
    Vector3 m_factor{1.0f, 1.0f, 0.0f};
    Vector3 m_publishedVector;
    float m_publishedTimeScale = 0.0f;
    Vector3 m_sunPosition;
};

// Where the sun stands: the renderer's sky's sun position; zero without a
// sky or before it drew a sun. The lens flare projects it to the screen.
const Vector3& GetSunPosition();

// Makes the renderer's LoadSkyscape build skyscapes. The start-up code
// calls it once; the sky draws on the device the services hand it.
void InstallSkyscape(CPRender& render);
