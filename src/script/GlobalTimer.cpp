#include "script/GlobalTimer.h"

CPGlobalTimer& GetGlobalTimer()
{
    // Never destroyed: a kernel that outlives the statics may still list it.
    static CPGlobalTimer* timer = new CPGlobalTimer();
    return *timer;
}
