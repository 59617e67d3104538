#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Render/AnimationFrame.h"
#include "core/BoundingBox.h"
#include "core/Object.h"

class CPFileReader;

// A flip-book of whole meshes played at a fixed frame time, shared by name
// through the animation cache. Constructing one lists it in the cache
// under its name (taking the entry over from an earlier one of that name);
// destroying it removes the entry only while the entry is still its own.
class CPAnimation : public CPObject {
  public:
    explicit CPAnimation(std::string name);
    ~CPAnimation() override;

    CPAnimation(const CPAnimation&) = delete;
    CPAnimation& operator=(const CPAnimation&) = delete;

    std::uint32_t GetObjectSize() const override { return sizeof(CPAnimation); }
    std::string GetTypeName() const override { return "CPAnimation"; }

    // Reads one animation block at the reader's cursor: frame count, rate
    // (frame time = rate / 2400 seconds), then per frame the vertex count,
    // the 48-byte vertices, the index count and the 16-bit indices. Every
    // vertex's diffuse colour becomes vertexColour.
    //
    // Every count is checked against the bytes left before anything is
    // taken; a block that is truncated or corrupt (negative counts, a rate
    // that is not a number, an index past its frame's vertices) is reported
    // in the log and leaves the animation as it was. While the skip flag is
    // set the block is checked and passed over and nothing is kept.
    bool Load(CPFileReader& reader, std::uint32_t vertexColour);

    // The frame shown `elapsed` seconds into playing: whole passes are taken
    // off while elapsed exceeds the pass length (a time equal to it stays),
    // then the frame is elapsed / frame time, held to the first and last
    // frame. -1 when there are no frames. A pass length or frame time of
    // zero or less (or not a number) shows the first frame for every time.
    int ChooseFrame(float elapsed) const;

    const std::string& GetName() const { return m_name; }
    bool GetSkipData() const { return m_skipData; }
    void SetSkipData(bool skip) { m_skipData = skip; }
    float GetDuration() const { return m_duration; }
    std::int32_t GetFrameCount() const { return m_frameCount; }
    float GetFrameTime() const { return m_frameTime; }
    const std::vector<CPAnimationFrame>& GetFrames() const { return m_frames; }
    const CPBoundingBox& GetBounds() const { return m_bounds; }

  private:
    std::string m_name;
    bool m_skipData = false;
    float m_duration = 0.0f;
    std::int32_t m_frameCount = 0;
    float m_frameTime = 0.0f;
    std::vector<CPAnimationFrame> m_frames;
    CPBoundingBox m_bounds;
};
