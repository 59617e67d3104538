#include <gtest/gtest.h>

#include "LoaderWorld.h"
#include "Render/Light.h"
#include "Render/ParticleSystem.h"
#include "Render/RenderObject.h"
#include "Render/Sprite.h"
#include "core/ScriptObject.h"

using meshbytes::PlainFile;

TEST(SceneLoader, MeshModeWithOneNodeMakesTheNodeTheRoot)
{
    LoaderWorld world;
    world.Mesh("rock.msh", PlainFile({TriangleNode("Rock")}));
    world.Scene("rock.rdf", "mesh = rock.msh\n[rock]\nvisible = 0\n");

    CPGameObject* root = world.Load("rock.rdf");
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->GetName(), "rock");
    EXPECT_EQ(root->GetLabel(), "rock.rdf");
    EXPECT_EQ(root->GetRenderKind(), CPGameObject::kMeshObject);
    EXPECT_FALSE(root->IsVisible()); // the section of the lower-cased name
    EXPECT_EQ(world.loader.GetMeshName(), "rock.msh");
    ASSERT_EQ(root->GetLinkedObjects().size(), 1u);
    EXPECT_EQ(root->GetLinkedObjects()[0].object.Get(), root);
}

TEST(SceneLoader, MeshModeWithTwoNodesGroupsThemUnderARootNamedAfterTheScene)
{
    LoaderWorld world;
    world.Mesh("pair.msh", PlainFile({TriangleNode("a"), TriangleNode("b")}));
    world.Scene("Pair.rdf", "mesh = pair.msh\n");

    CPGameObject* root = world.Load("Pair.rdf");
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->GetName(), "Pair.rdf");
    EXPECT_EQ(root->GetLabel(), "Pair.rdf");
    EXPECT_EQ(root->GetRenderKind(), CPGameObject::kNoRenderObject);
    EXPECT_EQ(ChildNames(root), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(Child(root, 1)->GetParentObject(), root);
}

TEST(SceneLoader, EmptyModeKeepsTheSpritesTags)
{
    LoaderWorld world;
    world.Scene("e.rdf",
                "mesh = empty\nsprite = glow,1,2,3,0.5,,0,0,0,\nlight = l,empty,x,0,0,0,1,1,1,0,1\n");

    CPGameObject* root = world.Load("e.rdf");
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->GetName(), "empty");
    EXPECT_EQ(root->GetRenderKind(), CPGameObject::kNoRenderObject);
    EXPECT_TRUE(root->GetLinkedObjects().empty());                 // no levels of detail in this mode
    ASSERT_EQ(ChildNames(root), std::vector<std::string>{"glow"}); // and no lights
    CPGameObject* glow = Child(root, 0);
    EXPECT_EQ(glow->GetTag(), 1);
    EXPECT_EQ(glow->GetRenderKind(), CPGameObject::kSprite);
    EXPECT_FALSE(glow->HasShadow());
    EXPECT_FLOAT_EQ(glow->GetPosition().z, 3.0f);
    auto* sprite = glow->GetRenderObject().As<CPSprite>();
    ASSERT_NE(sprite, nullptr);
    EXPECT_EQ(sprite->GetOwner(), glow);
    EXPECT_FLOAT_EQ(sprite->GetSize(), 0.5f);
    EXPECT_FLOAT_EQ(glow->GetBoundingBox().halfExtents.y, 0.5f);
}

