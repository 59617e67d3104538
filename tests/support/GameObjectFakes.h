#pragma once

#include <string>
#include <vector>

#include "Render/PartAnimation.h"
#include "core/GameObject.h"
#include "core/ScriptObject.h"
#include "core/Enemy.h"

// A part animation without a track: counts its steps, and ends its track
// when a test says so.
class FakePartAnimation : public CPPartAnimation {
  public:
    explicit FakePartAnimation(int* deletions = nullptr) : m_deletions(deletions) {}
    ~FakePartAnimation() override
    {
        if (m_deletions)
            ++*m_deletions;
    }

    void Step() override { ++steps; }

    // What the real track does when its keys run out.
    void FinishTrack()
    {
        if (m_owner)
            m_owner->OnAnimationEnd();
        if (!m_looping)
            End();
    }

    int steps = 0;

  private:
    int* m_deletions;
};

// Records every call the game object makes to its enemy behaviour.
class FakeEnemy : public CPEnemy {
  public:
    struct Damage {
        Vector3 source;
        Vector3 hitPosition;
        float amount = 0.0f;
        bool noHitEffect = false;
        bool oilOnly = false;
        // Commands queued on the watched script when the damage arrived.
        std::size_t queuedOnScript = 0;
    };

    void PlayAttackAnimation() override { calls.push_back("PlayAttackAnimation"); }
    void Strike() override { calls.push_back("Strike"); }
    void TakeDamage(const Vector3& source, const Vector3& hitPosition, float damage, bool noHitEffect,
                    bool oilOnly) override
    {
        calls.push_back("TakeDamage");
        damages.push_back(
            {source, hitPosition, damage, noHitEffect, oilOnly, watched ? watched->GetQueuedCount() : 0});
    }

    std::vector<std::string> calls;
    std::vector<Damage> damages;
    const CPScriptObject* watched = nullptr;
};
