#pragma once

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/Object.h"

class CPAnimation;
class CPFileReader;

// Animations shared by name. The cache deletes the animations it creates;
// animations created elsewhere belong to their creators and only list
// themselves here. Whatever plays the animations must let go of them
// before the cache goes.
class CPAnimationCache {
  public:
    CPAnimationCache();
    ~CPAnimationCache();

    CPAnimationCache(const CPAnimationCache&) = delete;
    CPAnimationCache& operator=(const CPAnimationCache&) = delete;

    // The animation of that name, created on first request, (re)loaded from
    // the block at the reader's cursor on every request. A block that does
    // not load gives an empty pointer; an animation created for it is
    // deleted again, one loaded before keeps its frames.
    CPObjectPtr GetAnimation(const std::string& name, CPFileReader& reader, std::uint32_t vertexColour);

    // The animation listed under the name; null when none is.
    CPAnimation* FindAnimation(const std::string& name) const;
    std::size_t GetCount() const { return m_animations.size(); }

  private:
    friend class CPAnimation; // lists and unlists itself

    void List(const std::string& name, CPAnimation* animation);
    void Unlist(const std::string& name, const CPAnimation* animation);
    void DeleteOwned(CPAnimation* animation);

    std::unordered_map<std::string, CPAnimation*> m_animations;
    std::vector<CPAnimation*> m_owned;
};

// The program's animation cache; null until start-up stores one.
CPAnimationCache* GetAnimationCache();
void SetAnimationCache(CPAnimationCache* cache);
