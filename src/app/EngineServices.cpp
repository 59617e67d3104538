#include "app/EngineServices.h"

EngineServices::RenderLists::RenderLists(CPRender& owner)
    : render(owner), scene(std::make_unique<CPRenderList>(&owner)),
      dynamic(std::make_unique<CPRenderList>(&owner))
{
    render.SetSceneObject(scene.get());
    render.SetDynamicList(dynamic.get());
}

EngineServices::RenderLists::~RenderLists()
{
    render.SetSceneObject(CPObjectPtr());
    render.SetDynamicList(CPObjectPtr());
}

EngineServices::EngineServices(platform::GraphicsDevice* graphics, platform::SoundDevice* sound)
    : m_render(graphics), m_materials(*m_effects, *m_textures), m_lists(*m_render), m_sounds(sound)
{
}

EngineServices::~EngineServices() = default;
