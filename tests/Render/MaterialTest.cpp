#include "Render/EffectLibrary.h"
#include "Render/Material.h"
#include "Render/MaterialLibrary.h"
#include "Render/PEffect.h"
#include "Render/PTexture.h"
#include "Render/TextureBlock.h"
#include "Render/TextureLibrary.h"

#include <gtest/gtest.h>

#include "RenderTestFiles.h"

using renderfiles::RenderWorld;
using renderfiles::Tga;

TEST(MaterialLibrary, SameEffectTexturesAndOptionShareOneMaterial)
{
    RenderWorld world;
    world.WriteEffect("car.fx", "texture tex0;\ntexture tex1;\ntechnique T { pass P { } }\n");
    world.WriteEffect("glass.fx", "texture tex0;\ntechnique T { pass P { } }\n");
    world.WriteTexture("a.tga", Tga(2, 2, 0xFF000000));
    world.WriteTexture("b.tga", Tga(2, 2, 0xFFFFFFFF));

    CPEffectLibrary effects;
    CPTextureLibrary textures;
    CPMaterialLibrary materials(effects, textures);
    const std::vector<std::string> ab = {"a.tga", "b.tga"};

    CPMaterial* first = materials.GetMaterial("car.fx", ab, 0);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->GetTypeName(), "CPMaterial - car.fx");
    EXPECT_EQ(first->GetEffect(), effects.FindEffect("car.fx"));
    EXPECT_EQ(first->GetTextureBlock(), textures.GetTextureBlock(ab));
    EXPECT_EQ(first->GetOption(), 0);
    EXPECT_EQ(first->GetRenderer(), &world.render);

    EXPECT_EQ(materials.GetMaterial("car.fx", ab, 0), first);
    struct Case {
        const char* what;
        const char* effect;
        std::vector<std::string> textures;
        int option;
    };
    const Case others[] = {
        {"another option", "car.fx", ab, 20},
        {"textures in the other order", "car.fx", {"b.tga", "a.tga"}, 0},
        {"fewer textures", "car.fx", {"a.tga"}, 0},
        {"another effect", "glass.fx", ab, 0},
        {"the effect with an option", "car.fx,shared", ab, 0},
    };
    std::vector<CPMaterial*> made = {first};
    for (const Case& c : others) {
        SCOPED_TRACE(c.what);
        CPMaterial* material = materials.GetMaterial(c.effect, c.textures, c.option);
        for (CPMaterial* earlier : made)
            EXPECT_NE(material, earlier);
        made.push_back(material);
        EXPECT_EQ(materials.GetMaterial(c.effect, c.textures, c.option), material);
    }
    EXPECT_EQ(materials.GetMaterialCount(), 6u);
    EXPECT_EQ(effects.GetEffectCount(), 3u);
    EXPECT_EQ(textures.GetBlockCount(), 3u);
}

TEST(MaterialLibrary, AMaterialOfMissingPartsStillDraws)
{
    RenderWorld world;
    world.WriteEffect("simple.fx", "texture tex0;\ntechnique Simple { pass P { } }\n");
    world.WriteTexture("error.tga", Tga(2, 2, 0xFFFF00FF));
    CPEffectLibrary effects;
    CPTextureLibrary textures;
    CPMaterialLibrary materials(effects, textures);
    CPMaterial* material = materials.GetMaterial("gone.fx", {"gone.tga", ""}, 0);
    ASSERT_NE(material, nullptr);
    ASSERT_NE(material->GetEffect()->GetEffect(), nullptr);
    EXPECT_EQ(material->GetEffect()->GetName(), "gone.fx");
    ASSERT_EQ(material->GetTextureBlock()->GetTextureCount(), 2);
    EXPECT_EQ(material->GetTextureBlock()->GetTexture(0)->GetName(), "error.tga");
    EXPECT_NE(material->GetTextureBlock()->GetTexture(1)->GetTexture(), nullptr);
}
