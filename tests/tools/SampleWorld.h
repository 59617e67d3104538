#pragma once

#include <string>
#include <vector>

#include "DynamicSky/VertexObject.h"
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

// The engine's singletons over the checked-in data folder and its packs.
class SampleWorld {
  public:
    SampleWorld() : m_previousRoot(platform::GetDataRoot())
    {
        platform::SetDataRoot(std::string(RS_SOURCE_DIR) + "/data/sample");
        GetPackFileList().Clear();
        GetPackFileList().AddPacks("*.pak");
        m_savedSettings = GetGameSettings();
        GetGameSettings().screenWidth = 1024;
        GetGameSettings().screenHeight = 768;
        SetRender(&render);
        SetSkyDevice(&device);
        SetMaterialLibrary(&materials);
        SetAnimationCache(&cache);
        SetObjectRegistry(&registry);
        SetEffectManager(&effectManager);
        SetRenderObjectLoader(&loader);
        SetGameData(&gameData);
        SetInterfaceManager(&fonts);
    }
    ~SampleWorld()
    {
        for (CPGameObject* root : m_roots)
            CPGameObject::DeleteTree(root);
        SetInterfaceManager(nullptr);
        SetGameData(nullptr);
        SetRenderObjectLoader(nullptr);
        SetEffectManager(nullptr);
        SetObjectRegistry(nullptr);
        SetAnimationCache(nullptr);
        SetMaterialLibrary(nullptr);
        SetSkyDevice(nullptr);
        SetRender(nullptr);
        GetGameSettings() = m_savedSettings;
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
    platform::HeadlessGraphicsDevice device;
    CPRender render{&device};
    CPEffectLibrary effects;
    CPTextureLibrary textures;
    CPMaterialLibrary materials{effects, textures};
    CPAnimationCache cache;
    CPObjectRegistry registry;
    CPEffectManager effectManager;
    CPRenderObjectLoader loader;
    CPGameData gameData;
    CPInterfaceManager fonts; // goes before the material library

  private:
    std::string m_previousRoot;
    GameSettings m_savedSettings;
    std::vector<CPGameObject*> m_roots;
};
