#include "platform/gl/GlResources.h"

#include <epoxy/gl.h>

namespace platform {

void GlObject::Delete()
{
    if (!name)
        return;
    if (kind == Kind::Buffer)
        glDeleteBuffers(1, &name);
    else
        glDeleteTextures(1, &name);
    name = 0;
    version = lod = ~0u;
}

} // namespace platform
