#include "core/Task.h"

bool CPTask::Begin()
{
    if (m_running)
        return false;
    m_killed = false;
    m_running = true;
    return true;
}

void CPTask::End()
{
    m_killed = true;
    m_running = false;
}
