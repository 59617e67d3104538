// What the scripts make lives until the game ends, and no longer: closing
// the host frees the screens they created and the trees they loaded (the
// sanitized run reports anything left).
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "../Render/MeshFileBytes.h"
#include "support/ScratchFolder.h"

#include "app/GameHost.h"
#include "interface/Interface.h"
#include "platform/Dialog.h"
#include "script/ScriptHost.h"

namespace {

const char* const kStartScript = "screen = CreateInterface('menu', 3)\n"
                                 "ActivateInterface(screen)\n"
                                 "CreateInterface('nowhere', 0)\n"
                                 "rock = LoadRenderObject('rock.rdf', 0)\n"
                                 "again = LoadRenderObject('rock.rdf', 0)\n";

const char* const kMenu = "menu\n"
                          "menu.tga,256,128\n"
                          "WINDOW\n"
                          "Back 0,0,1024,768,0,0,256,128\n"
                          "Button\n"
                          "Start 100,200,64,32,0,0,64,32\n"
                          "start_over 0,0,64,32,64,0,64,32\n"
                          "start_down 0,0,64,32,128,0,64,32\n";

meshbytes::PlainNode Triangle()
{
    meshbytes::PlainNode node;
    node.name = "Rock";
    CPMeshVertex corner{};
    node.vertices = {corner, corner, corner};
    node.vertices[1].position = {1, 0, 0};
    node.vertices[2].position = {0, 1, 0};
    node.indices = {0, 1, 2};
    return node;
}

} // namespace

TEST(ScriptTeardown, ClosingTheHostFreesTheScreensAndTreesTheScriptsMade)
{
    ScratchFolder data;
    data.Write("Data/Scripts/main.lua", kStartScript);
    data.Write("Data/Interface/menu1024.int", kMenu);
    data.Write("Data/Effects/interface.fx", "texture tex0;\ntechnique T { pass P { } }\n");
    data.Write("Data/Meshes/rock.msh", meshbytes::PlainFile({Triangle()}));
    data.Write("Data/Meshes/rock.rdf", "mesh = rock.msh\n");
    const std::size_t screensBefore = CPInterface::GetInterfaceList().size();

    GameHost::Options options;
    options.frames = 2;
    options.dataRoot = data.GetPath();
    auto host = std::make_unique<GameHost>(options);
    EXPECT_EQ(host->Run(), 2);
    // Both screens exist, the one that found no file too; each load is a tree.
    EXPECT_EQ(host->GetScriptHost().GetAdoptedObjects().size(), 2u);
    EXPECT_EQ(host->GetScriptHost().GetAdoptedTrees().size(), 2u);
    EXPECT_EQ(CPInterface::GetInterfaceList().size(), screensBefore + 2);

    host.reset();
    platform::ClearPostedQuit();
    EXPECT_EQ(CPInterface::GetInterfaceList().size(), screensBefore);
}
