#include "platform/GraphicsResource.h"

#include "platform/GraphicsDevice.h"

namespace platform {

GraphicsResource::GraphicsResource(GraphicsDevice* device, ResourcePool pool) : m_device(device), m_pool(pool)
{
}

GraphicsResource::~GraphicsResource()
{
    if (m_device)
        m_device->Forget(this);
}

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
