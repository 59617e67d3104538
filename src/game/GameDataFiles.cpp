#include <cstdlib>
#include <string>
#include <vector>

#include "core/FileReader.h"
#include "core/FileWriter.h"
#include "core/GameSettings.h"
#include "core/Log.h"
#include "core/StringUtils.h"
#include "core/TextReader.h"
#include "game/GameData.h"
#include "platform/FileSystem.h"

namespace {

const char* const kMissionFolder = "Data\\Levels";
const char* const kPlayerFile = "DATA\\player.dat";
const char* const kCoefficientFile = "DATA\\coeff.dat";
const char* const kScoresFile = "Data\\scores.dat";

constexpr std::size_t kPlayerLineCount = 11;
constexpr std::size_t kCoefficientLineCount = 4;

// The lines of a text data file as the line reader yields them. False when
// the file cannot be read (the reader has logged why).
bool ReadTextLines(const std::string& fileName, std::vector<std::string>& lines)
{
    lines.clear();
    CPFileReader reader(fileName, false);
    if (reader.Load() != S_OK)
        return false;
    CPTextReader text(reinterpret_cast<const char*>(reader.GetData()),
                      static_cast<std::int32_t>(reader.GetDataSize()));
    std::string line;
    while (text.GetLine(line))
        lines.push_back(line);
    return true;
}

std::string ItemName(const std::string& line) { return line == "none" ? std::string() : line; }

CPCarSettings CarSettingsFromLines(const std::vector<std::string>& lines)
{
    CPCarSettings settings;
    settings.weapon1 = ItemName(lines[0]);
    settings.weapon2 = ItemName(lines[1]);
    settings.weapon3 = ItemName(lines[2]);
    settings.mine = ItemName(lines[3]);
    settings.armour = ItemName(lines[4]);
    settings.bumper = ItemName(lines[5]);
    settings.engine = ItemName(lines[6]);
    settings.superWeapon = ItemName(lines[7]);
    settings.superWeaponCount = static_cast<std::int32_t>(std::atoi(lines[8].c_str()));
    settings.equipment1 = ItemName(lines[9]);
    settings.equipment2 = ItemName(lines[10]);
    return settings;
}

std::string LineFault(const std::string& fileName, std::size_t lineIndex, const std::string& line,
                      const std::string& reason)
{
    return "\"" + fileName + "\" line " + std::to_string(lineIndex + 1) + " \"" + line + "\": " + reason;
}

// Saving no best times writes an empty file, which the reader refuses;
// it stands for empty tables, not for a fault.
bool IsEmptyFileOnDisk(const std::string& fileName)
{
    platform::FileHandle file(platform::OpenFile(fileName, "rb"));
    std::uint64_t size = 0;
    return file && platform::MeasureFile(file.get(), size) && size == 0;
}

} // namespace

bool CPGameData::LoadMissionInfo(const std::string& name, const CPSourcePositions* sourcePositions)
{
    // The checkpoints always belong to the list asked for; the sources are
    // replaced only once a list has been read, so a list that cannot be
    // read leaves the last mission's sources in place.
    checkpoints.clear();
    const std::string fileName = std::string(kMissionFolder) + "\\" + name;
    std::vector<std::string> lines;
    if (!ReadTextLines(fileName, lines)) {
        LogLine("Mission list \"" + fileName + "\" cannot be read: the mission has no checkpoints");
        return false;
    }
    enemySources.clear();
    if (!sourcePositions)
        LogLine("Mission list \"" + fileName + "\": no level is loaded, its sources stand at the origin");

    // A malformed line is dropped on its own; the rest of the mission stays.
    bool allLinesRead = true;
    std::string reason;
    bool inSources = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!inSources && lines[i] == "sources") {
            inSources = true;
            continue;
        }
        bool parsed = false;
        if (!inSources) {
            CPCheckpointInfo checkpoint;
            parsed = ParseCheckpointLine(lines[i], checkpoint, reason);
            if (parsed)
                checkpoints.push_back(checkpoint);
        } else {
            CPSourceInfo source;
            std::string group;
            parsed = ParseSourceLine(lines[i], sourcePositions, group, source, reason);
            if (parsed)
                enemySources[group].push_back(source);
            if (parsed && sourcePositions && !reason.empty())
                LogLine(LineFault(fileName, i, lines[i], reason + "; it stands at the origin"));
        }
        if (!parsed) {
            LogLine("Mission list " + LineFault(fileName, i, lines[i], reason) + "; the line is dropped");
            allLinesRead = false;
        }
    }
    return allLinesRead;
}

