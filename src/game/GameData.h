#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/Object.h"
#include "game/BonusEntry.h"
#include "game/CarSettings.h"
#include "game/CombatTally.h"
#include "game/EnemyData.h"
#include "game/LapRecord.h"
#include "game/MissionInfo.h"
#include "game/ProgressEntry.h"
#include "game/ShopItems.h"
#include "game/ShopTable.h"
#include "game/SourcePositions.h"
#include "game/TimeRecord.h"
#include "platform/MathTypes.h"

// Everything that outlives one race: the profile, the money, the car
// configurations, the shop and text tables, the current mission, the
// difficulty coefficients, the best times, and the counters and times of
// the running race. One instance exists (GetGameData). The script bindings
// and the race code read and write its fields directly; the operations
// below are the ones with rules of their own.
class CPGameData {
  public:
    static constexpr std::size_t kProgressEntryCount = 10;
    static constexpr std::size_t kRoundTimeCount = 20;
    // A best-time table keeps at most this many records.
    static constexpr std::size_t kRecordsPerTrack = 7;
    // Track numbers beyond this are refused rather than growing the tables
    // without bound from a script's or a file's number.
    static constexpr std::int32_t kMaxTrack = 1000;
    static constexpr std::int32_t kPlayerTypeHuman = 10;
    static constexpr std::int32_t kPlayerTypeOther = 9;

    CPGameData();
    ~CPGameData();
    CPGameData(const CPGameData&) = delete;
    CPGameData& operator=(const CPGameData&) = delete;

    // The display text of a key; a key the table lacks is added with an
    // empty text.
    const std::string& GetText(const std::string& key);

    void SetCarSettings(const CPCarSettings& settings) { carSettings = settings; }
    void CommitCarSettings() { committedCarSettings = carSettings; }
    // The sum of the prices of the fitted items; names the tables lack add
    // nothing.
    double GetCarSettingsPrice(const CPCarSettings& settings) const;

    // Enters a time into the best-time table of a track (1-based). A table
    // below its size takes any time at its end; a full one takes only a
    // time better than its worst, which then drops out. False, changing
    // nothing, when the time does not enter or the track number is not a
    // valid one (logged).
    bool InsertRecord(std::int32_t track, const CPTimeRecord& record);

    // Resets the state of the running race: round 1, the round times, the
    // track progress, the opponents' positions and lap records, the bonus
    // list.
    void ClearGameData();
    void ClearLevelTimers() { levelTimer = 0.0f; }
    // Sets an opponent's entry in opponentPositions. A new entry is moved in
    // from opponentPositionRoom when that holds its key, rather than made on
    // the heap in the race's first frame.
    void SetOpponentPosition(const std::string& key, const Vector2& position);
    // The same for the opponent of an index, whose key is the index in
    // decimal. The race writes every opponent's entry each frame: an index
    // below kOpponentPositionRoom finds its entry once and then writes it
    // through its address, which the map keeps until ClearGameData takes
    // the entries back.
    void SetOpponentPosition(std::size_t index, const Vector2& position);

    // A new profile: no save slot, mission 1, no points, empty progress
    // entries (their recorded runs are kept).
    void ResetProfile();
    // Resets the profile when the name differs from the current one, then
    // keeps the name.
    void SetProfile(const std::string& name);

    // Save games: one file per slot, "save0.sav" to "save5.sav", in the
    // folder "DATA\Saves\". File names are plain names inside that folder;
    // one with a folder separator in it, or an empty one, is refused
    // (logged) so a script cannot reach other files.
    static constexpr std::int32_t kSaveSlotCount = 6;
    static bool IsSaveFileName(const std::string& fileName);
    // "save%d.sav" of a slot.
    static std::string SaveFileName(std::int32_t slot);
    // Writes the profile, the time of saving, races passed, points and the
    // progress entries into the file, replacing it whole or not at all.
    // False (logged) when the name is refused or the file cannot be written.
    bool WriteSave(const std::string& fileName) const;
    // Saves into the current slot; without one, takes the first free slot,
    // or else the one saved longest ago, and keeps it as the current slot.
    bool SaveGame();
    // Reads a save back: the profile (reset when its name differs), the slot
    // named by the file, the player name, races passed, points and the
    // progress entries. A missing or empty file changes nothing; a file cut
    // short applies the fields it holds whole and leaves the rest as they
    // were. False (logged) when the file cannot be read or is cut short.
    bool LoadSave(const std::string& fileName);

    // The lap record of an opponent key; a new key starts a fresh record.
    CPLapRecord& GetLapRecord(const std::string& key) { return lapRecords[key]; }
    // The lap record of the opponent of an index, keyed by the index in
    // decimal; an index below kOpponentPositionRoom keeps its record's
    // address, as SetOpponentPosition does.
    CPLapRecord& GetLapRecord(std::size_t index);

    void SetRoundTime(float time)
    {
        roundTime = time;
        roundTimeCopy = time;
    }
    float GetRoundTime() const { return roundTime; }
    void SetPlayerType(bool human) { playerType = human ? kPlayerTypeHuman : kPlayerTypeOther; }

    // The data files. Each logs why it fails and returns false.

