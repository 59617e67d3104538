#include "Render/EffectNode.h"

EffectNode::~EffectNode()
{
    // Unlinked node by node, so a long chain never recurses deeply.
    std::unique_ptr<EffectNode> rest = std::move(next);
    while (rest)
        rest = std::move(rest->next);
}

EffectNode& EffectNode::Last()
{
    EffectNode* node = this;
    while (node->next)
        node = node->next.get();
    return *node;
}

EffectNode& EffectNode::Append(std::unique_ptr<EffectNode> node)
{
    EffectNode& last = Last();
    last.next = std::move(node);
    return *last.next;
}

int EffectNode::ChainLength() const
{
    int length = 0;
    for (const EffectNode* node = this; node; node = node->next.get())
        ++length;
    return length;
}

namespace {
void CopyFields(EffectNode& destination, const EffectNode& source)
{
    destination.name = source.name;
    destination.position = source.position;
    destination.velocity = source.velocity;
    destination.vectorC = source.vectorC;
    destination.word1 = source.word1;
    destination.word2 = source.word2;
    destination.word3 = source.word3;
    destination.flag1 = source.flag1;
    destination.flag2 = source.flag2;
}
} // namespace

void CopyEffectNode(EffectNode& destination, const EffectNode& source)
{
    CopyFields(destination, source);
    EffectNode* target = &destination;
    for (const EffectNode* from = source.next.get(); from; from = from->next.get()) {
        target->next = std::make_unique<EffectNode>();
        target = target->next.get();
        CopyFields(*target, *from);
    }
    target->next.reset();
}
