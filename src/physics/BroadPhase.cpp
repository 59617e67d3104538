#include "physics/BroadPhase.h"

#include <cstring>
#include <limits>
#include <new>

#include "physics/Allocator.h"
#include "physics/Body.h"
#include "physics/PhysicsMath.h"

PhPairEntry* PhBroadPhase::AllocEntries(std::size_t count)
{
    if (count == 0)
        return nullptr;
    if (count > std::numeric_limits<std::size_t>::max() / sizeof(PhPairEntry))
        return nullptr;
    void* block = m_allocator->Alloc(count * sizeof(PhPairEntry), 0);
    if (!block)
        return nullptr;
    std::memset(block, 0, count * sizeof(PhPairEntry));
    return static_cast<PhPairEntry*>(block);
}

PhPairEntry* PhBroadPhase::TakeTable(PhPairEntry*& table, std::size_t count)
{
    if (!table && m_allocator)
        table = AllocEntries(count);
    return table;
}

void PhBroadPhase::FreeEntries(PhPairEntry*& entries)
{
    if (entries)
        m_allocator->Free(entries);
    entries = nullptr;
}

bool PhBroadPhase::Build(int bodies, int particles, int overlappedPairs, PhAllocator& allocator)
{
    Release();
    const std::size_t n = bodies > 0 ? static_cast<std::size_t>(bodies) : 0;
    const std::size_t p = particles > 0 ? static_cast<std::size_t>(particles) : 0;
    m_allocator = &allocator;
    m_bodyCount = static_cast<int>(n + p);
    m_overlappedPairs = overlappedPairs > 0 ? overlappedPairs : 0;
    m_pairCount = n > 1 ? n * (n - 1) / 2 : 0;
    m_particlePairCount = n * p;

    bool ok = true;
    auto take = [&](PhPairEntry*& entries, std::size_t count) {
        entries = AllocEntries(count);
        if (count > 0 && !entries)
            ok = false;
    };
    take(m_bodyEntries, n + p);
    take(m_bodyPool, n + p);
    take(m_overlaps, static_cast<std::size_t>(m_overlappedPairs));

    const std::size_t points = 2 * (n + p);
    for (int axis = 0; axis < kAxisCount && ok && points > 0; ++axis) {
        void* block = allocator.Alloc(points * sizeof(PhEndPoint), 0);
        if (!block) {
            ok = false;
            break;
        }
        m_points[axis] = static_cast<PhEndPoint*>(block);
        for (std::size_t i = 0; i < points; ++i) {
            PhEndPoint* point = new (m_points[axis] + i) PhEndPoint();
            point->isMaximum = static_cast<std::uint8_t>(i & 1);
            point->axis = static_cast<std::uint8_t>(axis);
            point->axisBit = static_cast<std::uint8_t>(1 << axis);
        }
    }
    if (!ok)
        Release();
    return ok;
}

void PhBroadPhase::Release()
{
    if (!m_allocator)
        return;
    for (int axis = 0; axis < kAxisCount; ++axis) {
        if (m_points[axis])
            m_allocator->Free(m_points[axis]);
        m_points[axis] = nullptr;
        m_first[axis] = nullptr;
        m_unsorted[axis] = false;
        m_listed[axis] = 0;
    }
    FreeEntries(m_pairs);
    FreeEntries(m_particlePairs);
    FreeEntries(m_bodyEntries);
    FreeEntries(m_bodyPool);
    FreeEntries(m_overlaps);
    m_pairCount = m_particlePairCount = 0;
    m_overlappedPairs = 0;
    m_bodyCount = 0;
    m_allocator = nullptr;
}

PhEndPoint* PhBroadPhase::GetEndPoint(int axis, int bodyIndex, bool maximum)
{
    if (axis < 0 || axis >= kAxisCount || bodyIndex < 0 || bodyIndex >= m_bodyCount || !m_points[axis])
        return nullptr;
    return m_points[axis] + 2 * bodyIndex + (maximum ? 1 : 0);
}