    // Reads "Data\Levels\<name>" into the checkpoints and the enemy
    // sources, taking source positions from the level's table (null when
    // no level is loaded: the sources then stand at the origin). A list
    // that cannot be read leaves no checkpoints and the sources as they
    // were; a malformed line is dropped (logged, false) and the other
    // lines are kept.
    bool LoadMissionInfo(const std::string& name, const CPSourcePositions* sourcePositions);
    // Reads "DATA\player.dat" into the working configuration and commits
    // it. A file that cannot be used gives the empty configuration.
    bool LoadPlayer();
    // Sets the four coefficients: all 1.0 on the difficult setting, else
    // from "DATA\coeff.dat" (kept as they were when it cannot be used).
    bool LoadDifficulty();
    // Writes every best-time table to "Data\scores.dat", scrambled.
    bool SaveScores() const;
    // Reads "Data\scores.dat" back into the best-time tables; on any fault
    // the tables stay as they were.
    bool LoadScores();
    // Fills the text table from "key = value" lines (the screens' texts,
    // item names, mission titles), over what it held. A line without "="
    // is logged and skipped; false when the file cannot be read or had
    // such a line.
    bool LoadTexts(const std::string& fileName);
    static constexpr const char* kTextFile = "Data\\texts.txt";
    // Fills the seven shop tables from lines "KIND KEY FIELD..." with the
    // fields of the kind's record in its own order; KIND is one of weapon,
    // mine, super, bumper, equipment, armour, engine. Items add to what
    // the tables held. A line of an unknown kind, of the wrong number of
    // fields or with a number that does not read is logged and skipped;
    // false when the file cannot be read or had such a line.
    bool LoadShop(const std::string& fileName);
    static constexpr const char* kShopFile = "Data\\shop.txt";

    // Fields, in the order the game keeps them.
    float roundTimeCopy = 0.0f;
    std::int32_t transportCount = 0;
    // In the order the scripts placed them. The room is made once: the
    // scripts put taken bonuses back all through a race.
    std::vector<CPBonusEntry> bonuses;
    std::vector<std::vector<CPTimeRecord>> bestTimes; // track 1 is element 0

    CPShopTable<CPWeaponInfo> weapons;
    CPShopTable<CPMineInfo> mines;
    CPShopTable<CPSuperWeaponInfo> superWeapons;
    CPShopTable<CPPartInfo> bumpers;
    CPShopTable<CPPartInfo> equipment;
    CPShopTable<CPPartInfo> armour;
    CPShopTable<CPEngineInfo> engines;

    CPCarSettings carSettings;          // being edited in the garage
    CPCarSettings committedCarSettings; // the one the race uses
    float money = 0.0f;

    std::vector<CPCheckpointInfo> checkpoints;
    CPEnemySources enemySources; // by group name
    std::map<std::string, std::string> texts;
    std::int32_t currentMission = 1;
    // Three per mission: mission m may choose presets 0 to 3m-1.
    std::vector<CPCarSettings> presets;

    float firstCoefficient = 1.0f;
    float bonusCoefficient = 1.0f;
    float damageCoefficient = 1.0f;
    float levelTimeCoefficient = 1.0f;

    std::int32_t kills = 0;
    // Not part of the race state: ClearGameData keeps it.
    CPCombatTally combat;
    bool difficult = false;     // every item up to mission 15 is on offer
    std::int32_t saveSlot = -1; // 0 to 5, -1 for none chosen yet
    std::int32_t racesPassed = 0;
    std::int32_t currentRound = 1;
    std::vector<float> roundTimes;
    std::int32_t trackProgress = -1;
    std::string playerName;
    std::string profileName;
    std::uint32_t clearedWord1 = 0; // the bonus counter AddBonus and EraseBonus keep
    // Entries of these two maps are taken out only by ClearGameData: the
    // index forms above write through the addresses of those they found.
    std::map<std::string, Vector2> opponentPositions;        // by opponent index "%d"
    static constexpr std::size_t kOpponentPositionRoom = 5;  // the opponents a race counts
    std::map<std::string, Vector2> opponentPositionRoom;     // entries not in opponentPositions yet
    std::unordered_map<std::string, CPLapRecord> lapRecords; // by opponent index "%d"
    std::uint32_t clearedWord2 = 0;
    std::int32_t roundCount = 0;
    std::int32_t playerType = kPlayerTypeHuman;
    float roundTime = 0.0f;
    float levelTimer = 0.0f; // seconds
    std::int32_t maxAbilityCount = 0;
    std::int32_t mana = 0;
    bool levelStarted = false;
    std::array<CPProgressEntry, kProgressEntryCount> progress;
    std::int32_t points = 0;

    // The enemy kinds the scripts ask about (GetEnemyData); a kind asked
    // for first is entered with zeros and empty texts.
    CPEnemyDataTable enemyData;

  private:
    // The entries the index forms found, null until found; cleared with
    // the maps.
    std::array<Vector2*, kOpponentPositionRoom> m_positionEntries{};
    std::array<CPLapRecord*, kOpponentPositionRoom> m_lapEntries{};
};

// The current game data's text of the key, for the screens below the game;
// empty without game data.
std::string CurrentGameText(const std::string& key);
