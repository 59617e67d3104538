#pragma once

#include <cstdlib>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "Render/AnimationCache.h"
#include "Render/EffectLibrary.h"
#include "Render/EffectManager.h"
#include "Render/MaterialLibrary.h"
#include "Render/PRender.h"
#include "Render/RenderList.h"
#include "Render/RenderObjectLoader.h"
#include "Render/TextureLibrary.h"
#include "core/GameSettings.h"
#include "core/ObjectRegistry.h"
#include "core/Singletons.h"
#include "game/AIManager.h"
#include "game/GameData.h"
#include "game/Level.h"
#include "physics/PhysicsWorld.h"
#include "platform/HeadlessGraphicsDevice.h"
#include "support/ScratchFolder.h"
#include "support/TestEngine.h"
#include "support/ToolPath.h"

// Everything a level load reaches: a scratch data folder, the log and the
// engine's services (named below for the tests: the renderer with its
// scene list, the libraries, the scene loader, the physics world, the AI
// manager and the game data). Data files are made with the project's builders (rslevel,
// rsmesh). The level, when made, is deleted before the rest.
class LevelWorld {
  public:
    LevelWorld()
    {
        folder.UseAsDataRoot();
        m_settings = GetGameSettings();
    }
    ~LevelWorld()
    {
        level.reset();
        GetGameSettings() = m_settings;
    }
    LevelWorld(const LevelWorld&) = delete;
    LevelWorld& operator=(const LevelWorld&) = delete;

    static bool ToolsBuilt() { return !ToolPath("rslevel").empty() && !ToolPath("rsmesh").empty(); }

    // Runs a builder on a description written to a scratch file; true
    // when it succeeded. Its output is kept in `toolOutput`.
    bool Build(const std::string& tool, const std::string& description, const std::string& arguments)
    {
        folder.Write("description.txt", description);
        const std::string command = "\"" + ToolPath(tool) + "\" \"" + folder.Path("description.txt") + "\" " +
                                    arguments + " > \"" + folder.Path("tool.txt") + "\" 2>&1";
        const bool ok = std::system(command.c_str()) == 0;
        toolOutput = folder.Read("tool.txt");
        return ok;
    }
    // "Data\Levels\<name>.lvl" from an rslevel description.
    bool Level(const std::string& name, const std::string& description)
    {
        folder.Write("Data/Levels/.keep", "");
        return Build("rslevel", description, "\"" + folder.Path("Data/Levels/" + name + ".lvl") + "\"");
    }
    // "Data\Meshes\<name>" from an rsmesh description.
    bool Mesh(const std::string& name, const std::string& description)
    {
        folder.Write("Data/Meshes/.keep", "");
        return Build("rsmesh", description, "\"" + folder.Path("Data/Meshes/" + name) + "\"");
    }
    void Scene(const std::string& name, const std::string& text)
    {
        folder.Write("Data/Meshes/" + name, text);
    }
    void Description(const std::string& name, const std::string& xml)
    {
        folder.Write("Data/Descriptions/" + name, xml);
    }

    // A new level, loaded.
    HResult Load(const std::string& name, bool noCheckpoints = false, bool recordMode = false)
    {
        level.reset();
        level = std::make_unique<CPLevel>();
        MakeCurrentLevel(level.get());
        return level->Load(name, noCheckpoints, recordMode);
    }

    ScratchFolder folder;
    LogCapture log;
    std::string toolOutput;
    TestEngine engine;
    platform::HeadlessGraphicsDevice& device = engine.device;
    CPRender& render = engine.services->Render();
    CPRenderList& sceneList = engine.services->SceneList();
    CPTextureLibrary& textures = engine.services->Textures();
    CPEffectLibrary& effects = engine.services->Effects();
    CPMaterialLibrary& materials = engine.services->Materials();
    CPAnimationCache& animations = engine.services->Animations();
    CPObjectRegistry& registry = engine.services->Registry();
    CPEffectManager& effectManager = engine.services->EffectManager();
    CPRenderObjectLoader& loader = engine.services->Loader();
    CPPhysicsWorld& physics = engine.services->PhysicsWorld();
    CPAIManager& ai = engine.services->AI();
    CPGameData& data = engine.services->GameData();
    std::unique_ptr<CPLevel> level;

  private:
    GameSettings m_settings;
};
