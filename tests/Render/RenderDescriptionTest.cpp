#include <gtest/gtest.h>

#include "LoaderWorld.h"
#include "Render/AnimatedObject.h"
#include "Render/Light.h"
#include "Render/PRender.h"
#include "Render/PartAnimation.h"
#include "Render/RenderObject.h"
#include "Render/Sprite.h"
#include "Render/VertexEffect.h"
#include "core/ScriptObject.h"

namespace {

// A scene of one triangle part named "part" with the description lines.
CPGameObject* LoadPart(LoaderWorld& world, const std::string& lines, int option = 0)
{
    world.Mesh("m.msh", meshbytes::PlainFile({TriangleNode("part")}));
    world.Scene("s.rdf", "mesh = m.msh\n[part]\n" + lines);
    return world.Load("s.rdf", option);
}

CPObjectPtr MaterialOf(CPGameObject* object)
{
    CPObjectPtr material;
    object->GetRenderObject().As<CPRenderObject>()->GetMaterial(material);
    return material;
}

// A part-animation track of three keys moving along x.
std::string TrackBytes(const std::string& name)
{
    meshbytes::Writer w;
    w.Int(static_cast<std::int32_t>(name.size())).Raw(name.data(), name.size()).Int(3);
    for (int key = 0; key < 3; ++key) {
        w.Float(1.0f);
        const float rows[12] = {1, 0, 0, float(key), 0, 1, 0, 0, 0, 0, 1, 0};
        w.Raw(rows, sizeof(rows));
    }
    return w.bytes;
}

} // namespace

TEST(RenderDescription, MaterialFromEffectTexturesAndType)
{
    LoaderWorld world;
    CPGameObject* bare = LoadPart(world, "", 20);
    ASSERT_NE(bare, nullptr);
    // No effect, one empty texture name, the option alone.
    EXPECT_EQ(MaterialOf(bare).Get(), world.Material("", {""}, 20));

    CPGameObject* full = LoadPart(world,
                                  "effectfile = car.fx\ntexturefile1 = a.tga\ntexturefile3 = c.tga\n"
                                  "texturefile2 = b.tga\ntype = 3\n",
                                  20);
    ASSERT_NE(full, nullptr);
    EXPECT_EQ(MaterialOf(full).Get(), world.Material("car.fx", {"a.tga", "b.tga", "c.tga"}, 23));
}

TEST(RenderDescription, ShadowMaterialIsChosenBeforeTheShadowFlagIsRead)
{
    LoaderWorld world;
    world.files.render.SetDefaultShadowMaterial(world.Material("default_shadow.fx", {""}, 0));
    struct Case {
        const char* lines;
        CPMaterial* expected;
        bool shadow;
    };
    const Case cases[] = {
        {"effectfile = holey.fx\ntexturefile1 = leaf.tga\n",
         world.Material("holey_shadow.fx", {"leaf.tga"}, 16), true},
        {"effectfile = car.fx\n", world.Material("default_shadow.fx", {""}, 0), true},
        {"effectfile = holey.fx\nshadow = 0\n", world.Material("holey_shadow.fx", {""}, 16), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lines);
        CPGameObject* part = LoadPart(world, c.lines);
        ASSERT_NE(part, nullptr);
        EXPECT_EQ(part->GetShadowMaterial().Get(), c.expected);
        EXPECT_EQ(part->HasShadow(), c.shadow);
    }

    // A sprite starts without the shadow flag: no shadow material at all.
    world.Scene("glow.rdf", "mesh = empty\nsprite = glow,0,0,0,1,,0,0,0,\n[glow]\neffectfile = holey.fx\n");
    CPGameObject* root = world.Load("glow.rdf");
    ASSERT_NE(root, nullptr);
    EXPECT_FALSE(Child(root, 0)->GetShadowMaterial());
}

