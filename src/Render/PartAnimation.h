#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/GameObjectParts.h"
#include "core/Task.h"
#include "platform/MathTypes.h"

class CPGameObject;

// A task that moves one part of a game object along a track of keys: each
// key is a transform, each segment between neighbouring keys has its own
// duration, and every frame the two keys of the current segment are
// blended linearly into the owner's part transform. When the track ends
// the owner hears it (CPGameObject::OnAnimationEnd); a looping track then
// starts over, any other ends its task.
//
// A track of N keys plays the segments 0 .. N-3 when it loops; one that
// does not loop ends on reaching segment N-2, which it still blends. The
// last duration is never used.
class CPPartAnimation : public CPTask, public CPRenderPart {
  public:
    static constexpr int kTaskType = 1;
    // Fewer keys leave no segment to end on.
    static constexpr std::size_t kMinimumKeys = 3;
    // Laps of a looping track told to the owner in one step; the rest of a
    // longer frame is skipped in whole laps.
    static constexpr int kMaxLapsHeardPerStep = 16;

    std::uint32_t GetObjectSize() const override { return sizeof(CPPartAnimation); }
    std::string GetTypeName() const override { return "CPPartAnimation"; }
    int GetTaskType() const override { return kTaskType; }

    std::int32_t GetPartKind() const override;
    // A track of its own for the owner, with this one's keys.
    CPObjectPtr CopyAnimationFor(CPGameObject* owner) override;

    // One frame of the track; a track that cannot play (see SetKeys) holds
    // still.
    void Step() override;

    // Takes copies of the keys and of one duration per key. A track of fewer
    // than three keys, with a key count that differs from the duration
    // count, or with a played segment whose duration is not above zero, is
    // refused with a line in the log and leaves the track as it was.
    bool SetKeys(const std::vector<Matrix4>& keys, const std::vector<float>& durations);
    // Takes the other animation's keys, durations and looping flag; elapsed
    // time, segment and owner stay. Anything but a part animation changes
    // nothing.
    void Assign(CPObjectPtr other);

    CPGameObject* GetOwner() const { return m_owner; }
    void SetOwner(CPGameObject* owner) override { m_owner = owner; }

    bool IsLooping() const { return m_looping; }
    void SetLooping(bool looping) override { m_looping = looping; }

    const std::vector<Matrix4>& GetKeys() const { return m_keys; }
    const std::vector<float>& GetDurations() const { return m_durations; }
    float GetElapsed() const { return m_elapsed; }
    std::uint32_t GetCurrent() const { return m_current; }
    // The transform the last step handed the owner.
    const Matrix4& GetBlendedKey() const { return m_blended; }

  protected:
    CPGameObject* m_owner = nullptr; // not counted
    bool m_looping = false;

  private:
    bool CanPlay() const;
    // Moves past the segments that elapsed has used up; false once the
    // track has ended.
    void Advance();
    void SkipWholeLaps();
    void Blend();

    std::vector<Matrix4> m_keys;
    std::vector<float> m_durations;
    float m_elapsed = 0.0f;
    std::uint32_t m_current = 0;
    Matrix4 m_blended;
};

// True when the upper-left 3x3 block has a negative determinant: the
// transform mirrors, and triangles drawn with it turn their backs.
bool IsMirrorMatrix(const Matrix4& matrix);