TEST(SceneLoader, SpritesLightsAndParticleSystemsFindTheirParents)
{
    LoaderWorld world;
    meshbytes::PlainNode body = TriangleNode("body");
    meshbytes::PlainNode door = TriangleNode("door");
    door.children = {TriangleNode("handle")};
    body.children = {door};
    world.Mesh("car.msh", PlainFile({body}));
    world.Scene("car.rdf", "mesh = car.msh\n"
                           "sprite = s_deep,0,0,0,1,door,1,0,0,0.5\n" // found deep in the tree
                           "sprite = s_none,0,0,0,1,nobody,0,0,0,\n"  // not found: the root
                           "sprite = s_empty,0,0,0,1,,0,0,0,\n"       // empty: the root
                           "light = l_root,body,x,1,2,3,0.5,0.25,1,0.1,7\n"
                           "light = l_deep,door,x,0,0,0,1,1,1,0,1\n"
                           "light = l_empty,,x,0,0,0,1,1,1,0,1\n" // attached to nothing
                           "psystem = p_root,body,0,0,1,0.25\n"
                           "psystem = p_door,door,0,0,0,0.25\n"
                           "psystem = p_deep,handle,0,0,0,0.25\n" // not a direct child: nothing
                           "psystem = p_empty,,0,0,0,0.25\n");

    CPGameObject* root = world.Load("car.rdf");
    ASSERT_NE(root, nullptr);
    CPGameObject* doorObject = Child(root, 0);
    EXPECT_EQ(ChildNames(root), (std::vector<std::string>{"door", "s_none", "s_empty", "l_root", "p_root"}));
    EXPECT_EQ(ChildNames(doorObject), (std::vector<std::string>{"handle", "s_deep", "l_deep", "p_door"}));
    EXPECT_TRUE(world.files.log.Contains("\"l_empty\" has no parent"));
    EXPECT_TRUE(world.files.log.Contains("\"p_deep\" has no parent"));

    CPGameObject* deep = Child(doorObject, 1);
    EXPECT_EQ(deep->GetTag(), 0); // mesh mode clears sprite tags
    auto* sprite = deep->GetRenderObject().As<CPSprite>();
    EXPECT_FLOAT_EQ(sprite->GetDirection().x, 1.0f);
    EXPECT_FLOAT_EQ(sprite->GetConeLimit(), 0.5f);
    EXPECT_FLOAT_EQ(Child(root, 1)->GetRenderObject().As<CPSprite>()->GetConeLimit(), 0.0f);

    CPGameObject* lightObject = Child(root, 3);
    const platform::Light& light = lightObject->GetRenderObject().As<CPLight>()->GetLight();
    EXPECT_EQ(light.type, platform::LightType::Point);
    EXPECT_FLOAT_EQ(light.diffuse.r, 0.5f);
    EXPECT_FLOAT_EQ(light.specular.g, 0.25f);
    EXPECT_FLOAT_EQ(light.ambient.b, 1.0f);
    EXPECT_FLOAT_EQ(light.diffuse.a, 0.0f);
    EXPECT_FLOAT_EQ(light.attenuation1, 0.1f);
    EXPECT_FLOAT_EQ(light.range, 7.0f);
    EXPECT_FLOAT_EQ(lightObject->GetPosition().y, 2.0f);
    EXPECT_FLOAT_EQ(lightObject->GetBoundingBox().halfExtents.x, 7.0f);
    EXPECT_FALSE(lightObject->HasShadow());

    CPGameObject* systemObject = Child(root, 4);
    EXPECT_EQ(systemObject->GetRenderKind(), CPGameObject::kTaskObject);
    auto* system = systemObject->GetRenderObject().As<CPParticleSystem>();
    ASSERT_NE(system, nullptr);
    EXPECT_FLOAT_EQ(system->GetInterval(), 0.25f);
    EXPECT_EQ(system->GetOwner(), systemObject);
    EXPECT_FLOAT_EQ(systemObject->GetPosition().z, 1.0f);
}

