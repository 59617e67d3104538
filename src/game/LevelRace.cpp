#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "Render/PRender.h"
#include "Render/PerspectiveCamera.h"
#include "Render/RenderList.h"
#include "Sound/NSound.h"
#include "Sound/SoundManager.h"
#include "core/GameClock.h"
#include "core/GameObject.h"
#include "core/GameSettings.h"
#include "core/Singletons.h"
#include "game/AIManager.h"
#include "game/AIVehicle.h"
#include "game/Camera.h"
#include "game/Car.h"
#include "game/GameData.h"
#include "game/Level.h"
#include "game/Player.h"
#include "game/RaceCamera.h"
#include "game/RaceCar.h"
#include "game/RaceFrame.h"
#include "game/Spline.h"
#include "game/TriggerBox.h"
#include "platform/Clock.h"
#include "platform/Math.h"

namespace {

constexpr float kStartClockLimit = 16.0f;
constexpr float kFullBoost = 100.0f;
constexpr float kSpeedZoneCooldown = 2.0f;
constexpr float kHeadingSearchHalfSize = 40.0f;
constexpr float kRecordSampleSpacing = 0.05f;

void EndRace(CPLevel& level, bool won)
{
    race::Send("game_interface", "show_message", won ? "finish!" : "lost!");
    race::Send("jeep", "game_over");
    level.race.raceOver = true;
}

CPProgressEntry* RecordEntry(const CPLevel& level, CPGameData& data)
{
    if (level.levelNumber < 1 || level.levelNumber > static_cast<std::int32_t>(data.progress.size()))
        return nullptr;
    return &data.progress[static_cast<std::size_t>(level.levelNumber - 1)];
}

CPProgressEntry::Sample PackSample(const CPLevel::RecordSample& sample)
{
    const float values[8] = {sample.position.x, sample.position.y, sample.position.z, sample.rotation.x,
                             sample.rotation.y, sample.rotation.z, sample.rotation.w, sample.raceClock};
    CPProgressEntry::Sample packed{};
    std::memcpy(packed.data(), values, sizeof(values));
    return packed;
}

CPLevel::RecordSample UnpackSample(const CPProgressEntry::Sample& packed)
{
    float values[8];
    std::memcpy(values, packed.data(), sizeof(values));
    CPLevel::RecordSample sample;
    sample.position = {values[0], values[1], values[2]};
    sample.rotation = {values[3], values[4], values[5], values[6]};
    sample.raceClock = values[7];
    return sample;
}

// First place in record mode: a new best time of the level's record, or
// not.
bool JudgeRecord(CPLevel& level)
{
    CPGameData* data = GetGameData();
    CPProgressEntry* entry = data ? RecordEntry(level, *data) : nullptr;
    // A level without a record entry has no record to beat or to keep.
    if (!entry)
        return true;
    const std::int32_t lap = data->currentRound - 2;
    const float t = lap >= 0 && static_cast<std::size_t>(lap) < data->roundTimes.size()
                        ? data->roundTimes[static_cast<std::size_t>(lap)]
                        : 0.0f;
    if (entry->bestTime != 0.0f && !(t < entry->bestTime))
        return false;
    entry->bestTime = t;
    entry->name = level.recordName;
    entry->samples.clear();
    for (const CPLevel::RecordSample& sample : level.race.recordData)
        entry->samples.push_back(PackSample(sample));
    return true;
}

void DecidePlaces(CPLevel& level)
{
    const auto& places = level.race.places;
    if (places[0] == CPLevel::kPlayerPlace) {
        if (!level.recordMode) {
            race::Send("game_interface", "place", "1st");
            if (level.race.requiredPlace >= 0)
                EndRace(level, true);
        } else {
            EndRace(level, JudgeRecord(level));
        }
        level.race.raceDecided = true;
        return;
    }
    for (std::int32_t place = 1; place <= 2; ++place) {
        if (places[static_cast<std::size_t>(place)] != CPLevel::kPlayerPlace)
            continue;
        race::Send("game_interface", "place", place == 1 ? "2nd" : "3rd");
        level.race.raceDecided = true;
        EndRace(level, level.race.requiredPlace >= place);
        return;
    }
    if (places[0] != -1 && places[1] != -1 && places[2] != -1) {
        level.race.raceDecided = true;
        EndRace(level, false);
    }
}

void CountCheckpointTime(CPLevel& level, float dt)
{
    const CPGameData* data = GetGameData();
    if (!data || !data->levelStarted || level.race.lastCheckpoint == -1 || level.race.raceOver ||
        level.race.raceDecided || level.noCheckpoints)
        return;
    level.race.timeLeft -= dt;
    if (level.race.timeLeft > 0.0f)
        return;
    race::Send("game_interface", "checkpoint", "timeout!,1");
    EndRace(level, false);
    level.race.timeLeft = 0.0f;
    level.race.raceDecided = true;
}

void CountRunningTime(CPLevel& level, float dt)
{
    CPGameData* data = GetGameData();
    if (!level.race.raceRunning || !data)
        return;
    if (data->currentRound >= 1) {
        const auto running = static_cast<std::size_t>(data->currentRound - 1);
        if (data->roundTimes.size() <= running)
            data->roundTimes.resize(running + 1, 0.0f);
        data->roundTimes[running] += dt;
    }
    data->levelTimer += dt;
    for (auto& entry : data->lapRecords)
        entry.second.CountDown(dt);
}

void StepPlayer(CPLevel& level, float dt)
{
    // A frame time that is no number would stop the steps for good.
    level.race.fixedStepRemainder += dt;
    if (!std::isfinite(level.race.fixedStepRemainder))
        level.race.fixedStepRemainder = 0.0f;
    auto* car = ObjectCast<CPRaceCar>(level.GetPlayer());
    while (level.race.fixedStepRemainder >= CPLevel::kFixedStep) {
        if (car)
            car->UpdateState(CPLevel::kFixedStep);
        level.race.fixedStepRemainder -= CPLevel::kFixedStep;
    }
}

AI_Vehicle* DriverOf(std::size_t index)
{
    CPAIManager* ai = GetAIManager();
    if (!ai)
        return nullptr;
    if (index < CPLevel::kCountedOpponents)
        return ai->GetOpponent(index);
    const std::size_t traffic = index - CPLevel::kCountedOpponents;
    return traffic < ai->GetTraffic().size() ? ai->GetTraffic()[traffic] : nullptr;
}

void ReportToDriver(AI_Vehicle& driver, CPGameObject& car)
{
    float speed = race::BodySpeed(car);
    if (race::ThrottleOf(car) < 0.0f)
        speed = -speed;
    const auto* player = ObjectCast<const CPPlayer>(&car);
    driver.Update(&car, race::Forward(car), speed, CPObjectPtr(&car), player ? player->rangeMin : 0,
                  player ? player->rangeMax : 0);
}

static_assert(CPLevel::kCountedOpponents <= CPGameData::kOpponentPositionRoom,
              "the opponents' positions are written into the room the game data makes for them");

void StepOpponents(CPLevel& level, float dt)
{
    CPGameData* data = GetGameData();
    const std::vector<CPGameObject*>& opponents = level.GetOpponents();
    for (std::size_t i = 0; i < opponents.size(); ++i) {
        if (!level.allOpponents && i >= CPLevel::kCountedOpponents)
            break;
        CPGameObject* car = opponents[i];
        if (AI_Vehicle* driver = DriverOf(i))
            ReportToDriver(*driver, *car);
        if (auto* raceCar = ObjectCast<CPRaceCar>(car))
            raceCar->UpdateState(dt);
        if (i < CPLevel::kCountedOpponents && data) {
            const Vector3& p = car->GetPosition();
            data->SetOpponentPosition(i, Vector2{p.x, p.y});
        }
    }
}

void UpdateHeading(CPLevel& level)
{
    CPSpline* path = level.GetPathSpline();
    const CPGameObject* player = level.GetPlayer();
    if (!path || !path->GetFirstLine() || !player)
        return;
    float halfSize = kHeadingSearchHalfSize;
    level.race.heading =
        path->FindClosestSegment(player->GetPosition(), halfSize, 1, level.race.headingLine, -1);
}

bool Inside(const CPObjectPtr& zone, const Vector3& point)
{
    const auto* object = zone.As<CPGameObject>();
    return object && TriggerBox(*object).Contains(point);
}

void RefillBoost(CPGameObject* carObject)
{
    auto* player = ObjectCast<CPPlayer>(carObject);
    CPCar* car = player ? player->GetCar() : nullptr;
    if (car)
        car->SetNitroStock(std::min(car->GetNitroStock() + kFullBoost, kFullBoost));
}

void PlayFastSound()
{
    CPSoundManager* sounds = GetSoundManager();
    CNSound* sound = sounds ? sounds->GetSound("fast").As<CNSound>() : nullptr;
    if (!sound)
        return;
    if (sound->IsPlaying())
        sound->Rewind();
    sound->Play(0, 0);
}

void UpdateSpeedZones(CPLevel& level, float dt)
{
    level.race.speedZoneCooldown = std::max(0.0f, level.race.speedZoneCooldown - dt);
    CPGameObject* player = level.GetPlayer();
    if (!player)
        return;
    const Vector3& position = player->GetPosition();
    for (const CPObjectPtr& zone : level.speedZones) {
        if (!Inside(zone, position))
            continue;
        auto* car = ObjectCast<CPPlayer>(player);
        const CPCar* model = car ? car->GetCar() : nullptr;
        if (model && model->GetNitroStock() != kFullBoost && level.race.speedZoneCooldown == 0.0f) {
            PlayFastSound();
            level.race.speedZoneCooldown = kSpeedZoneCooldown;
        }
        RefillBoost(player);
        for (CPGameObject* opponent : level.GetOpponents()) {
            if (Inside(zone, opponent->GetPosition()))
                RefillBoost(opponent);
        }
    }
}

std::string BonusTimeText(float timeLeft)
{
    CPGameData* data = GetGameData();
    const std::string label = data ? data->GetText("bonus_time") : std::string();
    const float tenths = static_cast<float>(static_cast<std::int64_t>(timeLeft * 10.0f)) * 0.1f;
    char value[64];
    std::snprintf(value, sizeof(value), "%f", static_cast<double>(tenths));
    return "time," + label + "," + value;
}

void PassCheckpoint(CPLevel& level, std::size_t index)
{
    ++level.race.checkpointsPassed;
    const std::string bonus = BonusTimeText(level.race.timeLeft);
    if (level.race.timeLeft > 0.0f)
        race::Send("game_interface", "bonus_points", bonus);
    level.race.timeLeft = level.checkpoints[index].grantedTime;

    const auto count = static_cast<std::int32_t>(level.checkpoints.size());
    const CPGameData* data = GetGameData();
    const bool lastOfThirdLap = data && data->currentRound == 3 && level.race.checkpointsPassed == count + 1;
    if (!lastOfThirdLap)
        race::Send("game_interface", "checkpoint",
                   level.race.lastCheckpoint != -1 ? "checkpoint!,1" : "checkpoint!,0");
    level.race.lastCheckpoint = static_cast<std::int32_t>(index);
    if (level.race.checkpointsPassed > count)
        level.race.checkpointsPassed = 1;
    level.race.currentCheckpoint = index + 1;
}

void UpdateCheckpoints(CPLevel& level)
{
    const CPGameObject* player = level.GetPlayer();
    if (level.noCheckpoints || level.race.raceOver || !player)
        return;
    const Vector3& position = player->GetPosition();
    for (std::size_t i = 0; i < level.checkpoints.size(); ++i) {
        if (static_cast<std::int32_t>(i) == level.race.lastCheckpoint ||
            !Inside(level.checkpoints[i].object, position))
            continue;
        PassCheckpoint(level, i);
        return;
    }
}

void RecordPlayer(CPLevel& level)
{
    const CPGameObject* player = level.GetPlayer();
    if (!player || !(level.race.raceClock > level.race.lastSampleTime + kRecordSampleSpacing))
        return;
    level.race.lastSampleTime = level.race.raceClock;
    level.race.recordData.push_back({player->GetPosition(), player->GetRotation(), level.race.raceClock});
}

CPRenderList* FrameList();

void ReplayGhost(CPLevel& level)
{
    auto* ghost = level.GetRecordGhost().As<CPGameObject>();
    if (ghost) {
        if (CPRenderList* list = FrameList())
            list->AddObjectTree(level.GetRecordGhost());
    }
    CPGameData* data = GetGameData();
    const CPProgressEntry* entry = data ? RecordEntry(level, *data) : nullptr;
    if (!ghost || !entry || entry->samples.empty())
        return;
    const auto& samples = entry->samples;
    const auto last = static_cast<std::int32_t>(samples.size()) - 1;
    level.race.ghostSampleIndex = std::clamp(level.race.ghostSampleIndex, 0, last);
    while (level.race.ghostSampleIndex < last &&
           UnpackSample(samples[static_cast<std::size_t>(level.race.ghostSampleIndex)]).raceClock <
               level.race.raceClock)
        ++level.race.ghostSampleIndex;
    const CPLevel::RecordSample now =
        UnpackSample(samples[static_cast<std::size_t>(level.race.ghostSampleIndex)]);
    if (now.raceClock < level.race.raceClock || level.race.ghostSampleIndex <= 0)
        return;
    const CPLevel::RecordSample before =
        UnpackSample(samples[static_cast<std::size_t>(level.race.ghostSampleIndex - 1)]);
    const float span = now.raceClock - before.raceClock;
    const float t = span > 0.0f ? (level.race.raceClock - before.raceClock) / span : 1.0f;
    ghost->SetPosition(before.position + (now.position - before.position) * t);
    ghost->SetRotation(now.rotation);
    ghost->UpdateBounds();
}

CPRenderList* FrameList()
{
    CPRender* render = GetRender();
    if (!render)
        return nullptr;
    CPObjectPtr list;
    render->GetSceneObject(list);
    return list.As<CPRenderList>();
}

// The player's car belongs to the script that owns it, which draws it; the
// opponents are nobody's, so the level puts each one that the game camera
// can see into the frame's scene. Whether the camera sees the car's own box.
bool DrawOpponent(CPRenderList& list, CPGameObject& opponent, const CPPerspectiveCamera* view)
{
    const AxisBox& box = opponent.GetOwnBox();
    if (view && !view->IsBoxVisible(box.minimum, box.maximum))
        return false;
    list.AddObjectTree(CPObjectPtr(&opponent));
    return true;
}

void DrawCars(CPLevel& level)
{
    if (GetGameSettings().brightness != 0.0f) {
        if (CPRenderList* list = FrameList(); list && level.GetTerrain())
            list->AddObjectTree(level.GetTerrain());
    }
    auto* camera = level.GetCamera().As<CPCamera>();
    CPPerspectiveCamera* view = camera ? camera->GetMainCamera() : nullptr;
    CPRenderList* list = FrameList();
    for (CPGameObject* opponent : level.GetOpponents()) {
        auto* car = ObjectCast<CPRaceCar>(opponent);
        if (!list || !view) {
            if (list)
                DrawOpponent(*list, *opponent, view);
            if (car)
                car->DrawShadow(view);
            continue;
        }
        // The shadow would ask the camera about the same box again.
        const bool seen = DrawOpponent(*list, *opponent, view);
        if (car)
            car->DrawShadowAsSeen(view, seen);
    }
    if (level.demoMode)
        return;
    if (auto* car = ObjectCast<CPRaceCar>(level.GetPlayer()))
        car->DrawShadow(view);
}

} // namespace