void PhBroadPhase::Insert(PhEndPoint* point)
{
    const int axis = point->axis;
    PhEndPoint* before = m_first[axis];
    PhEndPoint* after = nullptr;
    while (before && before->value <= point->value) {
        after = before;
        before = before->next;
    }
    point->prev = after;
    point->next = before;
    if (after)
        after->next = point;
    else
        m_first[axis] = point;
    if (before)
        before->prev = point;
    point->listed = 1;
    ++m_listed[axis];
}

void PhBroadPhase::Unlink(PhEndPoint* point)
{
    if (!point->listed)
        return;
    if (point->prev)
        point->prev->next = point->next;
    else
        m_first[point->axis] = point->next;
    if (point->next)
        point->next->prev = point->prev;
    point->next = point->prev = nullptr;
    point->listed = 0;
    --m_listed[point->axis];
}

void PhBroadPhase::Resort(PhEndPoint* point)
{
    // Bodies move little from one step to the next, so the point walks to
    // its place from where it was instead of being inserted from the head.
    // left: the point it is to follow (nothing: it goes first).
    PhEndPoint* left = point->prev;
    while (left && left->value > point->value)
        left = left->prev;
    if (left == point->prev) {
        for (PhEndPoint* scan = point->next; scan && scan->value < point->value; scan = scan->next)
            left = scan;
    }
    if (left != point->prev)
        MoveAfter(point, left);
}

void PhBroadPhase::MoveAfter(PhEndPoint* point, PhEndPoint* left) const
{
    const int axis = point->axis;
    if (point->prev)
        point->prev->next = point->next;
    else
        m_first[axis] = point->next;
    if (point->next)
        point->next->prev = point->prev;
    PhEndPoint* right = left ? left->next : m_first[axis];
    point->prev = left;
    point->next = right;
    if (left)
        left->next = point;
    else
        m_first[axis] = point;
    if (right)
        right->prev = point;
}

const PhEndPoint* PhBroadPhase::GetFirst(int axis) const
{
    if (m_unsorted[axis])
        SortAxis(axis);
    return m_first[axis];
}

void PhBroadPhase::SortAxis(int axis) const
{
    // Insertion, each point after the last before it that is not greater:
    // the points moved by only a step's worth are nearly in order already.
    m_unsorted[axis] = false;
    PhEndPoint* point = m_first[axis];
    while (point) {
        PhEndPoint* next = point->next;
        PhEndPoint* left = point->prev;
        while (left && left->value > point->value)
            left = left->prev;
        if (left != point->prev)
            MoveAfter(point, left);
        point = next;
    }
}

void PhBroadPhase::Enter(PhBody& body, std::uint32_t /*word*/)
{
    if (body.inBroadPhase || !IsBuilt())
        return;
    for (auto& ends : body.endPoints) {
        if (!ends[0] || !ends[1])
            return;
    }
    for (int axis = 0; axis < kAxisCount; ++axis) {
        for (int end = 0; end < 2; ++end) {
            PhEndPoint* point = body.endPoints[axis][end];
            point->body = &body;
            point->value = phmath::Component(end ? body.worldMax : body.worldMin, axis);
            Insert(point);
        }
    }
    body.inBroadPhase = 1;
}

void PhBroadPhase::Leave(PhBody& body)
{
    if (!body.inBroadPhase)
        return;
    for (auto& ends : body.endPoints) {
        for (PhEndPoint* point : ends) {
            if (point)
                Unlink(point);
        }
    }
    body.inBroadPhase = 0;
}

void PhBroadPhase::Move(PhBody& body)
{
    for (int axis = 0; axis < kAxisCount; ++axis) {
        for (int end = 0; end < 2; ++end) {
            PhEndPoint* point = body.endPoints[axis][end];
            if (!point)
                continue;
            const float value = phmath::Component(end ? body.worldMax : body.worldMin, axis);
            point->value = value;
            // Most points keep their place from one step to the next:
            // told here, as Resort would find it, without the walk.
            const bool inPlace =
                !(point->prev && point->prev->value > value) && !(point->next && point->next->value < value);
            if (!point->listed || inPlace)
                continue;
            if (axis == 0)
                Resort(point);
            else
                m_unsorted[axis] = true;
        }
    }
}
