#pragma once

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Render/EffectLibrary.h"
#include "Render/MaterialLibrary.h"
#include "Render/PRender.h"
#include "Render/RenderObject.h"
#include "Render/TextureLibrary.h"
#include "core/GameSettings.h"
#include "core/ObjectRegistry.h"
#include "core/ScriptObject.h"
#include "core/Singletons.h"
#include "core/TextLookup.h"
#include "interface/Font.h"
#include "game/GameData.h"
#include "interface/InterfaceManager.h"
#include "platform/HeadlessGraphicsDevice.h"
#include "support/ScratchFolder.h"
#include "support/CommandDrain.h"
#include "support/TestEngine.h"

// The neighbours a screen works with: a data folder, the log, the engine's
// services (the game data, the registry with the screen's owner script
// "menu" and a listener of the category "interface", the renderer, the
// libraries, the font manager) and a screen of 1024 x 768. Screens made in
// a test must go before the world.
class InterfaceWorld {
  public:
    InterfaceWorld()
    {
        folder.UseAsDataRoot();
        for (const char* effect : {"interface.fx", "interface2.fx", "lensflare.fx"})
            folder.Write(std::string("Data/Effects/") + effect,
                         "texture tex0;\ntechnique T { pass P { } }\n");
        savedSettings = GetGameSettings();
        SetScreenSize(1024, 768);
        // No frame is drawn here, so no frame ends to empty the scene list:
        // screens a test submits would stay listed after they go. A test
        // that looks at what a screen lists gives the renderer a list of
        // its own.
        render.SetSceneObject(CPObjectPtr());
        menu.Begin();
        listener.Begin();
        registry.Register("menu", "main", &menu);
        registry.Register("listener", "interface", &listener);
    }
    ~InterfaceWorld()
    {
        render.SetSceneObject(CPObjectPtr(&services.SceneList()));
        GetGameSettings() = savedSettings;
    }

    static void SetScreenSize(int width, int height)
    {
        GetGameSettings().screenWidth = width;
        GetGameSettings().screenHeight = height;
    }

    void WriteScreen(const std::string& name, const std::string& text)
    {
        folder.Write("Data/Interface/" + name + "1024.int", text);
    }

    // Everything the script has queued, oldest first, as "name(p1|p2)".
    static std::vector<std::string> Drain(CPScriptObject& script) { return DrainCommands(script); }

    // A font whose glyph of byte c is (c / 256, 0) to ((c + 1) / 256, 1),
    // 10 pixels wide, 16 high.
    void AddPlainFont(const std::string& name)
    {
        auto* font = new CPFont();
        for (int c = 0; c < 256; ++c) {
            font->glyphs[c] = {c / 256.0f, 0.0f, (c + 1) / 256.0f, 1.0f};
            font->widths[c] = 10.0f;
        }
        font->lineHeight = 16.0f;
        fonts.AddFont(name, font);
    }

    ScratchFolder folder;
    LogCapture log;
    GameSettings savedSettings;
    TestEngine engine;
    EngineServices& services = *engine.services;
    CPObjectRegistry& registry = services.Registry();
    CPInterfaceManager& fonts = services.Interfaces();
    CPGameData& gameData = services.GameData();
    platform::HeadlessGraphicsDevice& device = engine.device;
    CPRender& render = services.Render();
    CPEffectLibrary& effects = services.Effects();
    CPTextureLibrary& textures = services.Textures();
    CPMaterialLibrary& materials = services.Materials();
    CPScriptObject menu;
    CPScriptObject listener;
};

inline CPObjectPtr MaterialOf(const CPRenderObject& render)
{
    CPObjectPtr material;
    render.GetMaterial(material);
    return material;
}

// Quads of a render object as their top-left corners.
inline std::vector<std::pair<float, float>> QuadCorners(const CPRenderObject& render)
{
    std::vector<std::pair<float, float>> corners;
    const std::vector<CPMeshVertex>& vertices = render.GetVertices();
    for (std::size_t i = 0; i + 3 < vertices.size(); i += 4)
        corners.emplace_back(vertices[i].position.x, vertices[i].position.y);
    return corners;
}