void CPLevel::UpdateRace()
{
    const float dt = GetFrameTime();
    if (!race.raceDecided)
        DecidePlaces(*this);
    if (race.startClock < kStartClockLimit)
        race.startClock += dt;
    race.elapsedTime += dt;
    CountCheckpointTime(*this, dt);
    if (demoMode)
        race::UpdateDemoCamera(*this, dt);

    race.raceClock += dt;
    race.levelFailedCountdown -= dt;
    const std::uint32_t now = platform::Milliseconds();
    race.realFrameTime = static_cast<float>(now - race.lastRealTime) * 0.001f;
    race.lastRealTime = now;

    UpdateLaps();
    CountRunningTime(*this, dt);
    view.viewTimer += race.realFrameTime;
    if (race.levelFailedCountdown < 0.0f && !race.levelFailedSent) {
        race.levelFailedCountdown = 0.0f;
        race::SendToCategory("main", "level_failed");
        race.levelFailedSent = true;
    }
    if (!demoMode)
        StepPlayer(*this, dt);
    if (cameraTarget)
        race::FeedCamera(*this, *cameraTarget);
    StepOpponents(*this, dt);
    UpdateHeading(*this);
    UpdateSpeedZones(*this, dt);
    UpdateCheckpoints(*this);
    if (cameraTarget)
        race::UpdateCameraView(*this, *cameraTarget);
    if (recordMode) {
        RecordPlayer(*this);
        ReplayGhost(*this);
    }
    DrawCars(*this);
    UpdateEnemies(dt);
    race::CullScene(*this);
    race::UpdateSunFlare(*this);
}
