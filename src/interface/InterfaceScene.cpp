#include "interface/InterfaceScene.h"

#include "Render/PRender.h"

namespace {
SceneTreeSink& Sink()
{
    static SceneTreeSink sink;
    return sink;
}
} // namespace

void SetSceneTreeSink(SceneTreeSink sink) { Sink() = std::move(sink); }

void AddTreeToScene(const CPObjectPtr& tree)
{
    CPRender* render = GetRender();
    if (!render || !Sink())
        return;
    CPObjectPtr scene;
    render->GetSceneObject(scene);
    if (scene)
        Sink()(scene, tree);
}