TEST(RenderDescription, FlagsTextAndFlame)
{
    LoaderWorld world;
    CPGameObject* part =
        LoadPart(world, "visible = 0\ncollision = 0\nparam = Left Door\nflametype = 2\nunknown = 5\n");
    ASSERT_NE(part, nullptr);
    EXPECT_FALSE(part->IsVisible());
    EXPECT_FALSE(part->IsPickable());
    EXPECT_EQ(part->GetText(), "left door");
    EXPECT_EQ(part->GetFlameEffect(), 2);

    CPGameObject* plain = LoadPart(world, "");
    EXPECT_TRUE(plain->IsVisible());
    EXPECT_TRUE(plain->IsPickable());
    EXPECT_EQ(plain->GetFlameEffect(), -1);
}

TEST(RenderDescription, FireMaterialWhenTheFireTextureExists)
{
    LoaderWorld world;
    world.files.WriteTexture("rock_fire.tga", renderfiles::Tga(1, 1, 0xFFFF0000));
    world.files.WriteTexture("bare_fire.tga", renderfiles::Tga(1, 1, 0xFFFF0000));
    struct Case {
        const char* lines;
        const char* fire; // "" when there is none
    };
    const Case cases[] = {
        {"texturefile1 = rock.tga\n", "rock_fire.tga"},
        {"texturefile1 = bare\n", "bare_fire.tga"},
        {"texturefile1 = sand.tga\n", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lines);
        CPGameObject* part = LoadPart(world, c.lines);
        ASSERT_NE(part, nullptr);
        CPMaterial* expected = *c.fire ? world.Material("holey.fx", {c.fire}, 20) : nullptr;
        EXPECT_EQ(part->GetFireMaterial().Get(), expected);
    }
}

TEST(RenderDescription, ShadowTexturesNeedBothTheTextureAndTheEffect)
{
    LoaderWorld world;
    world.files.WriteTexture("shadows/part_sh.tga", renderfiles::Tga(1, 1, 0xFF000000));
    world.files.WriteEffect("car_sh.fx", "technique T { pass P { } }\n");
    world.Mesh("m.msh", meshbytes::PlainFile({TriangleNode("part"), TriangleNode("other")}));
    world.Scene("s.rdf", "mesh = m.msh\nshadowtextures = shadows,_sh.tga,_sh.fx\n"
                         "[part]\neffectfile = car.fx\ntexturefile1 = a.tga\n"
                         "[other]\neffectfile = car.fx\ntexturefile1 = a.tga\n");
    world.Scene("short.rdf",
                "mesh = m.msh\nshadowtextures = shadows,_sh.tga,_sh.fx\n[part]\neffectfile = fx\n");

    CPGameObject* root = world.Load("s.rdf");
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(MaterialOf(Child(root, 0)).Get(),
              world.Material("car_sh.fx", {"a.tga", "shadows\\part_sh.tga"}, 0));
    EXPECT_EQ(MaterialOf(Child(root, 1)).Get(),
              world.Material("car.fx", {"a.tga"}, 0)); // no texture of its own

    // An effect name shorter than its extension is left as it is.
    CPGameObject* shortRoot = world.Load("short.rdf");
    ASSERT_NE(shortRoot, nullptr);
    EXPECT_EQ(MaterialOf(Child(shortRoot, 0)).Get(), world.Material("fx", {""}, 0));
}

TEST(RenderDescription, ScriptObjectByRegisteredName)
{
    LoaderWorld world;
    CPScriptObject script;
    world.registry.Register("doorscript", "level", &script);
    CPGameObject* part = LoadPart(world, "script = DoorScript\n");
    ASSERT_NE(part, nullptr);
    EXPECT_EQ(part->GetScriptObject(), &script);
    EXPECT_EQ(part->GetTag(), 0);

    CPGameObject* lost = LoadPart(world, "script = nobody\n");
    EXPECT_EQ(lost->GetScriptObject(), nullptr);
    EXPECT_TRUE(world.files.log.Contains("\"nobody\", which is not registered"));
}

