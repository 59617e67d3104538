#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/FileReader.h"
#include "core/FileWriter.h"
#include "core/Log.h"
#include "game/GameData.h"
#include "platform/LocalTime.h"

namespace {

const char* const kSavesFolder = "DATA\\Saves\\";
constexpr std::size_t kTimeBytes = 16;
constexpr std::size_t kSampleBytes = sizeof(CPProgressEntry::Sample);

void WriteTime(CPFileWriter& writer, const platform::LocalDateTime& time)
{
    const std::uint16_t fields[8] = {time.year, time.month,  time.dayOfWeek, time.day,
                                     time.hour, time.minute, time.second,    time.milliseconds};
    std::uint8_t bytes[kTimeBytes];
    for (int i = 0; i < 8; ++i) {
        bytes[2 * i] = static_cast<std::uint8_t>(fields[i] & 0xFF);
        bytes[2 * i + 1] = static_cast<std::uint8_t>(fields[i] >> 8);
    }
    writer.WriteBytes(bytes, static_cast<std::int32_t>(kTimeBytes));
}

platform::LocalDateTime ReadTime(CPFileReader& reader)
{
    std::uint8_t bytes[kTimeBytes];
    reader.ReadBytes(bytes, kTimeBytes);
    std::uint16_t fields[8];
    for (int i = 0; i < 8; ++i)
        fields[i] = static_cast<std::uint16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    platform::LocalDateTime time;
    time.year = fields[0];
    time.month = fields[1];
    time.dayOfWeek = fields[2];
    time.day = fields[3];
    time.hour = fields[4];
    time.minute = fields[5];
    time.second = fields[6];
    time.milliseconds = fields[7];
    return time;
}

// Year to second, the first difference deciding; the day of the week and
// the milliseconds take no part.
bool IsEarlier(const platform::LocalDateTime& a, const platform::LocalDateTime& b)
{
    const std::uint16_t left[] = {a.year, a.month, a.day, a.hour, a.minute, a.second};
    const std::uint16_t right[] = {b.year, b.month, b.day, b.hour, b.minute, b.second};
    for (int i = 0; i < 6; ++i) {
        if (left[i] != right[i])
            return left[i] < right[i];
    }
    return false;
}

// The time a slot was saved at; false when the slot is free (no file, or
// an empty one).
bool ReadSlotTime(std::int32_t slot, platform::LocalDateTime& time)
{
    // A free slot has no file: nothing to report.
    CPFileReader reader(kSavesFolder + CPGameData::SaveFileName(slot), false);
    if (reader.LoadIfPresent() != S_OK)
        return false;
    reader.ReadString();
    reader.ReadString();
    time = ReadTime(reader);
    return true;
}

// The slot a save file's name stands for: the number after its first four
// characters, or -1 when that is no slot number.
std::int32_t SlotOfFileName(const std::string& fileName)
{
    if (fileName.size() <= 4 || !std::isdigit(static_cast<unsigned char>(fileName[4])))
        return -1;
    const long number = std::strtol(fileName.c_str() + 4, nullptr, 10);
    if (number < 0 || number >= CPGameData::kSaveSlotCount)
        return -1;
    return static_cast<std::int32_t>(number);
}

// Reads one progress entry into `entry`; false, leaving what was not read
// whole as it was, when the file ends first.
bool ReadProgressEntry(CPFileReader& reader, CPProgressEntry& entry)
{
    const float bestTime = reader.ReadFloat();
    const std::int32_t state = reader.ReadInt();
    const std::int32_t count = reader.ReadInt();
    if (reader.HasReadError())
        return false;
    entry.bestTime = bestTime;
    entry.state = state;
    if (count == 0)
        return true;
    const std::string name = reader.ReadString();
    if (reader.HasReadError() || count < 0 ||
        static_cast<std::uint64_t>(count) * kSampleBytes > reader.GetRemaining())
        return false;
    entry.name = name;
    entry.samples.assign(static_cast<std::size_t>(count), CPProgressEntry::Sample{});
    for (CPProgressEntry::Sample& sample : entry.samples)
        reader.ReadBytes(sample.data(), sample.size());
    return true;
}

} // namespace

bool CPGameData::IsSaveFileName(const std::string& fileName)
{
    return !fileName.empty() && fileName.find_first_of("\\/") == std::string::npos && fileName != "." &&
           fileName != "..";
}

std::string CPGameData::SaveFileName(std::int32_t slot)
{
    char name[32];
    std::snprintf(name, sizeof name, "save%d.sav", static_cast<int>(slot));
    return name;
}

bool CPGameData::WriteSave(const std::string& fileName) const
{
    if (!IsSaveFileName(fileName)) {
        LogLine("Save game: refused the file name \"" + fileName + "\"");
        return false;
    }
    CPFileWriter writer(kSavesFolder + fileName, false);
    writer.WriteString(profileName);
    writer.WriteString(playerName);
    WriteTime(writer, platform::GetLocalDateTime());
    writer.WriteInt(racesPassed);
    writer.WriteInt(points);
    for (const CPProgressEntry& entry : progress) {
        writer.WriteFloat(entry.bestTime);
        writer.WriteInt(entry.state);
        writer.WriteInt(static_cast<std::int32_t>(entry.samples.size()));
        if (entry.samples.empty())
            continue;
        writer.WriteString(entry.name);
        for (const CPProgressEntry::Sample& sample : entry.samples)
            writer.WriteBytes(sample.data(), static_cast<std::int32_t>(sample.size()));
    }
    return writer.Save() == S_OK;
}

bool CPGameData::SaveGame()
{
    if (saveSlot >= 0 && saveSlot < kSaveSlotCount)
        return WriteSave(SaveFileName(saveSlot));

    platform::LocalDateTime oldest;
    ReadSlotTime(0, oldest);
    std::int32_t candidate = 0;
    for (std::int32_t slot = 0; slot < kSaveSlotCount; ++slot) {
        platform::LocalDateTime time;
        if (!ReadSlotTime(slot, time)) {
            saveSlot = slot;
            return WriteSave(SaveFileName(slot));
        }
        if (IsEarlier(time, oldest)) {
            oldest = time;
            candidate = slot;
        }
    }
    saveSlot = candidate;
    return WriteSave(SaveFileName(candidate));
}

bool CPGameData::LoadSave(const std::string& fileName)
{
    if (!IsSaveFileName(fileName)) {
        LogLine("Load game: refused the file name \"" + fileName + "\"");
        return false;
    }
    CPFileReader reader(kSavesFolder + fileName, false);
    if (reader.Load() != S_OK)
        return false;

    const std::string profile = reader.ReadString();
    if (reader.HasReadError()) {
        LogLine("Load game: " + fileName + " ends before its profile name");
        return false;
    }
    SetProfile(profile);
    saveSlot = SlotOfFileName(fileName);
    if (saveSlot < 0)
        LogLine("Load game: " + fileName + " names no save slot; the next save chooses one");

    const std::string player = reader.ReadString();
    ReadTime(reader);
    if (reader.HasReadError()) {
        LogLine("Load game: " + fileName + " is cut short");
        return false;
    }
    playerName = player;
    const std::int32_t races = reader.ReadInt();
    const std::int32_t pointsRead = reader.ReadInt();
    if (reader.HasReadError()) {
        LogLine("Load game: " + fileName + " is cut short");
        return false;
    }
    racesPassed = races;
    points = pointsRead;
    for (CPProgressEntry& entry : progress) {
        if (!ReadProgressEntry(reader, entry)) {
            LogLine("Load game: " + fileName + " is cut short in its progress entries");
            return false;
        }
    }
    return true;
}
