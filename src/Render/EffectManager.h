#pragma once

#include <list>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "Render/ActiveEffects.h"
#include "Render/EffectNode.h"
#include "Render/EffectPrototype.h"
#include "Render/EmitterDesc.h"
#include "core/GameObjectParts.h"

class CPParticleSystem;

// The engine-wide registry of visual effects: effect prototypes by name,
// the emitter records particle systems are built from, and the prototype
// particle systems that flames are copied from. A request (EffectNode)
// names a prototype, which starts an instance of itself.
//
// Ownership: the manager deletes the prototypes and prototype systems
// registered with it. The active list only counts spawns for ClearEffects.
class CPEffectManager : public CPFlameSource {
  public:
    // Spark and dust requests of one frame share this many requests; the
    // kernel's frame step resets the count.
    static constexpr int kRequestBudget = 40;

    CPEffectManager();
    ~CPEffectManager();

    CPEffectManager(const CPEffectManager&) = delete;
    CPEffectManager& operator=(const CPEffectManager&) = delete;

    // --- Setting up the effect data --------------------------------------

    // Takes the prototype and keeps it under the name. A prototype already
    // there is deleted (its active entries go first). Null is refused.
    bool RegisterPrototype(const std::string& name, CPEffectPrototype* prototype);
    CPEffectPrototype* FindPrototype(const std::string& name) const;

    // Keeps a copy of the record under the name. Cone angles of 1 degree
    // or below 0 would give the pitch draw nothing to take a remainder by:
    // such records are refused with a line in the log.
    bool RegisterEmitter(const std::string& name, const CPEmitterDesc& emitter);
    // The manager's own record (systems normalise its direction in place);
    // null when there is none.
    CPEmitterDesc* FindEmitter(const std::string& name);

    // Takes a prototype particle system; returns its index.
    int AddParticleSystem(CPParticleSystem* system);
    int GetParticleSystemCount() const { return static_cast<int>(m_particleSystems.size()); }

    // --- Requests ---------------------------------------------------------

    // Starts an instance of the prototype the request names, handing it a
    // copy of the rest of the request's chain. A name without a prototype
    // starts nothing. The caller keeps the request.
    void SpawnEffect(const EffectNode& request);

    // A running copy of the prototype system at the index, for the caller
    // to own; empty (with a line in the log) for an index out of range.
    CPObjectPtr DuplicateParticleSystem(int index) override;

    // Ends every prototype's instances, then forgets every active spawn.
    // Prototypes, emitters and prototype systems stay.
    void ClearEffects();

    // Steps every prototype once (the frame's particles move and are
    // submitted for drawing).
    void StepEffects(float dt);

    std::size_t GetActiveCount() const { return m_activeEffects.size(); }

    // --- The per-frame request budget --------------------------------------

    // Grants up to `wanted` requests from what is left of this frame's
    // budget and counts them as made; returns how many were granted.
    static int ReserveRequests(int wanted);
    static int GetRemainingRequests();

  private:
    void ForgetActive(const CPEffectPrototype* prototype);

    std::vector<CPParticleSystem*> m_particleSystems;
    std::unordered_map<std::string, CPEffectPrototype*> m_prototypes;
    CPActiveEffects m_activeEffects;
    std::unordered_map<std::string, CPEmitterDesc> m_emitters;
};

// The program's one effect manager; null until start-up stores it. Its
// owner deletes it.
CPEffectManager* GetEffectManager();
void SetEffectManager(CPEffectManager* manager);
