// The services owner ended in the middle of a frame, with objects listed
// for drawing that no frame drew.
#include <memory>

#include <gtest/gtest.h>

#include "Render/Material.h"
#include "Render/RenderList.h"
#include "Render/RenderObject.h"
#include "game/Level.h"
#include "game/Player.h"
#include "support/TestEngine.h"

namespace {

// The current level's player with a one-triangle mesh of the material.
CPPlayer* ListedPlayer(CPRenderList& list, CPMaterial& material)
{
    auto* level = new CPLevel;
    MakeCurrentLevel(level);
    auto* player = new CPPlayer;
    auto* mesh = new CPRenderObject(player);
    CPMeshVertex vertex;
    for (float x : {0.0f, 1.0f, 2.0f}) {
        vertex.position = {x, 0.0f, 0.0f};
        mesh->GetVertices().push_back(vertex);
    }
    mesh->GetWorldVertices() = mesh->GetVertices();
    mesh->GetIndices() = {0, 1, 2};
    mesh->SetMaterial(&material);
    player->SetRenderObject(mesh, CPGameObject::kMeshObject);
    level->SetPlayer(CPObjectPtr(player));
    list.AddObjectTree(CPObjectPtr(player));
    return player;
}

} // namespace

// The level goes with the game and takes its player along; the frame's
// list lets go of the player first, or its end would touch a deleted car.
TEST(ServicesEnd, AFrameNeverDrawnForgetsItsObjectsBeforeTheLevelGoes)
{
    // Batches hold their material, which outlives the lists.
    auto material = std::make_unique<CPMaterial>(0, nullptr, nullptr);
    auto engine = std::make_unique<TestEngine>();
    CPRenderList& list = engine->services->SceneList();
    ListedPlayer(list, *material);
    ASSERT_EQ(list.GetBatchCount(), 1u);
    ASSERT_NE(GetCurrentLevel(), nullptr);
    engine.reset();
    EXPECT_EQ(GetCurrentLevel(), nullptr);
}
