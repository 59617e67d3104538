#include "physics/Stepping.h"

#include "physics/Simulator.h"
#include "physics/StepWorld.h"

void PhStepSimulation(PhSimulator& simulator, float frameTime)
{
    if (PhStepWorld* world = simulator.GetStepWorld())
        world->Advance(frameTime);
}
