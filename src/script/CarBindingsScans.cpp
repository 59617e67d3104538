#include <map>
#include <string>

#include "physics/PhysicData.h"
#include "script/CarBindings.h"
#include "script/CarBindingsSupport.h"

// The car functions that look through the level's opponents.
namespace bind {

namespace {

// How many opponents the side scans look at, and the wide scan.
constexpr std::size_t kScanLimit = 5;
constexpr std::size_t kWideScanLimit = 20;
constexpr float kNoCarNearer = 10000.0f;
constexpr float kPushBack = -6.0f * 12.0f;

CPPlayer* OpponentAt(const CPLevel& level, std::size_t index)
{
    return dynamic_cast<CPPlayer*>(level.GetOpponents()[index]);
}

std::size_t ScanCount(const CPLevel& level, std::size_t limit)
{
    return std::min(level.GetOpponents().size(), limit);
}

bool Alive(const CPPlayer& car) { return car.damage < CPPlayer::kWreckDamage; }

// The car model name behind a model name the scripts use; other names
// stand for themselves.
std::string CarModel(const std::string& scriptName)
{
    static const std::map<std::string, std::string> kModels = {
        {"zil_130", "zil_130_"}, {"uaz_469", "uaz"},  {"gaz_z110", "gaz_3110_main"},
        {"audi_tt", "audi_tt"},  {"bmw_i745", "bmw"}, {"volk_t", "volswagen_toureg"},
    };
    const auto found = kModels.find(scriptName);
    return found == kModels.end() ? scriptName : found->second;
}

CPPlayer* OpponentOfModel(const CPLevel& level, const std::string& model)
{
    for (std::size_t i = 0; i < level.GetOpponents().size(); ++i) {
        CPPlayer* car = OpponentAt(level, i);
        if (car && car->modelName == model)
            return car;
    }
    return nullptr;
}

int SideLeft(lua_State* L, std::int32_t side)
{
    const CPLevel* level = GetCurrentLevel();
    bool left = false;
    for (std::size_t i = 0; level && i < ScanCount(*level, kScanLimit) && !left; ++i) {
        const CPPlayer* car = OpponentAt(*level, i);
        left = car && (car->side & side) != 0 && Alive(*car);
    }
    lua_pushnumber(L, left ? 1 : 0);
    return 1;
}

struct Nearest {
    CPPlayer* car = nullptr;
    float distance = kNoCarNearer;
};

int PushNearest(lua_State* L, const Nearest& nearest)
{
    if (!nearest.car)
        return 0;
    PushVector3(L, nearest.car->GetPosition());
    LuaPushObject(L, nearest.car);
    lua_pushnumber(L, nearest.distance);
    return 5;
}

// Opponents first (a later car wins a tie), then the player's car when it
// is strictly nearer.
Nearest FindNearest(const CPLevel& level, const Vector3& point, std::int32_t side, std::size_t limit,
                    bool anyOfSide, bool needAlive)
{
    Nearest nearest;
    for (std::size_t i = 0; i < ScanCount(level, limit); ++i) {
        CPPlayer* car = OpponentAt(level, i);
        if (!car)
            continue;
        const bool candidate = ((car->side & side) != 0 && (!needAlive || Alive(*car))) ||
                               (anyOfSide && (car->side & CPPlayer::kDarkSide) != 0);
        const float distance = Length(car->GetPosition() - point);
        if (candidate && distance <= nearest.distance) {
            nearest.car = car;
            nearest.distance = distance;
        }
    }
    CPPlayer* player = LevelPlayerCar(&level);
    if (player && (player->side & side) != 0) {
        const float distance = Length(player->GetPosition() - point);
        if (distance < nearest.distance) {
            nearest.car = player;
            nearest.distance = distance;
        }
    }
    return nearest;
}

void PushBackIfNear(CPPlayer* car, float x, float y, float radius)
{
    if (!car || (car->side & CPPlayer::kDarkSide) == 0)
        return;
    const float dx = car->GetPosition().x - x;
    const float dy = car->GetPosition().y - y;
    if (dx * dx + dy * dy > radius * radius)
        return;
    const Vector4 v = car->GetCarVelocity();
    Vector3 unit{v.x, v.y, v.z};
    unit = LengthSquared(unit) < 1e-6f ? Vector3{} : Normalize(unit);
    car->ApplyBodyImpulse(car->GetPosition(), unit * kPushBack);
}

} // namespace

int ThrowPlayer(lua_State* L)
{
    CPPlayer* car = CarArg(L, 1);
    if (!car || (car->side & CPPlayer::kLightSide) == 0)
        return 0;
    const Vector3 forward = Forward(*car);
    const CPPhysicData* data = car->GetPhysicData();
    const float mass = data ? data->GetMass() : 0.0f;
    // The heavy truck is lifted half as hard, further back.
    const bool truck = car->modelName == "zil_130_";
    const Vector3 point = car->GetPosition() - forward * (truck ? 2.0f : 1.0f);
    car->ApplyBodyImpulse(point, Vector3{0.0f, 0.0f, mass * (truck ? 31.25f : 62.5f)});
    return 0;
}

int CheckIntersection(lua_State* L)
{
    const float x = LuaToFloat(L, 1);
    const float y = LuaToFloat(L, 2);
    const float radius = LuaToFloat(L, 4);
    const CPLevel* level = GetCurrentLevel();
    if (!level)
        return 0;
    PushBackIfNear(LevelPlayerCar(level), x, y, radius);
    for (std::size_t i = 0; i < ScanCount(*level, kScanLimit); ++i)
        PushBackIfNear(OpponentAt(*level, i), x, y, radius);
    return 0;
}

int GetAIDamage(lua_State* L)
{
    const std::string model = CarModel(LuaToText(L, 1));
    const CPLevel* level = GetCurrentLevel();
    if (!level)
        return 0;
    const CPPlayer* car = OpponentOfModel(*level, model);
    lua_pushnumber(L, car ? car->damage : 0.0f);
    return 1;
}

int IsPlayerDead(lua_State* L)
{
    const CPLevel* level = GetCurrentLevel();
    if (!level)
        return 0;
    if (lua_gettop(L) == 0) {
        const CPPlayer* player = LevelPlayerCar(level);
        lua_pushboolean(L, player && !Alive(*player));
        return 1;
    }
    const std::string model = CarModel(LuaToText(L, 1));
    const CPPlayer* car = OpponentOfModel(*level, model);
    if (!car) {
        const auto* followed = dynamic_cast<const CPPlayer*>(level->cameraTarget);
        car = followed && followed->modelName == model ? followed : nullptr;
    }
    lua_pushboolean(L, car && !Alive(*car));
    return 1;
}

int IsLightLeft(lua_State* L) { return SideLeft(L, CPPlayer::kLightSide); }
int IsDarkLeft(lua_State* L) { return SideLeft(L, CPPlayer::kDarkSide); }

int GetNearestSollaryPlayer(lua_State* L)
{
    const Vector3 point = VectorArgs(L, 1);
    const bool wide = lua_toboolean(L, 4) != 0;
    const CPLevel* level = GetCurrentLevel();
    if (!level)
        return 0;
    return PushNearest(
        L, FindNearest(*level, point, CPPlayer::kLightSide, wide ? kWideScanLimit : kScanLimit, wide, true));
}

int GetNearestCorvanePlayer(lua_State* L)
{
    const Vector3 point = VectorArgs(L, 1);
    const CPLevel* level = GetCurrentLevel();
    if (!level)
        return 0;
    return PushNearest(L, FindNearest(*level, point, CPPlayer::kDarkSide, kScanLimit, false, false));
}

} // namespace bind
