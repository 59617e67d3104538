#include "Render/ParticleSystem.h"

#include <cmath>
#include <memory>
#include <utility>

#include "Render/EffectManager.h"
#include "Render/EffectNode.h"
#include "core/GameClock.h"
#include "core/GameObject.h"
#include "core/Log.h"
#include "core/StringUtils.h"
#include "platform/Math.h"
#include "platform/Random.h"

namespace {

const float kDegreesToRadians = 0.017453292f;
const float kRandScale = 1.0f / 32767.0f;

float RandomFraction() { return static_cast<float>(platform::Rand()) * kRandScale; }

CPGameObject* ScriptOwnerOf(CPGameObject* owner)
{
    if (!owner)
        return nullptr;
    return owner->GetScriptOwner().As<CPGameObject>();
}

// Turns v from the +z axis onto the unit direction d: about (-d.y, d.x, 0)
// by the angle between them. Along the z axis itself there is no axis to
// turn about: +z keeps v and -z reverses it (a half turn).
Vector4 TurnOntoDirection(const Vector4& v, const Vector3& d)
{
    const Vector3 axis{-d.y, d.x, 0.0f};
    const float angle = static_cast<float>(ClampedAcos(d.z));
    if (axis.x == 0.0f && axis.y == 0.0f) {
        const float c = std::cos(angle);
        return {v.x * c, v.y * c, v.z * c, v.w};
    }
    return TransformHomogeneous(v, RotationMatrixAxis(axis, angle));
}

} // namespace

CPParticleSystem::CPParticleSystem(CPGameObject* owner, std::vector<std::string> emitterNames)
    : m_emitterNames(std::move(emitterNames)), m_owner(owner)
{
    CPEffectManager* manager = GetEffectManager();
    if (!manager)
        return;
    for (const std::string& name : m_emitterNames) {
        CPEmitterDesc* emitter = manager->FindEmitter(name);
        if (!emitter)
            continue;
        emitter->direction = Normalize(emitter->direction);
        m_emitters.push_back(*emitter);
    }
}

bool CPParticleSystem::Begin()
{
    m_accumulator = 0.0f;
    m_age = 0.0f;
    return CPTask::Begin();
}

bool CPParticleSystem::SetInterval(float seconds)
{
    if (!(seconds > 0.0f) || !std::isfinite(seconds)) {
        LogLine("Particle system interval " + std::to_string(seconds) + " refused; it stays " +
                std::to_string(m_interval));
        return false;
    }
    m_interval = seconds;
    return true;
}

void CPParticleSystem::SetDamageTarget(CPObjectPtr target)
{
    m_damageTarget = target.As<CPGameObject>() ? target : CPObjectPtr();
}

void CPParticleSystem::Step()
{
    const float accumulatorBefore = m_accumulator;
    const bool halfLifePending = m_lifetime * 0.5f > m_age;
    m_accumulator += GetFrameTime();

    for (int ticks = 0; m_accumulator > m_interval; ++ticks) {
        if (ticks == kMaxTicksPerStep) {
            SkipWholeIntervals();
            break;
        }
        if (!Tick())
            break;
    }

    if (halfLifePending && m_lifetime * 0.5f <= m_age) {
        if (CPGameObject* scriptOwner = ScriptOwnerOf(m_owner))
            scriptOwner->AttachRenderObject();
    }
    // Over a whole step the age grows by exactly the frame time.
    m_age += m_accumulator - accumulatorBefore;
}

void CPParticleSystem::SkipWholeIntervals()
{
    // An interval far shorter than the frame would emit (and damage) tens
    // of thousands of times in one step; the rest of the frame passes
    // without ticks, but the system still ages and ends on time.
    const float skipped = m_accumulator - std::fmod(m_accumulator, m_interval);
    m_accumulator -= skipped;
    m_age += skipped;
    if (m_lifetime > 0.0f && m_age > m_lifetime)
        End();
}

