#include "Render/ActiveEffects.h"

#include <algorithm>

#include "core/Object.h"

void CPActiveEffects::Add(CPObject* prototype)
{
    if (!prototype)
        return;
    prototype->AddRef();
    ++m_total;
    for (Run& run : m_runs) {
        if (run.prototype == prototype) {
            ++run.count;
            return;
        }
    }
    m_runs.push_back({prototype, 1});
}

void CPActiveEffects::Forget(const CPObject* prototype)
{
    const auto gone = std::remove_if(m_runs.begin(), m_runs.end(), [this, prototype](const Run& run) {
        if (run.prototype != prototype)
            return false;
        run.prototype->Release();
        m_total -= run.count;
        return true;
    });
    m_runs.erase(gone, m_runs.end());
}

void CPActiveEffects::Clear()
{
    for (const Run& run : m_runs)
        run.prototype->Release();
    m_runs.clear();
    m_total = 0;
}
