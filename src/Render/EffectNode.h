#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "core/Object.h"
#include "platform/MathTypes.h"

// One effect request: the name of an effect prototype and the values it
// starts an instance with. Requests travel in chains; a node owns the rest
// of its chain. A new node is empty (empty name, zero vectors and words,
// clear flags, no next node, tag 0, nothing held). Destroying a node
// destroys the rest of its chain first, then lets go of the held object.
//
// What position and velocity mean is common to every prototype; vector C,
// the three words and the flags are each prototype's own business.
struct EffectNode {
    EffectNode() = default;
    ~EffectNode();

    // A chain has one owner; CopyEffectNode makes independent copies.
    EffectNode(const EffectNode&) = delete;
    EffectNode& operator=(const EffectNode&) = delete;

    // The last node of the chain that starts here.
    EffectNode& Last();
    // Hangs a node after the last one of this chain and returns it.
    EffectNode& Append(std::unique_ptr<EffectNode> node);
    // Nodes in the chain that starts here, this one included.
    int ChainLength() const;

    std::string name;
    Vector3 position;
    Vector3 velocity;
    Vector3 vectorC;
    float word1 = 0.0f;
    float word2 = 0.0f;
    float word3 = 0.0f;
    std::uint8_t flag1 = 0;
    std::uint8_t flag2 = 0;
    std::unique_ptr<EffectNode> next;
    std::int32_t tag = 0;
    CPObjectPtr heldObject;
};

// Makes destination a deep copy of the chain that starts at source: name,
// vectors, words and flags of every node, with new nodes for the rest of the
// chain. Tag and held object are not copied; destination keeps its own.
void CopyEffectNode(EffectNode& destination, const EffectNode& source);
