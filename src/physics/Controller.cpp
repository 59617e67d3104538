#include "physics/Controller.h"

#include "physics/FrameListener.h"

void PhController::Tick(float stepTime)
{
    --countdown;
    if (countdown > 0)
        return;
    countdown = period;
    if (listener)
        listener->OnFrame(this, stepTime);
}