TEST(SceneLoader, AnimatedModeAttachesSixFieldSpritesOnlyToNamedParents)
{
    LoaderWorld world;
    meshbytes::AnimatedNode root;
    root.name = "Monster";
    root.frames = {Triangle(0), Triangle(1)};
    meshbytes::AnimatedNode arm = root;
    arm.name = "arm";
    root.children = {arm};
    world.Mesh("walk.an", meshbytes::AnimatedFile(root));
    world.Scene("monster.rdf", "mesh = x\n"
                               "description = anim;walk,walk.an\n"
                               "sprite = s_arm,0,0,0,1,arm\n"
                               "sprite = s_root,0,0,0,1,monster\n"
                               "sprite = s_empty,0,0,0,1,\n"
                               "sprite = s_lost,0,0,0,1,nobody\n"
                               "light = l,monster,x,0,0,0,1,1,1,0,1\n");

    CPGameObject* monster = world.Load("monster.rdf");
    ASSERT_NE(monster, nullptr);
    EXPECT_EQ(monster->GetName(), "monster");
    EXPECT_EQ(monster->GetLabel(), "monster.rdf");
    EXPECT_EQ(monster->GetRenderKind(), CPGameObject::kAnimatedObject);
    EXPECT_EQ(ChildNames(monster), (std::vector<std::string>{"arm", "s_root", "s_empty"}));
    EXPECT_EQ(ChildNames(Child(monster, 0)), std::vector<std::string>{"s_arm"});
    EXPECT_TRUE(world.files.log.Contains("\"s_lost\" has no parent"));
    // The whole description is the root's description file as well.
    EXPECT_EQ(monster->GetDescriptionFile(), "anim;walk,walk.an");
    // The list of animations names no file: looking for one is no fault.
    EXPECT_FALSE(world.files.log.Contains("data\\descriptions")) << world.files.log.Text();
}

TEST(SceneLoader, LevelsOfDetailLoadNestedScenesAndNeverThemselves)
{
    LoaderWorld world;
    world.Mesh("near.msh", PlainFile({TriangleNode("near")}));
    world.Mesh("far.msh", PlainFile({TriangleNode("far")}));
    world.Scene("far.rdf", "mesh = far.msh\n");
    world.Scene("near.rdf", "mesh = near.msh\nlod = far.rdf,150\nlod = null,300\nlod = NEAR.rdf,400\n");

    CPGameObject* root = world.Load("near.rdf");
    ASSERT_NE(root, nullptr);
    const auto& levels = root->GetLinkedObjects();
    ASSERT_EQ(levels.size(), 4u);
    EXPECT_EQ(levels[0].object.Get(), root);
    EXPECT_EQ(levels[0].distance, 0);
    ASSERT_TRUE(levels[1].object);
    EXPECT_EQ(levels[1].object.As<CPGameObject>()->GetName(), "far");
    EXPECT_EQ(levels[1].distance, 150);
    EXPECT_FALSE(levels[2].object);
    EXPECT_EQ(levels[2].distance, 300);
    EXPECT_FALSE(levels[3].object); // itself: refused, an empty level stands in
    EXPECT_EQ(levels[3].distance, 400);
    EXPECT_TRUE(world.files.log.Contains("as a level of detail inside itself"));
}

TEST(SceneLoader, UnreadableFilesFallBackOnceAndCorruptMeshesBuildNothing)
{
    LoaderWorld world;
    EXPECT_EQ(world.Load("missing.rdf"), nullptr); // and no wrong.rdf either: no endless retry
    EXPECT_TRUE(world.files.log.Contains("\"wrong.rdf\" cannot be read either"));

    world.Mesh("wrong.msh", PlainFile({TriangleNode("wrong")}));
    world.Scene("wrong.rdf", "mesh = wrong.msh\n");
    CPGameObject* stand = world.Load("missing.rdf");
    ASSERT_NE(stand, nullptr);
    EXPECT_EQ(stand->GetName(), "wrong");

    world.Scene("nomesh.rdf", "mesh = nothere.msh\nlod = null,5\n");
    EXPECT_EQ(world.Load("nomesh.rdf"), nullptr);
    EXPECT_TRUE(world.files.log.Contains("\"nothere.msh\", which cannot be read"));

    world.Scene("oneword.rdf", "oneword\n");
    EXPECT_EQ(world.Load("oneword.rdf"), nullptr);
}

