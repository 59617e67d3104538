#pragma once

#include "platform/MathTypes.h"

// The behaviour of an enemy, attached to its scene object by a plain
// pointer. The scene object forwards three events to it: the end of an
// animation, the report point of an animation (the moment a blow lands or
// a shot leaves) and damage.
class CPEnemy {
  public:
    virtual ~CPEnemy() = default;

    // Chooses and starts what plays after the animation that just ended.
    virtual void PlayAttackAnimation() = 0;
    // The blow or the shot of the current animation.
    virtual void Strike() = 0;
    // Takes damage from a source point, hitting at a position. The
    // no-hit-effect flag suppresses the hit effect; with the oil-only flag
    // only an oil-bleeding enemy is hurt.
    virtual void TakeDamage(const Vector3& source, const Vector3& hitPosition, float damage, bool noHitEffect,
                            bool oilOnly) = 0;
};
