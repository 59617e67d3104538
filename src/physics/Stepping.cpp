#include "physics/Stepping.h"

#include "physics/Simulator.h"

namespace {

void RunControllers(PhRigidBody* first, float stepTime)
{
    for (PhRigidBody* body = first; body;) {
        PhRigidBody* nextBody = body->next;
        for (PhController* controller = body->controllers.head; controller;) {
            PhController* nextController = controller->next;
            controller->Tick(stepTime);
            controller = nextController;
        }
        body = nextBody;
    }
}

} // namespace

void PhStepSimulation(PhSimulator& simulator, float stepTime)
{
    const PhSimulator::BodyLists& lists = simulator.GetBodyLists();
    RunControllers(lists.rigidActive.head, stepTime);
    RunControllers(lists.particleActive.head, stepTime);
}
