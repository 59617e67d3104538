#include "game/GameData.h"

#include <algorithm>
#include <limits>

#include "core/Log.h"
#include "core/Singletons.h"
#include "core/TextLookup.h"

namespace {

// The lap records are rebuilt with room for this many opponents.
constexpr std::size_t kLapRecordBuckets = 20;
// More bonuses than a track places at once.
constexpr std::size_t kBonusRoom = 256;

template <class Item> double PriceOf(const CPShopTable<Item>& table, const std::string& name)
{
    if (name.empty())
        return 0.0;
    const Item* item = table.Find(name);
    return item ? item->price : 0.0;
}

// Price times count as a 32-bit whole number; a product beyond its range
// stays at the range's end instead of wrapping to a wrong sign.
std::int32_t SuperWeaponCost(std::int32_t price, std::int32_t count)
{
    const std::int64_t product = static_cast<std::int64_t>(price) * count;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        product, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

} // namespace

std::string CurrentGameText(const std::string& key)
{
    CPGameData* data = GetGameData();
    return data ? data->GetText(key) : std::string();
}

CPGameData::CPGameData()
{
    bonuses.reserve(kBonusRoom);
    for (std::size_t i = 0; i < kOpponentPositionRoom; ++i)
        opponentPositionRoom[std::to_string(i)] = Vector2{};
    // The texts a race asks for as it runs (a checkpoint's bonus time, a
    // drift's), entered empty until the text table gives them: asking for
    // one adds no key in a race frame.
    for (const char* key : {"bonus_time", "drift_time"})
        texts.try_emplace(key);
    ClearGameData();
}

void CPGameData::SetOpponentPosition(const std::string& key, const Vector2& position)
{
    auto found = opponentPositions.find(key);
    if (found != opponentPositions.end()) {
        found->second = position;
        return;
    }
    auto entry = opponentPositionRoom.extract(key);
    if (entry.empty()) {
        opponentPositions[key] = position;
        return;
    }
    entry.mapped() = position;
    opponentPositions.insert(std::move(entry));
}

void CPGameData::SetOpponentPosition(std::size_t index, const Vector2& position)
{
    if (index >= m_positionEntries.size()) {
        SetOpponentPosition(std::to_string(index), position);
        return;
    }
    Vector2*& entry = m_positionEntries[index];
    if (!entry) {
        const std::string key = std::to_string(index);
        SetOpponentPosition(key, position);
        entry = &opponentPositions.find(key)->second;
        return;
    }
    *entry = position;
}

CPLapRecord& CPGameData::GetLapRecord(std::size_t index)
{
    if (index >= m_lapEntries.size())
        return GetLapRecord(std::to_string(index));
    CPLapRecord*& entry = m_lapEntries[index];
    if (!entry)
        entry = &GetLapRecord(std::to_string(index));
    return *entry;
}

CPGameData::~CPGameData() = default;

const std::string& CPGameData::GetText(const std::string& key) { return texts[key]; }

double CPGameData::GetCarSettingsPrice(const CPCarSettings& settings) const
{
    double price = 0.0;
    price += PriceOf(weapons, settings.weapon1);
    price += PriceOf(weapons, settings.weapon2);
    price += PriceOf(weapons, settings.weapon3);
    price += PriceOf(equipment, settings.equipment1);
    price += PriceOf(equipment, settings.equipment2);
    price += PriceOf(armour, settings.armour);
    price += PriceOf(bumpers, settings.bumper);
    price += PriceOf(engines, settings.engine);
    price += PriceOf(mines, settings.mine);
    if (!settings.superWeapon.empty()) {
        const CPSuperWeaponInfo* item = superWeapons.Find(settings.superWeapon);
        if (item)
            price += SuperWeaponCost(item->price, settings.superWeaponCount);
    }
    return price;
}

bool CPGameData::InsertRecord(std::int32_t track, const CPTimeRecord& record)
{
    if (track < 1 || track > kMaxTrack) {
        LogLine("Best times: there is no track " + std::to_string(track) + "; the time was not entered");
        return false;
    }
    if (bestTimes.size() < static_cast<std::size_t>(track))
        bestTimes.resize(static_cast<std::size_t>(track));
    std::vector<CPTimeRecord>& table = bestTimes[static_cast<std::size_t>(track - 1)];
    if (table.size() < kRecordsPerTrack) {
        table.push_back(record);
        return true;
    }
    std::sort(table.begin(), table.end());
    // A table read from an older file may hold more; only the best count.
    table.resize(kRecordsPerTrack);
    const auto worse = std::upper_bound(table.begin(), table.end(), record);
    if (worse == table.end())
        return false;
    table.insert(worse, record);
    table.resize(kRecordsPerTrack);
    return true;
}

void CPGameData::ClearGameData()
{
    currentRound = 1;
    roundTimes.assign(kRoundTimeCount, 0.0f);
    trackProgress = -1;
    clearedWord1 = 0;
    // The entries go back to the room they came from, for the next race.
    opponentPositionRoom.merge(opponentPositions);
    opponentPositions.clear();
    lapRecords = std::unordered_map<std::string, CPLapRecord>(kLapRecordBuckets);
    m_positionEntries.fill(nullptr);
    m_lapEntries.fill(nullptr);
    clearedWord2 = 0;
    for (CPObjectPtr& bonus : bonuses) {
        if (bonus)
            bonus->Release();
        bonus = CPObjectPtr();
    }
    bonuses.clear();
}

void CPGameData::ResetProfile()
{
    saveSlot = -1;
    currentMission = 1;
    points = 0;
    for (CPProgressEntry& entry : progress) {
        entry.bestTime = 0.0f;
        entry.state = 4;
        entry.name.clear();
    }
}

void CPGameData::SetProfile(const std::string& name)
{
    if (name != profileName)
        ResetProfile();
    profileName = name;
}
