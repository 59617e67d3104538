#pragma once

#include <cstddef>
#include <cstdint>

class PhAllocator;
struct PhBody;

// One end of a body's interval on one axis, kept in the axis's sorted list.
struct PhEndPoint {
    float value = 0.0f;
    PhBody* body = nullptr;
    std::uint8_t isMaximum = 0;
    std::uint8_t axis = 0;
    std::uint8_t axisBit = 0;
    std::uint8_t listed = 0;
    PhEndPoint* next = nullptr;
    PhEndPoint* prev = nullptr;
};

// Two words per pair or per body; what they hold is the stepping's.
struct PhPairEntry {
    std::uint32_t word[2] = {};
};

// The sweep-and-prune structures of the simulator over the axes of its mask
// (x, y and z). Every body owns two end points per axis, found by its global
// body index; a body in the broad phase has them in the axes' sorted lists.
// Which pairs overlap, and what the pair tables record, is worked out by
// the stepping.
class PhBroadPhase {
  public:
    static constexpr int kAxisMask = 7;
    static constexpr int kAxisCount = 3;

    PhBroadPhase() = default;
    PhBroadPhase(const PhBroadPhase&) = delete;
    PhBroadPhase& operator=(const PhBroadPhase&) = delete;
    ~PhBroadPhase() { Release(); }

    // bodies: rigid plus kinematic bodies; particles: rigid particles.
    // Returns false, with nothing kept, when a block cannot be had.
    bool Build(int bodies, int particles, int overlappedPairs, PhAllocator& allocator);
    void Release();
    bool IsBuilt() const { return m_allocator != nullptr; }

    // The end point of a body index on an axis (nothing out of range).
    PhEndPoint* GetEndPoint(int axis, int bodyIndex, bool maximum);

    // Puts the body's end points, with the values of its world bounds, into
    // the sorted lists. word is kept for the stepping (callers pass 0).
    void Enter(PhBody& body, std::uint32_t word);
    void Leave(PhBody& body);
    // Takes the body's current world bounds into its end points and moves
    // them to their places in the sorted lists.
    void Move(PhBody& body);

    // The pair tables, taken from the allocator and cleared the first time
    // they are asked for (nothing when that fails): the stepping keeps the
    // pairs of a step in a list of its own, and a table for every pair of
    // a level's thousands of bodies is megabytes that would lie unused.
    PhPairEntry* GetPairTable() { return TakeTable(m_pairs, m_pairCount); }
    PhPairEntry* GetParticlePairTable() { return TakeTable(m_particlePairs, m_particlePairCount); }

    // The head of an axis's sorted list. The stepping pairs bodies on x
    // alone, so the y and z lists are put in order when they are read.
    const PhEndPoint* GetFirst(int axis) const;
    int GetListedCount(int axis) const { return m_listed[axis]; }
    std::size_t GetPairTableSize() const { return m_pairCount; }
    std::size_t GetParticlePairTableSize() const { return m_particlePairCount; }
    int GetOverlappedPairCapacity() const { return m_overlappedPairs; }

  private:
    void Insert(PhEndPoint* point);
    void Unlink(PhEndPoint* point);
    void Resort(PhEndPoint* point);
    void SortAxis(int axis) const;
    // Takes the point from its place and puts it after left (first for
    // nothing).
    void MoveAfter(PhEndPoint* point, PhEndPoint* left) const;
    PhPairEntry* AllocEntries(std::size_t count);
    PhPairEntry* TakeTable(PhPairEntry*& table, std::size_t count);
    void FreeEntries(PhPairEntry*& entries);

    PhAllocator* m_allocator = nullptr;
    int m_bodyCount = 0;                   // bodies + particles
    PhEndPoint* m_points[kAxisCount] = {}; // 2 per body index: minimum, maximum
    mutable PhEndPoint* m_first[kAxisCount] = {};
    mutable bool m_unsorted[kAxisCount] = {}; // points moved but not yet put in place
    int m_listed[kAxisCount] = {};
    PhPairEntry* m_pairs = nullptr; // one per unordered pair of non-particle bodies
    std::size_t m_pairCount = 0;
    PhPairEntry* m_particlePairs = nullptr; // non-particle body against particle
    std::size_t m_particlePairCount = 0;
    PhPairEntry* m_bodyEntries = nullptr;
    PhPairEntry* m_bodyPool = nullptr;
    PhPairEntry* m_overlaps = nullptr;
    int m_overlappedPairs = 0;
};
