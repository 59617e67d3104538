#include "Render/EffectManager.h"

#include <algorithm>

#include "core/GameClock.h"
#include "core/Log.h"
#include "Render/ParticleSystem.h"
#include "platform/Random.h"

namespace {
const std::size_t kBucketHint = 100;
const float kDegreesToRadians = 0.017453292f;

CPEffectManager* g_effectManager = nullptr;
} // namespace

CPEffectManager* GetEffectManager() { return g_effectManager; }
void SetEffectManager(CPEffectManager* manager) { g_effectManager = manager; }

CPEffectManager::CPEffectManager() : m_prototypes(kBucketHint), m_emitters(kBucketHint) {}

CPEffectManager::~CPEffectManager()
{
    m_activeEffects.Clear();
    for (auto& entry : m_prototypes)
        delete entry.second;
    for (CPParticleSystem* system : m_particleSystems)
        delete system;
}

bool CPEffectManager::RegisterPrototype(const std::string& name, CPEffectPrototype* prototype)
{
    if (!prototype)
        return false;
    CPEffectPrototype*& entry = m_prototypes[name];
    if (entry && entry != prototype) {
        ForgetActive(entry);
        delete entry;
    }
    entry = prototype;
    return true;
}

CPEffectPrototype* CPEffectManager::FindPrototype(const std::string& name) const
{
    auto found = m_prototypes.find(name);
    return found == m_prototypes.end() ? nullptr : found->second;
}

bool CPEffectManager::RegisterEmitter(const std::string& name, const CPEmitterDesc& emitter)
{
    if (emitter.coneAngle < 0 || emitter.coneAngle == 1) {
        LogLine("Emitter \"" + name + "\" refused: cone angle " + std::to_string(emitter.coneAngle) +
                " (must be 0 or at least 2 degrees)");
        return false;
    }
    m_emitters[name] = emitter;
    return true;
}

CPEmitterDesc* CPEffectManager::FindEmitter(const std::string& name)
{
    auto found = m_emitters.find(name);
    return found == m_emitters.end() ? nullptr : &found->second;
}

int CPEffectManager::AddParticleSystem(CPParticleSystem* system)
{
    m_particleSystems.push_back(system);
    return static_cast<int>(m_particleSystems.size()) - 1;
}

void CPEffectManager::SpawnEffect(const EffectNode& request)
{
    CPInstanceDesc instance;
    instance.position = request.position;
    instance.velocity = request.velocity;
    instance.vectorC = request.vectorC;
    instance.word2 = request.word2;
    instance.word1 = request.word1;
    instance.word3 = request.word3;
    instance.flag1 = request.flag1;
    instance.flag2 = request.flag2;
    instance.tag = request.tag;
    instance.heldObject = request.heldObject;
    // Drawn before the look-up, so the random sequence moves on by one per
    // request whether or not its prototype exists.
    instance.yaw = static_cast<float>(platform::Rand() % 360) * kDegreesToRadians;
    if (request.next) {
        instance.chain = std::make_unique<EffectNode>();
        CopyEffectNode(*instance.chain, *request.next);
    }

    CPEffectPrototype* prototype = FindPrototype(request.name);
    if (!prototype)
        return;
    if (!prototype->IsUntracked())
        m_activeEffects.Add(prototype);
    prototype->SpawnInstance(instance);
}

CPObjectPtr CPEffectManager::DuplicateParticleSystem(int index)
{
    if (index < 0 || index >= GetParticleSystemCount() || !m_particleSystems[index]) {
        LogLine("No particle system " + std::to_string(index) + " to duplicate (" +
                std::to_string(m_particleSystems.size()) + " registered)");
        return CPObjectPtr();
    }
    return m_particleSystems[index]->Duplicate();
}

void CPEffectManager::ClearEffects()
{
    for (auto& entry : m_prototypes)
        entry.second->ClearInstances();
    m_activeEffects.Clear();
}

void CPEffectManager::StepEffects(float dt)
{
    for (auto& entry : m_prototypes)
        entry.second->Step(dt);
}

void CPEffectManager::ForgetActive(const CPEffectPrototype* prototype) { m_activeEffects.Forget(prototype); }

int CPEffectManager::ReserveRequests(int wanted)
{
    const int granted = std::max(0, std::min(wanted, GetRemainingRequests()));
    GetGameClock().effectsThisFrame += granted;
    return granted;
}

int CPEffectManager::GetRemainingRequests()
{
    return std::max(0, kRequestBudget - GetGameClock().effectsThisFrame);
}
