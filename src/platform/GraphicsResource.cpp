#include "platform/GraphicsResource.h"

#include "platform/HeadlessGraphicsDevice.h"

namespace platform {

GraphicsResource::GraphicsResource(HeadlessGraphicsDevice* device, ResourcePool pool) : m_device(device), m_pool(pool)
{
}

GraphicsResource::~GraphicsResource()
{
    if (m_device)
        m_device->Forget(this);
}

GraphicsDevice* GraphicsResource::GetDevice() const { return m_device; }

std::uint32_t GraphicsResource::Release()
{
    if (m_references == 0)
        return 0;
    if (--m_references > 0)
        return m_references;
    delete this;
    return 0;
}

} // namespace platform
