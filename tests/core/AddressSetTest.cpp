#include <cstdint>
#include <set>
#include <vector>

#include <gtest/gtest.h>

#include "core/AddressSet.h"
#include "platform/Random.h"

namespace {

const void* Address(std::uintptr_t n) { return reinterpret_cast<const void*>(n * 16); }

} // namespace

// Entries, removals and questions in a random order against the library's
// set: removals in the middle of long probe runs (many addresses share a
// home in a small table) and the table's growth must lose no address and
// keep none that left.
TEST(AddressSet, AgreesWithAnOrderedSetThroughEntriesRemovalsAndGrowth)
{
    AddressSet set;
    std::set<const void*> expected;
    platform::SeedRand(11);
    for (int step = 0; step < 60000; ++step) {
        // Up to 3000 distinct addresses: the table grows past its first
        // size and stays crowded.
        const void* address = Address(1 + static_cast<std::uintptr_t>(platform::Rand() % 3000));
        if (platform::Rand() % 3 == 0) {
            EXPECT_EQ(set.Erase(address), expected.erase(address) == 1) << step;
        } else {
            EXPECT_EQ(set.Insert(address), expected.insert(address).second) << step;
        }
        ASSERT_EQ(set.Size(), expected.size()) << step;
    }
    for (std::uintptr_t n = 0; n <= 3001; ++n)
        EXPECT_EQ(set.Contains(Address(n)), expected.count(Address(n)) == 1) << n;
}

TEST(AddressSet, NullIsNeverHeldAndAnEmptySetHoldsNothing)
{
    AddressSet set;
    EXPECT_FALSE(set.Contains(Address(1)));
    EXPECT_FALSE(set.Erase(Address(1)));
    EXPECT_FALSE(set.Insert(nullptr));
    EXPECT_FALSE(set.Contains(nullptr));
    EXPECT_FALSE(set.Erase(nullptr));
    EXPECT_EQ(set.Size(), 0u);
}
