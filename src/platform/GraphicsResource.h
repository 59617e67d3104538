#pragma once

#include <cstdint>

#include "platform/GraphicsTypes.h"

namespace platform {

class GraphicsDevice;
class HeadlessGraphicsDevice;

// Base of everything the graphics device creates. A resource is shared by
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
    GraphicsDevice* GetDevice() const;

  protected:
    GraphicsResource(HeadlessGraphicsDevice* device, ResourcePool pool);
    virtual ~GraphicsResource();
    // The device that made the resource, for its planned failures.
    HeadlessGraphicsDevice* GetOwner() const { return m_device; }

  private:
    friend class HeadlessGraphicsDevice;
    void DetachDevice() { m_device = nullptr; }

    HeadlessGraphicsDevice* m_device;
    ResourcePool m_pool;
    std::uint32_t m_references = 1;
};

} // namespace platform
