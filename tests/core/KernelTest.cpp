#include "core/Kernel.h"

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/GameClock.h"
#include "core/ObjUpdater.h"

namespace {

struct Recorder : CPTask {
    Recorder(std::string name, int priority, std::vector<std::string>* log) : name(std::move(name)), log(log)
    {
        m_priority = priority;
    }
    std::uint32_t GetObjectSize() const override { return sizeof(Recorder); }
    std::string GetTypeName() const override { return "Recorder"; }
    int GetTaskType() const override { return 7; }
    void Step() override
    {
        if (log)
            log->push_back(name);
        if (onStep)
            onStep();
    }
    std::string name;
    std::vector<std::string>* log;
    std::function<void()> onStep;
};

std::vector<std::string> Names(const CPKernel& kernel)
{
    std::vector<std::string> names;
    for (const CPObjectPtr& task : kernel.GetTasks())
        names.push_back(task.As<Recorder>()->name);
    return names;
}

struct OrderCase {
    std::vector<int> priorities;
    std::vector<std::string> expected;
};

} // namespace

TEST(Kernel, OrdersByPriorityThenByInsertion)
{
    const OrderCase cases[] = {
        {{5000, 100, 5000, 400}, {"t1", "t3", "t0", "t2"}},
        {{100, 100, 100}, {"t0", "t1", "t2"}},
        {{3, 2, 1}, {"t2", "t1", "t0"}},
        {{-5, 0, -5, 7, 0}, {"t0", "t2", "t1", "t4", "t3"}},
    };
    for (const OrderCase& c : cases) {
        CPKernel kernel;
        std::vector<Recorder> tasks;
        tasks.reserve(c.priorities.size());
        for (std::size_t i = 0; i < c.priorities.size(); ++i)
            tasks.emplace_back("t" + std::to_string(i), c.priorities[i], nullptr);
        for (Recorder& task : tasks) {
            CPObjectPtr p(&task);
            EXPECT_TRUE(kernel.AddTask(p));
        }
        EXPECT_EQ(Names(kernel), c.expected);
        kernel.KillAllTasks();
        kernel.RemoveKilledTasks();
    }
}

TEST(Kernel, RefusesNullAndRunningTasksAndAcceptsThemAfterEnd)
{
    CPKernel kernel;
    CPObjectPtr none;
    EXPECT_FALSE(kernel.AddTask(none));

    Recorder task("t", 5000, nullptr);
    CPObjectPtr p(&task);
    EXPECT_TRUE(kernel.AddTask(p));
    EXPECT_FALSE(kernel.AddTask(p));
    EXPECT_EQ(kernel.GetTasks().size(), 1u);

    task.End();
    EXPECT_TRUE(task.IsKilled());
    EXPECT_FALSE(task.IsRunning());
    kernel.RemoveKilledTasks();
    EXPECT_TRUE(kernel.AddTask(p));
    EXPECT_FALSE(task.IsKilled());
    EXPECT_TRUE(task.IsRunning());
    kernel.RemoveTask(&task);
}

TEST(Kernel, KillAllTasksLeavesRunningFlagsAndTheList)
{
    CPKernel kernel;
    kernel.KillAllTasks();
    EXPECT_TRUE(kernel.GetTasks().empty());

    Recorder a("a", 1, nullptr), b("b", 2, nullptr);
    for (Recorder* t : {&a, &b}) {
        CPObjectPtr p(t);
        kernel.AddTask(p);
    }
    kernel.KillAllTasks();
    EXPECT_EQ(kernel.GetTasks().size(), 2u);
    EXPECT_TRUE(a.IsKilled() && b.IsKilled());
    EXPECT_TRUE(a.IsRunning() && b.IsRunning());

    // Once the frame's sweep has taken them out, they can be added again.
    kernel.StepTasks(0.0f);
    EXPECT_TRUE(kernel.GetTasks().empty());
    EXPECT_FALSE(a.IsRunning());
    CPObjectPtr again(&a);
    EXPECT_TRUE(kernel.AddTask(again));
    EXPECT_EQ(kernel.GetTasks().size(), 1u);
    kernel.RemoveTask(&a);
}

