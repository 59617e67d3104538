#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <typeinfo>

// dynamic_cast with its answers remembered. The answer of a cast from a
// pointer of one static class to another class depends only on the
// object's dynamic class: whether the cast succeeds, and by how many bytes
// the pointer moves. The runtime's cast walks the class tree comparing type
// names on every call; here each (from, to) pair keeps the answers it has
// seen, keyed by the dynamic class's type_info, and walks the tree only the
// first time a class comes by (or when more than two classes share a pair
// of slots).
namespace object_cast {

// A remembered answer in one word, so that a reader on another thread sees
// either a whole answer or none: the type_info's address in the low 48
// bits, the pointer's move in the high 16 (biased; kFails: the cast fails).
constexpr std::uint64_t kAddressBits = 48;
constexpr std::uint64_t kAddressMask = (std::uint64_t{1} << kAddressBits) - 1;
constexpr std::int64_t kOffsetBias = 0x8000;
constexpr std::uint64_t kFails = 0xFFFF;
constexpr std::size_t kSlots = 16;

template <class To, class From> struct Answers {
    std::atomic<std::uint64_t> slots[kSlots];
};
// Zero-initialised (no answer) before any code runs; one per cast pair.
template <class To, class From> inline Answers<To, From> g_answers{};

// A class's answer lives in its home slot or the one paired with it, so two
// classes whose type_info addresses hash alike (the race asks each frame
// about the player's class and the opponents' in turn) both keep theirs.
// The type_info addresses sit close together: a multiplicative hash spreads
// them over the slots.
inline std::size_t HomeSlot(std::uintptr_t key)
{
    return static_cast<std::size_t>((static_cast<std::uint64_t>(key) * 0x9E3779B97F4A7C15ull) >> 60) % kSlots;
}

// Stores the answer when it fits a slot; answers that do not fit are simply
// asked again next time.
inline void Remember(std::atomic<std::uint64_t>& slot, std::uintptr_t key, const void* from, const void* to)
{
    if (key == 0 || (key & ~kAddressMask) != 0)
        return;
    std::uint64_t code = kFails;
    if (to) {
        const std::ptrdiff_t offset = static_cast<const char*>(to) - static_cast<const char*>(from);
        if (offset < -kOffsetBias || offset + kOffsetBias >= static_cast<std::int64_t>(kFails))
            return;
        code = static_cast<std::uint64_t>(offset + kOffsetBias);
    }
    slot.store(key | (code << kAddressBits), std::memory_order_relaxed);
}

// The first cast of a class through a slot: the runtime's answer, kept.
// Out of line, so that what callers inline is only the lookup.
template <class To, class From>
#if defined(__GNUC__)
__attribute__((noinline))
#endif
To* AskAndRemember(From* from, std::atomic<std::uint64_t>* slots, std::size_t home, std::uintptr_t key)
{
    To* result = dynamic_cast<To*>(from);
    // The home slot when free, else its partner (which a third class of
    // the same hash may take over again).
    std::atomic<std::uint64_t>& slot =
        slots[home].load(std::memory_order_relaxed) == 0 ? slots[home] : slots[home ^ 1];
    Remember(slot, key, from, result);
    return result;
}

} // namespace object_cast

// The same answer as dynamic_cast<To*>(from) for a pointer to an object of
// a polymorphic class. Casts sit in per-frame loops all over the engine, so
// the lookup is always inlined.
template <class To, class From>
#if defined(__GNUC__)
__attribute__((always_inline))
#endif
inline To*
ObjectCast(From* from)
{
    static_assert(std::is_polymorphic<From>::value, "ObjectCast needs a polymorphic class to cast from");
    using namespace object_cast;
    if (!from)
        return nullptr;
    const auto key = reinterpret_cast<std::uintptr_t>(&typeid(*from));
    auto& answers = g_answers<std::remove_cv_t<To>, std::remove_cv_t<From>>;
    const std::size_t home = HomeSlot(key);
    std::uint64_t answer = answers.slots[home].load(std::memory_order_relaxed);
    if (answer == 0 || (answer & kAddressMask) != key) {
        answer = answers.slots[home ^ 1].load(std::memory_order_relaxed);
        if (answer == 0 || (answer & kAddressMask) != key)
            return AskAndRemember<To>(from, answers.slots, home, key);
    }
    const std::uint64_t code = answer >> kAddressBits;
    if (code == kFails)
        return nullptr;
    const auto offset = static_cast<std::ptrdiff_t>(static_cast<std::int64_t>(code) - kOffsetBias);
    // The cast's result, rebuilt from the object's address and the move
    // the first cast of this class made; constness follows To.
    auto* bytes = reinterpret_cast<const char*>(from) + offset;
    return const_cast<To*>(reinterpret_cast<const To*>(bytes));
}
