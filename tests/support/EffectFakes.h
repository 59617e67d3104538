#pragma once

#include <string>
#include <vector>

#include "Render/EffectPrototype.h"

// An effect prototype that records what it is asked to start: for every
// spawn the instance's fields and the names along its chain.
class RecordingEffectPrototype : public CPEffectPrototype {
  public:
    struct Spawn {
        Vector3 position;
        Vector3 spareVector;
        Vector3 velocity;
        Vector3 secondVector;
        Vector3 vectorC;
        float word1 = 0.0f;
        float word2 = 0.0f;
        float word3 = 0.0f;
        std::uint32_t zeroWord = 0;
        std::uint8_t flag1 = 0;
        std::uint8_t flag2 = 0;
        float yaw = 0.0f;
        std::int32_t tag = 0;
        CPObject* heldObject = nullptr;
        std::vector<std::string> chainNames;
        std::vector<std::int32_t> chainTags;
        std::vector<bool> chainHeld;
    };

    explicit RecordingEffectPrototype(bool untracked = false, int* deletions = nullptr)
        : m_deletions(deletions)
    {
        m_untracked = untracked;
    }
    ~RecordingEffectPrototype() override
    {
        if (m_deletions)
            ++*m_deletions;
    }

    std::uint32_t GetObjectSize() const override { return sizeof(RecordingEffectPrototype); }
    std::string GetTypeName() const override { return "RecordingEffectPrototype"; }

    void SpawnInstance(CPInstanceDesc& instance) override
    {
        Spawn spawn;
        spawn.position = instance.position;
        spawn.spareVector = instance.spareVector;
        spawn.velocity = instance.velocity;
        spawn.secondVector = instance.secondVector;
        spawn.vectorC = instance.vectorC;
        spawn.word1 = instance.word1;
        spawn.word2 = instance.word2;
        spawn.word3 = instance.word3;
        spawn.zeroWord = instance.zeroWord;
        spawn.flag1 = instance.flag1;
        spawn.flag2 = instance.flag2;
        spawn.yaw = instance.yaw;
        spawn.tag = instance.tag;
        spawn.heldObject = instance.heldObject.Get();
        for (const EffectNode* node = instance.chain.get(); node; node = node->next.get()) {
            spawn.chainNames.push_back(node->name);
            spawn.chainTags.push_back(node->tag);
            spawn.chainHeld.push_back(static_cast<bool>(node->heldObject));
        }
        spawns.push_back(spawn);
    }
    void ClearInstances() override { ++clears; }

    std::vector<Spawn> spawns;
    int clears = 0;

  private:
    int* m_deletions;
};