TEST(Kernel, StepRunsInOrderSkipsKilledAndDefersNewTasks)
{
    std::vector<std::string> log;
    CPKernel kernel;
    Recorder first("first", 1, &log), second("second", 2, &log), third("third", 3, &log);
    Recorder late("late", 0, &log);
    first.onStep = [&] {
        second.SetKilled(true);
        CPObjectPtr p(&late);
        kernel.AddTask(p);
    };
    for (Recorder* t : {&first, &second, &third}) {
        CPObjectPtr p(t);
        kernel.AddTask(p);
    }

    kernel.StepTasks(0.25f);
    EXPECT_EQ(log, (std::vector<std::string>{"first", "third"}));
    EXPECT_FLOAT_EQ(GetFrameTime(), 0.25f);
    EXPECT_EQ(Names(kernel), (std::vector<std::string>{"late", "first", "third"}));

    first.onStep = nullptr;
    log.clear();
    kernel.StepTasks(0.5f);
    EXPECT_EQ(log, (std::vector<std::string>{"late", "first", "third"}));
    kernel.KillAllTasks();
    kernel.RemoveKilledTasks();
}

TEST(Kernel, TaskRemovedDuringStepIsNotStepped)
{
    std::vector<std::string> log;
    CPKernel kernel;
    Recorder a("a", 1, &log), b("b", 2, &log);
    a.onStep = [&] { kernel.RemoveTask(&b); };
    for (Recorder* t : {&a, &b}) {
        CPObjectPtr p(t);
        kernel.AddTask(p);
    }
    kernel.StepTasks(0.1f);
    EXPECT_EQ(log, (std::vector<std::string>{"a"}));
    EXPECT_EQ(kernel.GetTasks().size(), 1u);
    kernel.RemoveTask(&a);
}

TEST(Kernel, TaskEndedAndAddedAgainBeforeTheSweepIsListedOnce)
{
    // A script that stops and restarts a timer in one frame.
    std::vector<std::string> log;
    CPKernel kernel;
    Recorder timer("timer", 5000, &log), physics("physics", 400, &log);
    for (Recorder* t : {&timer, &physics}) {
        CPObjectPtr p(t);
        kernel.AddTask(p);
    }
    timer.End();
    timer.SetPriority(100);
    CPObjectPtr p(&timer);
    EXPECT_TRUE(kernel.AddTask(p));
    EXPECT_EQ(Names(kernel), (std::vector<std::string>{"timer", "physics"}));

    // The same during a step: the timer moves behind the physics at its new
    // priority, and a restart there leaves it out of this frame's walk.
    physics.onStep = [&] {
        timer.End();
        CPObjectPtr again(&timer);
        kernel.AddTask(again);
    };
    timer.SetPriority(5000);
    kernel.StepTasks(0.1f);
    EXPECT_EQ(log, (std::vector<std::string>{"timer", "physics"}));
    EXPECT_EQ(Names(kernel), (std::vector<std::string>{"physics", "timer"}));
    log.clear();
    kernel.StepTasks(0.1f);
    EXPECT_EQ(log, (std::vector<std::string>{"physics"}));
    EXPECT_EQ(Names(kernel), (std::vector<std::string>{"physics", "timer"}));

    physics.onStep = nullptr;
    log.clear();
    kernel.StepTasks(0.1f);
    EXPECT_EQ(log, (std::vector<std::string>{"physics", "timer"}));
    kernel.KillAllTasks();
    kernel.RemoveKilledTasks();
}

TEST(ObjUpdater, StepsTheBoundOperationAndReportsItsType)
{
    int calls = 0;
    struct Owner {
        int* calls;
        void Update() { ++*calls; }
    } owner{&calls};
    CPObjUpdater updater(
        &owner, [&owner] { owner.Update(); }, 0);
    updater.SetPriority(500);
    EXPECT_EQ(updater.GetTypeName(), "CPObjUpdater");
    EXPECT_EQ(updater.GetTaskType(), 0);
    EXPECT_EQ(updater.GetOwner(), &owner);
    EXPECT_FALSE(updater.Duplicate());

    CPKernel kernel;
    CPObjectPtr p(&updater);
    kernel.AddTask(p);
    kernel.StepTasks(0.0f);
    kernel.StepTasks(0.0f);
    EXPECT_EQ(calls, 2);
    kernel.RemoveTask(&updater);
}
