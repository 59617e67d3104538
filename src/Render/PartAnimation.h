#pragma once

#include <string>

#include "core/Task.h"

class CPGameObject;

// A task that moves one part of a game object along a track of keys and
// tells its owner when the track ends (CPGameObject::OnAnimationEnd). What
// the game object relies on stands here: the owner link and the looping
// flag that makes an "idle" animation start over. The track and its step
// come with the animation player.
class CPPartAnimation : public CPTask {
  public:
    static constexpr int kTaskType = 1;

    std::uint32_t GetObjectSize() const override { return sizeof(CPPartAnimation); }
    std::string GetTypeName() const override { return "CPPartAnimation"; }
    int GetTaskType() const override { return kTaskType; }

    CPGameObject* GetOwner() const { return m_owner; }
    void SetOwner(CPGameObject* owner) { m_owner = owner; }

    bool IsLooping() const { return m_looping; }
    void SetLooping(bool looping) { m_looping = looping; }

  protected:
    CPGameObject* m_owner = nullptr; // not counted
    bool m_looping = false;
};