bool CPParticleSystem::Tick()
{
    DamageTarget();
    const float before = m_accumulator;
    m_accumulator -= m_interval;
    m_age += m_interval;
    DamageScriptOwner();
    Emit();
    if (m_lifetime > 0.0f && m_age > m_lifetime) {
        // An ended system spawns nothing more, not even later in this step.
        End();
        return false;
    }
    if (!(m_accumulator < before)) {
        // The interval is too small to move the accumulator at its size:
        // whatever is left would never be used up.
        m_accumulator = 0.0f;
        return false;
    }
    return true;
}

void CPParticleSystem::DamageTarget()
{
    auto* target = m_damageTarget.As<CPGameObject>();
    if (!target)
        return;
    Vector3 direction;
    direction.x = RandomFraction() - 0.5f;
    direction.y = RandomFraction() - 0.5f;
    direction.z = RandomFraction() - 0.5f;
    target->OnDamage(target->GetPosition(), direction, m_damage, false, false);
}

void CPParticleSystem::DamageScriptOwner()
{
    if (CPGameObject* scriptOwner = ScriptOwnerOf(m_owner))
        scriptOwner->OnDamage(Vector3{}, Vector3{}, m_damage, false, false);
}

void CPParticleSystem::Emit()
{
    const Matrix4 frame = m_owner ? m_owner->GetWorldMatrix() : IdentityMatrix();
    EffectNode head;
    EffectNode* last = nullptr;
    for (const CPEmitterDesc& emitter : m_emitters) {
        if (!last) {
            MakeRequest(emitter, true, frame, head);
            last = &head;
            continue;
        }
        last->next = std::make_unique<EffectNode>();
        last = last->next.get();
        MakeRequest(emitter, false, frame, *last);
    }
    if (CPEffectManager* manager = GetEffectManager())
        manager->SpawnEffect(head);
}

void CPParticleSystem::MakeRequest(const CPEmitterDesc& emitter, bool first, const Matrix4& frame,
                                   EffectNode& request) const
{
    request.name = emitter.effectName;
    request.word3 = emitter.paramA;
    request.word2 = emitter.paramB;
    request.word1 = emitter.paramD;
    request.vectorC = emitter.vectorC;
    request.flag1 = emitter.flag;
    request.flag2 = 0;

    Vector3 position;
    position.x = RandomFraction() * emitter.spread.x * 2.0f - emitter.spread.x;
    position.y = RandomFraction() * emitter.spread.y * 2.0f - emitter.spread.y;
    position.z = RandomFraction() * emitter.spread.z * 2.0f - emitter.spread.z;
    // Only the head is placed in the world; the rest stay relative to it.
    if (first)
        position += Vector3{frame.m[3][0], frame.m[3][1], frame.m[3][2]};
    request.position = position;

    const float yaw = static_cast<float>(platform::Rand() % 360) * kDegreesToRadians;
    const int pitchRange = emitter.coneAngle / 2;
    const float pitch =
        pitchRange > 0 ? static_cast<float>(platform::Rand() % pitchRange) * kDegreesToRadians : 0.0f;
    const Vector4 cone{emitter.speed * std::sin(pitch) * std::cos(yaw),
                       emitter.speed * std::sin(pitch) * std::sin(yaw), emitter.speed * std::cos(pitch),
                       1.0f};
    const Vector4 turned = TurnOntoDirection(cone, emitter.direction);
    request.velocity = TransformNormal(Vector3{turned.x, turned.y, turned.z}, frame);
}

CPObjectPtr CPParticleSystem::Duplicate()
{
    auto* copy = new CPParticleSystem(m_owner, m_emitterNames);
    copy->m_emitters = m_emitters;
    copy->m_emitterNames = m_emitterNames;
    copy->m_interval = m_interval;
    copy->m_lifetime = m_lifetime;
    copy->m_damage = m_damage;
    copy->m_damageTarget = m_damageTarget;
    return CPObjectPtr(copy);
}
