#include "core/Scramble.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

// The key: printable characters ('!' to '~') drawn from a fixed sequence,
// then one zero byte, so the last position of every period stays as it is.
// Eight more zero bytes let a word be read at any key position of a period.
// Every scrambled file depends on these bytes: never change them.
using Key = std::array<std::uint8_t, kScrambleKeySize + 8>;

constexpr Key MakeKey()
{
    Key key{};
    std::uint32_t state = 0x5EED1933u;
    for (std::size_t i = 0; i + 1 < kScrambleKeySize; ++i) {
        state = state * 1103515245u + 12345u;
        key[i] = static_cast<std::uint8_t>('!' + (state >> 16) % 94u);
    }
    return key;
}

constexpr Key kKey = MakeKey();
static_assert(kKey[kScrambleKeySize - 1] == 0, "the key ends in a zero byte");

constexpr std::uint64_t kHighBits = 0x8080808080808080ull;

// Eight byte-wise additions or subtractions in one 64-bit word: the low
// seven bits of each byte are combined with the top bits masked off, so no
// carry or borrow crosses into the next byte; the top bits are then put
// back with an exclusive or.
struct AddBytes {
    static std::uint64_t Word(std::uint64_t a, std::uint64_t k)
    {
        return ((a & ~kHighBits) + (k & ~kHighBits)) ^ ((a ^ k) & kHighBits);
    }
    static std::uint8_t Byte(std::uint8_t a, std::uint8_t k) { return static_cast<std::uint8_t>(a + k); }
};

struct SubtractBytes {
    static std::uint64_t Word(std::uint64_t a, std::uint64_t k)
    {
        return ((a | kHighBits) - (k & ~kHighBits)) ^ ((a ^ ~k) & kHighBits);
    }
    static std::uint8_t Byte(std::uint8_t a, std::uint8_t k) { return static_cast<std::uint8_t>(a - k); }
};

// Walks the buffer one key period at a time, eight bytes per step; the
// loading benchmark holds this near the speed of a memory copy.
template <typename Op> void ApplyKey(std::uint8_t* data, std::size_t size)
{
    for (std::size_t start = 0; start < size; start += kScrambleKeySize) {
        const std::size_t count = std::min(kScrambleKeySize, size - start);
        std::uint8_t* block = data + start;
        std::size_t i = 0;
        for (; i + 8 <= count; i += 8) {
            std::uint64_t word = 0;
            std::uint64_t key = 0;
            std::memcpy(&word, block + i, 8);
            std::memcpy(&key, kKey.data() + i, 8);
            word = Op::Word(word, key);
            std::memcpy(block + i, &word, 8);
        }
        for (; i < count; ++i)
            block[i] = Op::Byte(block[i], kKey[i]);
    }
}

} // namespace

void ScrambleBuffer(std::uint8_t* data, std::size_t size) { ApplyKey<AddBytes>(data, size); }

void UnscrambleBuffer(std::uint8_t* data, std::size_t size) { ApplyKey<SubtractBytes>(data, size); }
