// Data files: the reader's integers, floats and length-prefixed strings
// over any bytes, plain and scrambled, and unscrambling itself.
#include "FuzzSupport.h"

#include <cstring>

#include "core/FileReader.h"
#include "core/Scramble.h"

std::vector<std::string> FuzzSeeds()
{
    std::string record;
    auto put = [&record](std::int32_t v) { record.append(reinterpret_cast<const char*>(&v), 4); };
    put(5);
    record += "hello";
    put(42);
    const float f = 1.5f;
    record.append(reinterpret_cast<const char*>(&f), 4);
    put(-1);
    std::string scrambled = record;
    ScrambleBuffer(reinterpret_cast<std::uint8_t*>(scrambled.data()), scrambled.size());
    return {record, "\x01" + scrambled};
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The first byte picks plain or scrambled and the reading pattern.
    const std::uint8_t pick = size > 0 ? data[0] : 0;
    WriteFuzzFile("Data/input.dat", data, size);
    CPFileReader reader("Data\\Input.dat", (pick & 1) != 0);
    if (reader.Load() != S_OK)
        return 0;
    for (int step = 0; !reader.HasReadError() && step < 4096; ++step) {
        switch ((pick >> 1) + step & 3) {
        case 0:
            reader.ReadString();
            break;
        case 1:
            reader.ReadInt();
            break;
        case 2:
            reader.ReadFloat();
            break;
        default: {
            std::uint8_t bytes[16];
            reader.ReadBytes(bytes, sizeof(bytes));
        }
        }
    }
    std::vector<std::uint8_t> copy(data, data + size);
    UnscrambleBuffer(copy.data(), copy.size());
    ScrambleBuffer(copy.data(), copy.size());
    if (size && std::memcmp(copy.data(), data, size) != 0)
        __builtin_trap(); // scrambling must undo unscrambling
    return 0;
}
