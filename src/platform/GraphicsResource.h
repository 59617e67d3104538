#pragma once

#include <cstdint>

#include "platform/GraphicsTypes.h"

namespace platform {

class GraphicsDevice;
class GraphicsResource;

// What a device is to the resources it makes: told when one goes, and
// asked whether a lock should be refused (the test device plans such
// failures; other devices never refuse).
class ResourceOwner {
  public:
    virtual void Forget(GraphicsResource* resource) = 0;
    virtual bool RefusesLock() { return false; }

  protected:
    ~ResourceOwner() = default;
    // Cuts a resource loose from a device that is going; it then just
    // holds its memory.
    static void Detach(GraphicsResource* resource);
};

// Base of everything a graphics device creates. A resource is shared by
// counting: it starts with one reference and deletes itself when Release
// drops the last one. It tells its device when it goes, so the device can
// unbind it and knows which default-pool resources still block a reset.
class GraphicsResource {
  public:
    GraphicsResource(const GraphicsResource&) = delete;
    GraphicsResource& operator=(const GraphicsResource&) = delete;

    std::uint32_t AddRef() { return ++m_references; }
    std::uint32_t Release();

    ResourcePool GetPool() const { return m_pool; }
    // Null once the device that made the resource is gone.
    GraphicsDevice* GetDevice() const { return m_device; }

  protected:
    GraphicsResource(GraphicsDevice* device, ResourceOwner* owner, ResourcePool pool);
    virtual ~GraphicsResource();
    // The device that made the resource, for its planned failures.
    ResourceOwner* GetOwner() const { return m_owner; }

  private:
    friend class ResourceOwner;

    GraphicsDevice* m_device;
    ResourceOwner* m_owner;
    ResourcePool m_pool;
    std::uint32_t m_references = 1;
};

} // namespace platform
