#include "physics/ResponseTable.h"

PhResponseTable::PhResponseTable()
{
    for (auto& row : m_entries) {
        for (std::int32_t& entry : row)
            entry = kInitialResponse;
    }
    for (std::int32_t& entry : m_defaults)
        entry = kInitialResponse;
}

void PhResponseTable::Set(int i, int j, std::int32_t response)
{
    if (InRange(i) && InRange(j)) {
        m_entries[i][j] = response;
        m_entries[j][i] = response;
        return;
    }
    if (InRange(i) && j == -1) {
        m_defaults[i] = response;
        return;
    }
    if (i == -1 && InRange(j))
        m_defaults[j] = response;
}

std::int32_t PhResponseTable::Get(int i, int j) const
{
    if (InRange(i) && InRange(j))
        return m_entries[i][j];
    if (InRange(i) && j == -1)
        return m_defaults[i];
    if (i == -1 && InRange(j))
        return m_defaults[j];
    return kInitialResponse;
}
