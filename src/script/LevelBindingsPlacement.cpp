#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "core/GameSettings.h"
#include "core/Log.h"
#include "core/Singletons.h"
#include "game/Camera.h"
#include "game/GameData.h"
#include "game/Level.h"
#include "game/Player.h"
#include "game/Shot.h"
#include "game/ShotManager.h"
#include "platform/Clock.h"
#include "platform/Math.h"
#include "platform/Random.h"
#include "script/LevelBindings.h"
#include "script/ScriptArgs.h"

namespace bind {

namespace {

// Sources closer than this, or this far or farther, do not count as near.
constexpr float kSourceNear = 25.0f;
constexpr float kSourceFar = 40.0f;
// Enemies are placed this far inside the level's edges.
constexpr float kLevelMargin = 20.0f;
constexpr float kMovingSpeed = 2.0f;
constexpr float kBorderSpread = 2.0f;
constexpr float kQuarterTurn = 1.5707964f;
// The radar in the top right corner of the screen, in pixels.
constexpr float kRadarRight = 109.0f;
constexpr float kRadarLeft = 205.0f;
constexpr float kRadarTop = 100.0f;
constexpr float kRadarBottom = 200.0f;
constexpr float kRadarScale = 100.0f * 5.0f;
constexpr float kOffRadar = 50.0f;

const CPPlayer* PlayerCar(const CPLevel* level)
{
    return level ? dynamic_cast<const CPPlayer*>(level->GetPlayer()) : nullptr;
}

Vector3 PlayerPosition(const CPLevel* level)
{
    const CPGameObject* player = level ? level->GetPlayer() : nullptr;
    return player ? player->GetPosition() : Vector3{};
}

// Whether the source has the flag asked for and stands near the point, but
// not too near.
bool IsNearSource(const CPSourceInfo& source, bool flag, const Vector3& point)
{
    const float distance = Length(source.position - point);
    return (source.flag != 0) == flag && distance > kSourceNear && distance < kSourceFar;
}

// The sources near the point, of the group and with the flag asked for, are
// counted and picked from in place: the scripts ask every frame while the
// car passes a source.
const std::vector<CPSourceInfo>* SourcesOf(const CPGameData& data, const std::string& group)
{
    const auto found = data.enemySources.find(group);
    return found == data.enemySources.end() ? nullptr : &found->second;
}

std::size_t CountNearSources(const CPGameData& data, const std::string& group, bool flag,
                             const Vector3& point)
{
    const std::vector<CPSourceInfo>* sources = SourcesOf(data, group);
    if (!sources)
        return 0;
    return static_cast<std::size_t>(
        std::count_if(sources->begin(), sources->end(),
                      [&](const CPSourceInfo& s) { return IsNearSource(s, flag, point); }));
}

// The near source of that rank (from 0) in the group's order.
const CPSourceInfo* NearSourceAt(const CPGameData& data, const std::string& group, bool flag,
                                 const Vector3& point, std::size_t rank)
{
    const std::vector<CPSourceInfo>* sources = SourcesOf(data, group);
    if (!sources)
        return nullptr;
    for (const CPSourceInfo& source : *sources) {
        if (IsNearSource(source, flag, point) && rank-- == 0)
            return &source;
    }
    return nullptr;
}

const CPCheckpointInfo* Checkpoint(const CPGameData& data, const char* binding, std::int32_t index)
{
    if (index >= 0 && static_cast<std::size_t>(index) < data.checkpoints.size())
        return &data.checkpoints[static_cast<std::size_t>(index)];
    LogLine(std::string(binding) + ": the mission has no checkpoint " + std::to_string(index) + " (it has " +
            std::to_string(data.checkpoints.size()) + ")");
    return nullptr;
}

int RandBelow(std::int32_t bound) { return platform::Rand() % std::max<std::int32_t>(1, bound); }

// A point ahead of or behind the moving car, half the spread away.
Vector3 OffsetAlongCar(const Matrix4& rotation, float spread)
{
    const float across = static_cast<float>(RandBelow(TruncateToInt(spread * 0.25f))) - spread * 0.125f;
    const Vector3 turned = TransformNormal(Vector3{across, -0.5f * spread, 0.0f}, rotation);
    return Normalize(turned) * (spread * 0.5f);
}

// A point on the edge of the square of the spread's side around the car.
Vector3 OffsetOnSquare(float spread)
{
    const bool alongX = (platform::Rand() & 1) != 0;
    const float free = static_cast<float>(RandBelow(TruncateToInt(spread))) - spread * 0.5f;
    const float edge = (platform::Rand() & 1) != 0 ? -spread * 0.5f : spread * 0.5f;
    return alongX ? Vector3{free, edge, 0.0f} : Vector3{edge, free, 0.0f};
}

void PushRadar(lua_State* L, const CPLevel& level, const std::map<std::string, Vector2>& positions)
{
    const CPPlayer* player = PlayerCar(&level);
    const Vector3 p = PlayerPosition(&level);
    const std::int32_t playerSide = player ? player->side & (CPPlayer::kLightSide | CPPlayer::kDarkSide) : 0;
    const float extent = std::max(level.levelWidth, level.levelDepth);
    const float scale = extent > 0.0f ? kRadarScale / extent : 0.0f;
    const auto* camera = level.GetCamera().As<CPCamera>();
    const Matrix4 turn = RotationMatrixZ((camera ? camera->yaw : 0.0f) - kQuarterTurn);
    const GameSettings& settings = GetGameSettings();
    const float width = static_cast<float>(settings.screenWidth);

    lua_newtable(L);
    int key = 1;
    for (const auto& [name, position] : positions) {
        const Vector3 d = TransformPoint(Vector3{position.x - p.x, -(position.y - p.y), 0.0f}, turn) * scale;
        float x = width - kRadarRight + d.x;
        const float y = d.y + kRadarTop;
        if (x < width - kRadarLeft || y > kRadarBottom)
            x = width + kOffRadar;
        // The key is the opponent's place in the level's list.
        const std::vector<CPGameObject*>& opponents = level.GetOpponents();
        const long index = std::strtol(name.c_str(), nullptr, 10);
        const auto* opponent = index >= 0 && static_cast<std::size_t>(index) < opponents.size()
                                   ? dynamic_cast<const CPPlayer*>(opponents[static_cast<std::size_t>(index)])
                                   : nullptr;
        std::int32_t side = 0;
        if (opponent) {
            side = opponent->side & (CPPlayer::kLightSide | CPPlayer::kDarkSide);
            if (side == 0)
                side = CPPlayer::SideOfModel(opponent->modelName);
        }
        lua_pushnumber(L, key++);
        lua_pushnumber(L, x);
        lua_settable(L, -3);
        lua_pushnumber(L, key++);
        lua_pushnumber(L, y);
        lua_settable(L, -3);
        lua_pushnumber(L, key++);
        lua_pushboolean(L, (side & playerSide) != 0);
        lua_settable(L, -3);
    }
}

} // namespace

int AddEnemy(lua_State* L)
{
    // The scripts call it with a kind and a place; enemies come into the
    // race through the enemy sources instead.
    (void)LuaToText(L, 1);
    (void)LuaToFloat(L, 2);
    (void)LuaToFloat(L, 3);
    return 0;
}

int GetPositionForEnemy(lua_State* L)
{
    const CPLevel* level = GetCurrentLevel();
    const CPGameObject* player = level ? level->GetPlayer() : nullptr;
    if (!player) {
        lua_pushboolean(L, 0);
        lua_pushnumber(L, 0.0);
        lua_pushnumber(L, 0.0);
        return 3;
    }
    const bool border = lua_isstring(L, 3) != 0;
    // Without a border the spread is the number the scripts pass second.
    float spread = border ? kBorderSpread : LuaToFloat(L, 2);
    if (!std::isfinite(spread))
        spread = 0.0f;
    const Vector3 p = player->GetPosition();
    const Vector2 borderPoint{LuaToFloat(L, 4) + 2.0f, LuaToFloat(L, 5) + 2.0f};
    const float hx = level->levelWidth * 0.5f - kLevelMargin;
    const float hy = level->levelDepth * 0.5f - kLevelMargin;
    const Matrix4 rotation = MatrixFromQuaternion(player->GetRotation());

    bool placed = false;
    Vector2 candidate;
    for (int attempt = 0; attempt < 2 && !placed; ++attempt) {
        Vector3 offset;
        if (level->view.followedCarSpeed > kMovingSpeed && platform::Rand() % 5 != 0)
            offset = OffsetAlongCar(rotation, spread);
        else
            offset = OffsetOnSquare(spread);
        candidate = border ? borderPoint : Vector2{p.x + offset.x, p.y + offset.y};
        placed = -hx <= candidate.x && candidate.x <= hx && -hy <= candidate.y && candidate.y <= hy;
    }
    lua_pushboolean(L, placed);
    lua_pushnumber(L, candidate.x);
    lua_pushnumber(L, candidate.y);
    return 3;
}

int GetEnemyType(lua_State* L)
{
    const std::string group = LuaToText(L, 1);
    const std::int32_t checkpoint = LuaToInt(L, 1);
    const bool flag = lua_toboolean(L, 2) != 0;
    const CPLevel* level = GetCurrentLevel();
    const CPGameData* data = GetGameData();
    Vector3 position = PlayerPosition(level);
    std::string kind;
    bool fromSource = false;
    if (level && data) {
        const std::size_t near = CountNearSources(*data, group, flag, position);
        if (near > 0) {
            const std::size_t rank = static_cast<std::size_t>(platform::Rand()) % near;
            const CPSourceInfo& source = *NearSourceAt(*data, group, flag, position, rank);
            position = source.position;
            kind = DrawWeightedName(source.enemies);
            fromSource = true;
        } else if (const CPCheckpointInfo* record = Checkpoint(*data, "GetEnemyType", checkpoint - 1)) {
            kind = DrawWeightedName(record->enemies);
        }
    }
    lua_pushstring(L, kind.c_str());
    lua_pushboolean(L, fromSource);
    lua_pushnumber(L, position.x);
    lua_pushnumber(L, position.y);
    return 4;
}

int IsEnemySourceNear(lua_State* L)
{
    const bool flag = lua_toboolean(L, 1) != 0;
    const std::string group = LuaToText(L, 2);
    const CPLevel* level = GetCurrentLevel();
    const CPGameData* data = GetGameData();
    const bool near = level && data && CountNearSources(*data, group, flag, PlayerPosition(level)) > 0;
    lua_pushboolean(L, near);
    return 1;
}

int SetBonus(lua_State* L)
{
    const Vector3 position{LuaToFloat(L, 1), LuaToFloat(L, 2), 0.0f};
    const CPGameData* data = GetGameData();
    const CPCheckpointInfo* record = data ? Checkpoint(*data, "SetBonus", LuaToInt(L, 3)) : nullptr;
    if (!record)
        return 0;
    const std::int32_t chance =
        TruncateToInt(static_cast<float>(record->bonusChance) * data->bonusCoefficient);
    platform::SeedRand(platform::Milliseconds());
    if (platform::Rand() % 100 > chance)
        return 0;
    const std::string kind = DrawWeightedName(record->bonuses);
    CPShotManager* manager = GetWeaponManager();
    if (kind.empty() || !manager)
        return 0;
    manager->Launch(kind, position, position, CPShot::kNoLaunchValue, CPObjectPtr());
    return 0;
}

int GetAIPositions(lua_State* L)
{
    const CPLevel* level = GetCurrentLevel();
    if (!level)
        return 0;
    // Read in place: a copy of the map would allocate on every call.
    static const std::map<std::string, Vector2> kNoPositions;
    const CPGameData* data = GetGameData();
    const std::map<std::string, Vector2>& positions = data ? data->opponentPositions : kNoPositions;
    lua_pushnumber(L, 3.0 * static_cast<double>(positions.size()));
    PushRadar(L, *level, positions);
    return 2;
}

} // namespace bind
