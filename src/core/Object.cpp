#include "core/Object.h"

#include <algorithm>
#include <atomic>
#include <mutex>

#include "core/AddressSet.h"
#include "core/LiveObjects.h"

namespace {

// Held for a few instructions at a time and, in a running game, only ever
// by one thread: a system mutex cost more than the table it guards.
class SpinLock {
  public:
    void lock()
    {
        while (m_held.test_and_set(std::memory_order_acquire)) {
        }
    }
    void unlock() { m_held.clear(std::memory_order_release); }

  private:
    std::atomic_flag m_held = ATOMIC_FLAG_INIT;
};

struct LiveObjects {
    SpinLock mutex;
    AddressSet addresses;
};

// Never destroyed: objects with static lifetime may outlive any other
// static, and their destructors still look here.
LiveObjects& Live()
{
    static LiveObjects* live = new LiveObjects;
    return *live;
}

void AddLive(const CPObject* object)
{
    LiveObjects& live = Live();
    std::lock_guard<SpinLock> lock(live.mutex);
    live.addresses.Insert(object);
}

} // namespace

CPObject::CPObject() { AddLive(this); }

CPObject::CPObject(const CPObject& other) : m_useCount(other.m_useCount) { AddLive(this); }

CPObject::~CPObject()
{
    LiveObjects& live = Live();
    std::lock_guard<SpinLock> lock(live.mutex);
    live.addresses.Erase(this);
}

std::size_t CountLiveObjects()
{
    LiveObjects& live = Live();
    std::lock_guard<SpinLock> lock(live.mutex);
    return live.addresses.Size();
}

bool IsLiveObject(const void* address)
{
    if (!address)
        return false;
    LiveObjects& live = Live();
    std::lock_guard<SpinLock> lock(live.mutex);
    return live.addresses.Contains(address);
}

DeferredDeleteList& GetDeferredDeleteList()
{
    static DeferredDeleteList list;
    return list;
}

bool QueueObjectForDelete(CPObject* object)
{
    if (!object)
        return false;
    DeferredDeleteList& list = GetDeferredDeleteList();
    if (std::find(list.begin(), list.end(), object) != list.end())
        return false;
    list.push_back(object);
    return true;
}

void DeleteQueuedObjects()
{
    // Swap first: a destructor that queues objects must not extend the
    // list being walked, or delete an entry a second time.
    DeferredDeleteList pending;
    pending.swap(GetDeferredDeleteList());
    for (CPObject* object : pending)
        delete object;
}