TEST(SceneLoader, LineDataAndColour)
{
    LoaderWorld world;
    world.Mesh("road.msh", PlainFile({TriangleNode("road")}));
    world.Scene("road.rdf",
                "mesh = road.msh\nlinekeypoint = 1,2,3\nlinekeypoint = 4,5\nlinecolor = ff102030\n");
    world.Scene("bad.rdf", "mesh = road.msh\nlinecolor = zz\n");

    CPGameObject* road = world.Load("road.rdf");
    ASSERT_NE(road, nullptr);
    EXPECT_EQ(road->GetColour(), 0xff102030u);
    const std::vector<Vector3>& points = road->GetPoints();
    ASSERT_EQ(points.size(), 2u);
    EXPECT_FLOAT_EQ(points[0].z, 3.0f);
    EXPECT_FLOAT_EQ(points[1].y, 5.0f);
    EXPECT_FLOAT_EQ(points[1].z, 0.0f); // a missing field reads as 0

    CPGameObject* bad = world.Load("bad.rdf");
    ASSERT_NE(bad, nullptr);
    EXPECT_EQ(bad->GetColour(), 0xFF4E4E4Eu);
    EXPECT_TRUE(world.files.log.Contains("no hexadecimal number"));
}

TEST(SceneLoader, SnowIsLeftOutOnlyWithoutWeather)
{
    LoaderWorld world;
    world.Mesh("sky.msh", PlainFile({TriangleNode("sky")}));
    world.Scene("sky.rdf", "mesh = sky.msh\npsystem = snow2,sky,0,0,0,1\npsystem = rain,sky,0,0,0,1\n");

    for (int weather : {0, 1}) {
        SCOPED_TRACE(weather);
        GetGameSettings().weather = weather;
        CPGameObject* root = world.Load("sky.rdf");
        ASSERT_NE(root, nullptr);
        const std::vector<std::string> expected =
            weather ? std::vector<std::string>{"snow2", "rain"} : std::vector<std::string>{"rain"};
        EXPECT_EQ(ChildNames(root), expected);
    }
}

TEST(SceneLoader, ShadowTextureModeLastsOneLoadAndSurvivesANestedOne)
{
    LoaderWorld world;
    world.files.WriteTexture("shadows/glow_sh.tga", renderfiles::Tga(1, 1, 0xFF000000));
    world.files.WriteEffect("spark_sh.fx", "technique T { pass P { } }\n");
    world.Mesh("a.msh", PlainFile({TriangleNode("a")}));
    world.Scene("plain.rdf", "mesh = a.msh\n");
    // In the animated mode the levels of detail load before the sprites.
    meshbytes::AnimatedNode flag;
    flag.name = "flag";
    flag.frames = {Triangle(0)};
    world.Mesh("flag.an", meshbytes::AnimatedFile(flag));
    world.Scene("outer.rdf",
                "mesh = x\ndescription = anim;wave,flag.an\nshadowtextures = shadows,_sh.tga,_sh.fx\n"
                "lod = plain.rdf,10\nsprite = glow,0,0,0,1,\n[glow]\neffectfile = spark.fx\n");

    CPGameObject* root = world.Load("outer.rdf");
    ASSERT_NE(root, nullptr);
    EXPECT_FALSE(world.loader.IsShadowTextureMode());
    CPObjectPtr material;
    Child(root, 0)->GetRenderObject().As<CPSprite>()->GetMaterial(material);
    EXPECT_EQ(material.Get(), world.Material("spark_sh.fx", {"", "shadows\\glow_sh.tga"}, 0));

    // The next load without the key has no shadow textures.
    world.Scene("later.rdf", "mesh = empty\nsprite = glow,0,0,0,1,,0,0,0,\n[glow]\neffectfile = spark.fx\n");
    CPGameObject* later = world.Load("later.rdf");
    ASSERT_NE(later, nullptr);
    Child(later, 0)->GetRenderObject().As<CPSprite>()->GetMaterial(material);
    EXPECT_EQ(material.Get(), world.Material("spark.fx", {""}, 0));
}

TEST(SceneLoader, TheDescriptionKeyLoadsTheRootsXmlDescription)
{
    LoaderWorld world;
    world.Mesh("a.msh", PlainFile({TriangleNode("a")}));
    world.File("Data/Descriptions/crate.xml", "<object kind=\"crate\"/>\n");
    world.Scene("a.rdf", "mesh = a.msh\ndescription = Crate.xml\n");

    CPGameObject* root = world.Load("a.rdf");
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->GetDescriptionFile(), "crate.xml");
    ASSERT_NE(root->GetDescription().RootElement(), nullptr);
    EXPECT_STREQ(root->GetDescription().RootElement()->Attribute("kind"), "crate");
}
