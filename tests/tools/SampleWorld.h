#pragma once

#include <string>
#include <vector>

#include "Render/AnimationCache.h"
#include "Render/EffectLibrary.h"
#include "Render/EffectManager.h"
#include "Render/MaterialLibrary.h"
#include "Render/PRender.h"
#include "Render/RenderObjectLoader.h"
#include "Render/TextureLibrary.h"
#include "core/GameObject.h"
#include "core/GameSettings.h"
#include "core/ObjectRegistry.h"
#include "core/PackFile.h"
#include "core/Singletons.h"
#include "game/GameData.h"
#include "interface/InterfaceManager.h"
#include "platform/FileSystem.h"
#include "platform/HeadlessGraphicsDevice.h"
#include "support/ScratchFolder.h"
#include "support/TestEngine.h"

// The engine's singletons over the checked-in data folder and its packs.
class SampleWorld {
  public:
    SampleWorld() : m_previousRoot(platform::GetDataRoot())
    {
        platform::SetDataRoot(std::string(RS_SOURCE_DIR) + "/data/sample");
        GetPackFileList().Clear();
        GetPackFileList().AddPacks("*.pak");
        GetGameSettings().screenWidth = 1024;
        GetGameSettings().screenHeight = 768;
    }
    ~SampleWorld()
    {
        for (CPGameObject* root : m_roots)
            CPGameObject::DeleteTree(root);
        GetPackFileList().Clear();
        platform::SetDataRoot(m_previousRoot);
    }

    CPGameObject* Load(const std::string& scene)
    {
        auto* root = loader.LoadRenderObject(scene, 0).As<CPGameObject>();
        if (root)
            m_roots.push_back(root);
        return root;
    }

    LogCapture log;
    TestEngine engine;
    platform::HeadlessGraphicsDevice& device = engine.device;
    CPRender& render = engine.services->Render();
    CPEffectLibrary& effects = engine.services->Effects();
    CPTextureLibrary& textures = engine.services->Textures();
    CPMaterialLibrary& materials = engine.services->Materials();
    CPAnimationCache& cache = engine.services->Animations();
    CPObjectRegistry& registry = engine.services->Registry();
    CPEffectManager& effectManager = engine.services->EffectManager();
    CPRenderObjectLoader& loader = engine.services->Loader();
    CPGameData& gameData = engine.services->GameData();
    CPInterfaceManager& fonts = engine.services->Interfaces();

  private:
    std::string m_previousRoot;
    std::vector<CPGameObject*> m_roots;
};
