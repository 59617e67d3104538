#pragma once

#include <cstdint>
#include <list>
#include <string>

#include "core/ObjectCast.h"

// Root of every shared engine object. The use counter is informational
// only: Release zeroes it and nothing is ever freed through it. Owners
// delete their objects explicitly, directly or through the deferred-delete
// list.
//
// Every object is known, from its constructor to its destructor, to the
// set of live objects: an address that comes back from outside the engine
// (a script) can be checked before it is used.
class CPObject {
  public:
    CPObject();
    CPObject(const CPObject& other);
    CPObject& operator=(const CPObject& other) = default;
    virtual ~CPObject();

    virtual void AddRef() { ++m_useCount; }
    virtual void Release() { m_useCount = 0; }
    virtual std::uint32_t GetObjectSize() const = 0;
    virtual std::string GetTypeName() const = 0;

    std::uint32_t GetUseCount() const { return m_useCount; }

  private:
    std::uint32_t m_useCount = 0;
};

// Intrusive smart pointer: takes a reference with AddRef and lets it go
// with Release. It never deletes the object it points to.
class CPObjectPtr {
  public:
    CPObjectPtr() = default;
    CPObjectPtr(CPObject* object) : m_object(object)
    {
        if (m_object)
            m_object->AddRef();
    }
    CPObjectPtr(const CPObjectPtr& other) : CPObjectPtr(other.m_object) {}
    ~CPObjectPtr()
    {
        if (m_object)
            m_object->Release();
    }

    // Releases the old object before taking the new one, so assigning a
    // pointer to itself leaves the counter at 1.
    CPObjectPtr& operator=(const CPObjectPtr& other)
    {
        CPObject* incoming = other.m_object;
        if (m_object)
            m_object->Release();
        m_object = incoming;
        if (m_object)
            m_object->AddRef();
        return *this;
    }

    CPObject* Get() const { return m_object; }
    CPObject* operator->() const { return m_object; }
    CPObject& operator*() const { return *m_object; }
    explicit operator bool() const { return m_object != nullptr; }
    bool operator==(const CPObjectPtr& other) const { return m_object == other.m_object; }
    bool operator!=(const CPObjectPtr& other) const { return m_object != other.m_object; }

    // The held object as a derived class; null when empty or of another class.
    template <class T> T* As() const { return ObjectCast<T>(m_object); }

  private:
    CPObject* m_object = nullptr;
};

// Whether the address is that of an object constructed and not yet
// destroyed. It reads no memory at the address, so any value may be asked.
bool IsLiveObject(const void* address);

// Objects waiting for the next DeleteQueuedObjects.
using DeferredDeleteList = std::list<CPObject*>;
DeferredDeleteList& GetDeferredDeleteList();

// Queues an object for deletion; an object already queued is not queued
// twice, and null is ignored. Returns whether the object was queued.
bool QueueObjectForDelete(CPObject* object);

// Deletes every queued object and empties the list. Objects queued by the
// destructors that run here wait for the next call.
void DeleteQueuedObjects();
