#include "platform/GraphicsResource.h"

namespace platform {

void ResourceOwner::Detach(GraphicsResource* resource)
{
    resource->m_device = nullptr;
    resource->m_owner = nullptr;
}

GraphicsResource::GraphicsResource(GraphicsDevice* device, ResourceOwner* owner, ResourcePool pool)
    : m_device(device), m_owner(owner), m_pool(pool)
{
}

GraphicsResource::~GraphicsResource()
{
    if (m_owner)
        m_owner->Forget(this);
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