bool CPGameData::LoadPlayer()
{
    // A file that cannot be used counts as no file: nothing fitted.
    std::vector<std::string> lines;
    bool loaded = ReadTextLines(kPlayerFile, lines);
    if (!loaded) {
        LogLine(std::string("\"") + kPlayerFile + "\" cannot be read: the car starts with nothing fitted");
    } else if (lines.size() < kPlayerLineCount) {
        LogLine(std::string("\"") + kPlayerFile + "\" has " + std::to_string(lines.size()) + " of " +
                std::to_string(kPlayerLineCount) + " lines: the car starts with nothing fitted");
        loaded = false;
    }
    SetCarSettings(loaded ? CarSettingsFromLines(lines) : CPCarSettings());
    CommitCarSettings();
    return loaded;
}

bool CPGameData::LoadDifficulty()
{
    if (GetGameSettings().difficulty != 0 && difficult) {
        firstCoefficient = bonusCoefficient = damageCoefficient = levelTimeCoefficient = 1.0f;
        return true;
    }
    std::vector<std::string> lines;
    if (!ReadTextLines(kCoefficientFile, lines)) {
        LogLine(std::string("\"") + kCoefficientFile +
                "\" cannot be read: the coefficients stay as they were");
        return false;
    }
    if (lines.size() < kCoefficientLineCount) {
        LogLine(std::string("\"") + kCoefficientFile + "\" has " + std::to_string(lines.size()) + " of " +
                std::to_string(kCoefficientLineCount) + " lines: the coefficients stay as they were");
        return false;
    }
    firstCoefficient = static_cast<float>(std::atof(lines[0].c_str()));
    damageCoefficient = static_cast<float>(std::atof(lines[1].c_str()));
    bonusCoefficient = static_cast<float>(std::atof(lines[2].c_str()));
    levelTimeCoefficient = static_cast<float>(std::atof(lines[3].c_str()));
    return true;
}

bool CPGameData::SaveScores() const
{
    CPFileWriter writer(kScoresFile, true);
    for (std::size_t track = 0; track < bestTimes.size(); ++track) {
        for (const CPTimeRecord& record : bestTimes[track]) {
            writer.WriteInt(static_cast<std::int32_t>(track));
            writer.WriteString(record.name);
            writer.WriteInt(record.minutes);
            writer.WriteInt(record.seconds);
            writer.WriteInt(record.hundredths);
        }
    }
    return writer.Save() == S_OK;
}

bool CPGameData::LoadScores()
{
    std::vector<std::vector<CPTimeRecord>> tables(bestTimes.size());
    CPFileReader reader(kScoresFile, true);
    if (reader.Load() != S_OK) {
        if (IsEmptyFileOnDisk(kScoresFile)) {
            bestTimes.swap(tables);
            return true;
        }
        LogLine(std::string("\"") + kScoresFile + "\" cannot be read: no best times were loaded");
        return false;
    }
    std::size_t count = 0;
    while (reader.GetRemaining() > 0) {
        const std::int32_t track = reader.ReadInt();
        CPTimeRecord record;
        record.name = reader.ReadString();
        record.minutes = reader.ReadInt();
        record.seconds = reader.ReadInt();
        record.hundredths = reader.ReadInt();
        if (reader.HasReadError()) {
            LogLine(std::string("\"") + kScoresFile + "\" ends inside record " + std::to_string(count + 1) +
                    ": the best times stay as they were");
            return false;
        }
        if (track < 0 || track >= kMaxTrack) {
            LogLine(std::string("\"") + kScoresFile + "\" record " + std::to_string(count + 1) +
                    " names track " + std::to_string(track) + ": the best times stay as they were");
            return false;
        }
        if (tables.size() <= static_cast<std::size_t>(track))
            tables.resize(static_cast<std::size_t>(track) + 1);
        tables[static_cast<std::size_t>(track)].push_back(record);
        ++count;
    }
    bestTimes.swap(tables);
    return true;
}

bool CPGameData::LoadTexts(const std::string& fileName)
{
    CPFileReader reader(fileName, false);
    if (reader.Load() != S_OK) {
        LogLine("\"" + fileName + "\" cannot be read: the screens' texts stay empty");
        return false;
    }
    CPTextReader text(reinterpret_cast<const char*>(reader.GetData()),
                      static_cast<std::int32_t>(reader.GetDataSize()));
    bool whole = true;
    std::string line, key, value;
    while (text.GetLine(line)) {
        if (!SplitKeyValue(line, key, value) || key.empty()) {
            LogLine("\"" + fileName + "\" line " + std::to_string(text.GetLineCount()) +
                    " is not \"key = value\": it is skipped");
            whole = false;
            continue;
        }
        texts[key] = value;
    }
    return whole;
}
