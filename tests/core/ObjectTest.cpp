#include "core/Object.h"

#include <gtest/gtest.h>

namespace {

struct Probe : CPObject {
    explicit Probe(int* deaths = nullptr) : deaths(deaths) {}
    ~Probe() override
    {
        if (deaths)
            ++*deaths;
    }
    std::uint32_t GetObjectSize() const override { return sizeof(Probe); }
    std::string GetTypeName() const override { return "Probe"; }
    int* deaths;
};

// Queues another object from its destructor, as owners of object trees do.
struct Chain : Probe {
    Chain(int* deaths, CPObject* next) : Probe(deaths), next(next) {}
    ~Chain() override { QueueObjectForDelete(next); }
    CPObject* next;
};

} // namespace

TEST(Object, ReleaseZeroesTheCounterWhateverItWas)
{
    Probe object;
    EXPECT_EQ(object.GetUseCount(), 0u);
    object.AddRef();
    object.AddRef();
    object.AddRef();
    object.Release();
    EXPECT_EQ(object.GetUseCount(), 0u);
    object.AddRef();
    EXPECT_EQ(object.GetUseCount(), 1u);
}

TEST(ObjectPtr, CountsButNeverDeletes)
{
    int deaths = 0;
    Probe* object = new Probe(&deaths);
    {
        CPObjectPtr a(object);
        CPObjectPtr b(a);
        EXPECT_EQ(object->GetUseCount(), 2u);
    }
    EXPECT_EQ(deaths, 0);
    EXPECT_EQ(object->GetUseCount(), 0u);
    delete object;
    EXPECT_EQ(deaths, 1);
}

TEST(ObjectPtr, SelfAndNullAssignment)
{
    Probe object;
    CPObjectPtr p(&object);
    CPObjectPtr& alias = p;
    p = alias;
    EXPECT_EQ(object.GetUseCount(), 1u);
    EXPECT_EQ(p.Get(), &object);

    object.AddRef();
    p = CPObjectPtr();
    EXPECT_EQ(object.GetUseCount(), 0u);
    EXPECT_FALSE(p);
}

TEST(DeferredDelete, DeletesQueuedObjectsOnceAndEmptiesTheList)
{
    int deaths = 0;
    Probe* a = new Probe(&deaths);
    EXPECT_TRUE(QueueObjectForDelete(a));
    EXPECT_FALSE(QueueObjectForDelete(a));
    EXPECT_FALSE(QueueObjectForDelete(nullptr));
    GetDeferredDeleteList().push_back(nullptr);

    DeleteQueuedObjects();
    EXPECT_EQ(deaths, 1);
    EXPECT_TRUE(GetDeferredDeleteList().empty());

    DeleteQueuedObjects();
    EXPECT_EQ(deaths, 1);
}

TEST(DeferredDelete, ObjectsQueuedByDestructorsWaitForTheNextCall)
{
    int deaths = 0;
    Probe* tail = new Probe(&deaths);
    Chain* head = new Chain(&deaths, tail);
    QueueObjectForDelete(head);

    DeleteQueuedObjects();
    EXPECT_EQ(deaths, 1);
    ASSERT_EQ(GetDeferredDeleteList().size(), 1u);
    EXPECT_EQ(GetDeferredDeleteList().front(), tail);

    DeleteQueuedObjects();
    EXPECT_EQ(deaths, 2);
    EXPECT_TRUE(GetDeferredDeleteList().empty());
}
