#include "Render/AnimationCache.h"

#include <algorithm>

#include "Render/Animation.h"

namespace {
const std::size_t kBucketHint = 100;
CPAnimationCache* g_animationCache = nullptr;
} // namespace

CPAnimationCache* GetAnimationCache() { return g_animationCache; }
void SetAnimationCache(CPAnimationCache* cache) { g_animationCache = cache; }

CPAnimationCache::CPAnimationCache() : m_animations(kBucketHint) {}

CPAnimationCache::~CPAnimationCache()
{
    std::vector<CPAnimation*> owned;
    owned.swap(m_owned);
    for (CPAnimation* animation : owned)
        delete animation;
}

CPObjectPtr CPAnimationCache::GetAnimation(const std::string& name, CPFileReader& reader,
                                           std::uint32_t vertexColour)
{
    CPAnimation* animation = FindAnimation(name);
    const bool created = !animation;
    if (created) {
        animation = new CPAnimation(name);
        m_owned.push_back(animation);
        // Listed by its constructor only when this is the program's cache.
        m_animations[name] = animation;
    }
    if (animation->Load(reader, vertexColour))
        return CPObjectPtr(animation);
    if (created)
        DeleteOwned(animation);
    return CPObjectPtr();
}

CPAnimation* CPAnimationCache::FindAnimation(const std::string& name) const
{
    auto found = m_animations.find(name);
    return found == m_animations.end() ? nullptr : found->second;
}

void CPAnimationCache::List(const std::string& name, CPAnimation* animation)
{
    m_animations[name] = animation;
}

void CPAnimationCache::Unlist(const std::string& name, const CPAnimation* animation)
{
    auto found = m_animations.find(name);
    if (found != m_animations.end() && found->second == animation)
        m_animations.erase(found);
}

void CPAnimationCache::DeleteOwned(CPAnimation* animation)
{
    m_owned.erase(std::remove(m_owned.begin(), m_owned.end(), animation), m_owned.end());
    Unlist(animation->GetName(), animation);
    delete animation;
}