TEST(RenderDescription, StaticMeshUnlessTheGeometryHasVertexEffects)
{
    LoaderWorld world;
    CPGameObject* still = LoadPart(world, "");
    ASSERT_NE(still, nullptr);
    auto* mesh = still->GetRenderObject().As<CPRenderObject>();
    EXPECT_TRUE(mesh->IsDisabled());
    EXPECT_EQ(mesh->GetName(), "m.mshpart");
    ASSERT_NE(mesh->GetStaticMesh(), nullptr);
    EXPECT_EQ(mesh->GetStaticMesh(), world.files.render.FindStaticMesh("m.mshpart"));
    EXPECT_EQ(still->GetTag(), 1);

    CPGameObject* moving = LoadPart(world, "vertexeffect = Fade 2;movingtex 0.5;movingtex 0.1,0.2;bogus 1\n");
    ASSERT_NE(moving, nullptr);
    auto* effects = moving->GetRenderObject().As<CPRenderObject>();
    EXPECT_FALSE(effects->IsDisabled());
    EXPECT_EQ(effects->GetStaticMesh(), nullptr);
    EXPECT_TRUE(effects->HasEffects());
    EXPECT_EQ(effects->GetEffects().GetSize(), 2u); // fade and the whole movingtex
    EXPECT_EQ(moving->GetTag(), 0);
    EXPECT_TRUE(world.files.log.Contains("\"movingtex 0.5\""));
}

TEST(RenderDescription, SpritesKeepTheirTagWithEffectsAndLightsTakeNone)
{
    LoaderWorld world;
    world.Scene("e.rdf", "mesh = empty\nsprite = glow,0,0,0,1,,0,0,0,\n[glow]\nvertexeffect = fade 1\n");
    CPGameObject* root = world.Load("e.rdf");
    ASSERT_NE(root, nullptr);
    CPGameObject* glow = Child(root, 0);
    auto* sprite = glow->GetRenderObject().As<CPSprite>();
    EXPECT_TRUE(sprite->HasEffects());
    EXPECT_EQ(sprite->GetEffects().GetSize(), 1u);
    EXPECT_EQ(glow->GetTag(), 1);

    CPGameObject light("lamp");
    light.SetRenderObject(new CPLight(), CPGameObject::kLight);
    SceneSection description = {{"vertexeffect", "fade 1"}, {"visible", "0"}};
    world.loader.ReadRenderDescription(&light, description, 0);
    EXPECT_FALSE(light.IsVisible());
    EXPECT_EQ(light.GetTag(), 1);
}

TEST(RenderDescription, PartAnimationsGoToEveryPartOfTheirName)
{
    LoaderWorld world;
    meshbytes::Writer file;
    file.Int(3);
    file.Raw(TrackBytes("Door").data(), TrackBytes("Door").size());
    file.Raw(TrackBytes("lid").data(), TrackBytes("lid").size());
    file.Raw(TrackBytes("nowhere").data(), TrackBytes("nowhere").size());
    world.File("Data/Animations/open.pan", file.bytes);

    meshbytes::PlainNode car = TriangleNode("car");
    meshbytes::PlainNode box = TriangleNode("box");
    box.children = {TriangleNode("door")};
    car.children = {TriangleNode("door"), box};
    world.Mesh("car.msh", meshbytes::PlainFile({car}));
    world.Scene("car.rdf", "mesh = car.msh\n[car]\nanimation = open,open.pan;idle,missing.pan\n");

    CPGameObject* root = world.Load("car.rdf");
    ASSERT_NE(root, nullptr);
    CPGameObject* first = Child(root, 0);
    CPGameObject* second = Child(Child(root, 1), 0);
    for (CPGameObject* door : {first, second}) {
        ASSERT_EQ(door->GetAnimations().count("open"), 1u);
        auto* track = door->GetAnimations().at("open").As<CPPartAnimation>();
        EXPECT_EQ(track->GetOwner(), door);
        ASSERT_EQ(track->GetKeys().size(), 3u);
        EXPECT_FLOAT_EQ(track->GetKeys()[2].m[3][0], 2.0f); // the stored row's t ends in row 3
        EXPECT_EQ(door->GetTag(), 0);
    }
    EXPECT_NE(first->GetAnimations().at("open"), second->GetAnimations().at("open"));
    EXPECT_TRUE(root->GetAnimations().empty());
    EXPECT_TRUE(Child(root, 1)->GetAnimations().empty());
}
