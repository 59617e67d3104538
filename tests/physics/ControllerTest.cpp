#include "physics/Controller.h"

#include <vector>

#include <gtest/gtest.h>

#include "PhysicsTestSupport.h"
#include "physics/FrameListener.h"

using namespace phtest;

namespace {

struct RecordingListener : CPFrameListener {
    void OnFrame(PhController* controller, float stepTime) override
    {
        calls.push_back(step);
        lastController = controller;
        lastStepTime = stepTime;
        if (controller)
            controller->SetControllerForce(V(1, 2, 3));
    }
    int step = 0;
    std::vector<int> calls;
    PhController* lastController = nullptr;
    float lastStepTime = 0.0f;
};

} // namespace

TEST(Controller, AttachesToTheBodyWithItsPeriod)
{
    SimulatorPtr sim = MakeSimulator();
    PhRigidBody* body = sim->CreateRigidBody();
    RecordingListener listener;
    PhController* first = body->AddController(&listener, 3);
    PhController* second = body->AddController(nullptr, 0);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->owner, body);
    EXPECT_EQ(first->listener, &listener);
    EXPECT_EQ(first->period, 3);
    EXPECT_EQ(first->countdown, 3);
    EXPECT_VEC3_NEAR(first->force, 0, 0, 0, 0);
    EXPECT_VEC3_NEAR(first->torque, 0, 0, 0, 0);
    EXPECT_EQ(body->controllers.head, first);
    EXPECT_EQ(body->controllers.tail, second);
    EXPECT_EQ(body->controllers.count, 2);

    first->SetControllerForce(V(1, 0, 0));
    first->SetControllerTorque(V(0, 0, 4));
    EXPECT_VEC3_NEAR(first->force, 1, 0, 0, 0);
    EXPECT_VEC3_NEAR(first->torque, 0, 0, 4, 0);
}

TEST(Controller, StepCallsListenersAtTheirPeriod)
{
    struct Case {
        int period;
        std::vector<int> calls;
    };
    const Case cases[] = {
        {0, {1, 2, 3, 4, 5, 6}},
        {1, {1, 2, 3, 4, 5, 6}},
        {2, {2, 4, 6}},
        {3, {3, 6}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.period);
        SimulatorPtr sim = MakeSimulator();
        PhRigidBody* particle = sim->CreateRigidParticle();
        RecordingListener listener;
        PhController* controller = particle->AddController(&listener, c.period);
        for (listener.step = 1; listener.step <= 6; ++listener.step)
            sim->Step(0.01f);
        EXPECT_EQ(listener.calls, c.calls);
        EXPECT_EQ(listener.lastController, controller);
        EXPECT_FLOAT_EQ(listener.lastStepTime, 0.01f);
        EXPECT_VEC3_NEAR(controller->force, 1, 2, 3, 0);
    }
}

TEST(Controller, InactiveAndReleasedBodiesAreNotCalled)
{
    SimulatorPtr sim = MakeSimulator();
    PhRigidBody* parked = sim->CreateRigidBody();
    PhRigidBody* released = sim->CreateRigidBody();
    RecordingListener parkedListener, releasedListener;
    parked->AddController(&parkedListener, 1);
    released->AddController(&releasedListener, 1);
    parked->SetActive(0, 0);
    EXPECT_TRUE(sim->ReleaseBody(released));
    EXPECT_EQ(sim->GetControllerPool().GetInUseCount(), 1);

    sim->Step(0.01f);
    EXPECT_TRUE(parkedListener.calls.empty());
    EXPECT_TRUE(releasedListener.calls.empty());

    parked->SetActive(1, 0);
    sim->Step(0.01f);
    EXPECT_EQ(parkedListener.calls.size(), 1u);

    // The released controller is taken again clean.
    PhController* reused = sim->CreateRigidBody()->AddController(nullptr, 2);
    EXPECT_EQ(reused->listener, nullptr);
    EXPECT_EQ(reused->countdown, 2);
}
