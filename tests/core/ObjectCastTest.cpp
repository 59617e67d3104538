#include "core/ObjectCast.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/GameObject.h"
#include "core/ObjUpdater.h"
#include "core/Object.h"
#include "core/ScriptObject.h"
#include "game/Player.h"
#include "game/Spline.h"

namespace {

// Classes of the tree that place the root class away from the start of
// the object, so a cast has to move the pointer, and a second base the
// root class knows nothing of.
struct Extra {
    virtual ~Extra() = default;
    double padding[5] = {};
};

struct Leaf : CPObject {
    std::uint32_t GetObjectSize() const override { return sizeof(Leaf); }
    std::string GetTypeName() const override { return "Leaf"; }
};

struct ExtraFirst : Extra, CPObject {
    std::uint32_t GetObjectSize() const override { return sizeof(ExtraFirst); }
    std::string GetTypeName() const override { return "ExtraFirst"; }
};

struct BelowExtraFirst : ExtraFirst {
    std::uint32_t GetObjectSize() const override { return sizeof(BelowExtraFirst); }
    std::string GetTypeName() const override { return "BelowExtraFirst"; }
};

struct GameObjectWithExtra : CPGameObject, Extra {
    GameObjectWithExtra() : CPGameObject("with extra") {}
};

// Any number of classes more than a cast pair keeps answers for, so that
// they share slots.
template <int N> struct Numbered : CPObject {
    std::uint32_t GetObjectSize() const override { return sizeof(Numbered); }
    std::string GetTypeName() const override { return "Numbered" + std::to_string(N); }
};

struct Objects {
    std::vector<std::unique_ptr<CPObject>> all;
    template <class T, class... Args> void Add(Args&&... args)
    {
        all.push_back(std::make_unique<T>(std::forward<Args>(args)...));
    }
};

Objects MakeTree()
{
    Objects objects;
    objects.Add<Leaf>();
    objects.Add<ExtraFirst>();
    objects.Add<BelowExtraFirst>();
    objects.Add<GameObjectWithExtra>();
    objects.Add<CPGameObject>("plain");
    objects.Add<CPSpline>();
    objects.Add<CPPlayer>();
    objects.Add<CPScriptObject>();
    objects.Add<CPObjUpdater>();
    objects.Add<Numbered<1>>();
    objects.Add<Numbered<2>>();
    objects.Add<Numbered<3>>();
    objects.Add<Numbered<4>>();
    objects.Add<Numbered<5>>();
    objects.Add<Numbered<6>>();
    objects.Add<Numbered<7>>();
    objects.Add<Numbered<8>>();
    objects.Add<Numbered<9>>();
    return objects;
}

// Every object through As<T>, against the runtime's own cast, several
// rounds and in both orders, so that remembered answers are read back and
// overwritten by other classes' answers.
template <class T> void ExpectSameAnswers(const Objects& objects)
{
    for (int round = 0; round < 3; ++round) {
        for (std::size_t k = 0; k < objects.all.size(); ++k) {
            const std::size_t i = round == 1 ? objects.all.size() - 1 - k : k;
            CPObject* object = objects.all[i].get();
            const CPObjectPtr pointer(object);
            EXPECT_EQ(pointer.As<T>(), dynamic_cast<T*>(object))
                << object->GetTypeName() << " round " << round;
            const CPObject* constant = object;
            EXPECT_EQ(ObjectCast<const T>(constant), dynamic_cast<const T*>(constant))
                << object->GetTypeName() << " round " << round;
        }
    }
}

} // namespace

TEST(ObjectCast, AnswersAsTheRuntimesCastForEveryClassOfTheTree)
{
    const Objects objects = MakeTree();
    ExpectSameAnswers<CPObject>(objects);
    ExpectSameAnswers<CPGameObject>(objects);
    ExpectSameAnswers<CPSpline>(objects);
    ExpectSameAnswers<CPPlayer>(objects);
    ExpectSameAnswers<CPTask>(objects);
    ExpectSameAnswers<CPScriptObject>(objects);
    ExpectSameAnswers<CPObjUpdater>(objects);
    ExpectSameAnswers<Leaf>(objects);
    ExpectSameAnswers<ExtraFirst>(objects);
    ExpectSameAnswers<BelowExtraFirst>(objects);
    ExpectSameAnswers<GameObjectWithExtra>(objects);
    ExpectSameAnswers<Extra>(objects);
    ExpectSameAnswers<Numbered<5>>(objects);
}

TEST(ObjectCast, MovesThePointerToTheBaseItNames)
{
    BelowExtraFirst below;
    CPObject* root = &below;
    // The root class does not start the object: the answer lies before it.
    ASSERT_NE(static_cast<void*>(root), static_cast<void*>(&below));
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(CPObjectPtr(root).As<BelowExtraFirst>(), &below);
        EXPECT_EQ(CPObjectPtr(root).As<ExtraFirst>(), static_cast<ExtraFirst*>(&below));
        EXPECT_EQ(CPObjectPtr(root).As<Extra>(), static_cast<Extra*>(&below));
    }
    GameObjectWithExtra game;
    for (int i = 0; i < 2; ++i) {
        Extra* extra = CPObjectPtr(&game).As<Extra>();
        EXPECT_EQ(extra, static_cast<Extra*>(&game));
        EXPECT_EQ(ObjectCast<CPGameObject>(extra), static_cast<CPGameObject*>(&game));
    }
}

TEST(ObjectCast, AnEmptyPointerIsNoObjectOfAnyClass)
{
    const CPObjectPtr empty;
    EXPECT_EQ(empty.As<CPObject>(), nullptr);
    EXPECT_EQ(empty.As<CPGameObject>(), nullptr);
    EXPECT_EQ(ObjectCast<CPPlayer>(static_cast<CPGameObject*>(nullptr)), nullptr);
}
