#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "core/GameObject.h"
#include "core/Singletons.h"
#include "game/GameData.h"
#include "game/Level.h"
#include "game/Player.h"
#include "game/RaceFrame.h"
#include "game/Spline.h"
#include "platform/Math.h"

namespace {

// A jump of the nearest point by more than this wraps round the start.
constexpr std::int32_t kWrapJump = 14;
// How close to the end of a lap the player, and an opponent, must have come
// before passing the start point completes it.
constexpr std::int32_t kPlayerLapSlack = 20;
constexpr std::int32_t kOpponentLapSlack = 50;
// Progress below this on the first lap means standing behind the start.
constexpr std::int32_t kBehindStart = 70;
constexpr float kFinishLineReach = 2.0f;

std::int32_t SideOf(const CPGameObject* car)
{
    const auto* player = ObjectCast<const CPPlayer>(car);
    return player ? player->side : 0;
}

// The step from one nearest point to the next, a jump across the start
// taken as the short way round.
std::int32_t ProgressStep(std::int32_t from, std::int32_t to, std::int32_t count)
{
    std::int32_t d = to - from;
    if (d < -kWrapJump)
        d += count - 1;
    else if (d > kWrapJump)
        d -= count - 1;
    return d;
}

void EnterPlace(std::array<std::int32_t, 3>& places, std::int32_t who)
{
    if (std::find(places.begin(), places.end(), who) != places.end())
        return;
    const auto empty = std::find(places.begin(), places.end(), -1);
    if (empty != places.end())
        *empty = who;
}

float DistanceToLine(const Vector3& point, const Vector3& origin, const Vector3& direction)
{
    const Vector3 offset = point - origin;
    if (!(LengthSquared(direction) > 0.0f))
        return Length(offset);
    const Vector3 along = Normalize(direction);
    return Length(offset - along * Dot(offset, along));
}

// Whether two positions are one place for the track search, which reads
// only x and y: the same bits, so that the point found for one is the
// point found for the other.
bool SameSpot(const Vector3& a, const Vector3& b)
{
    return std::memcmp(&a.x, &b.x, sizeof a.x) == 0 && std::memcmp(&a.y, &b.y, sizeof a.y) == 0;
}

} // namespace

std::int32_t CPLevel::FindNearestTrackPoint(const Vector3& position) const
{
    return m_trackPointIndex.Find(trackPoints, position);
}

std::int32_t CPLevel::NearestTrackPointOf(const CPGameObject& car) const
{
    const CPRaceProgress::TrackFix* fix = nullptr;
    if (&car == GetPlayer()) {
        fix = &race.playerFix;
    } else {
        const std::size_t slots = std::min(m_opponents.size(), race.opponentFix.size());
        for (std::size_t i = 0; i < slots && !fix; ++i)
            if (m_opponents[i] == &car)
                fix = &race.opponentFix[i];
    }
    const Vector3& position = car.GetPosition();
    if (fix && fix->taken && !trackPoints.empty() && SameSpot(fix->position, position))
        return fix->point;
    return FindNearestTrackPoint(position);
}

void CPLevel::InitRaceTrack()
{
    race.playerProgress = 0;
    trackPoints.clear();
    const CPSpline* path = GetPathSpline();
    CPLine* first = path ? path->GetFirstLine() : nullptr;
    // The points follow the driving direction, in which a car's progress
    // grows: from a line to its previous line (to its next one on a level
    // driven in reverse). A ring that does not come round to its first line
    // is walked once at most.
    const std::size_t limit = path ? path->GetLines().size() : 0;
    for (CPLine* line = first; line && trackPoints.size() < limit;) {
        trackPoints.push_back(line);
        line = race.reversed ? line->next : line->previous;
        if (line == first)
            break;
    }
    m_trackPointIndex.Build(trackPoints);
    race.playerFix = {};
    race.opponentFix.fill({});

    CPGameObject* player = GetPlayer();
    race.playerNearestPoint = player ? FindNearestTrackPoint(player->GetPosition()) : -1;
    race.startPoint = FindNearestTrackPoint(race.startPosition);
    race.finishLineDirection.z = 0.0f;

    // A level stopped before keeps no per-opponent entries.
    race.opponentNearestPoint.resize(kMaxOpponentSlots, 0);
    race.opponentProgress.assign(kMaxOpponentSlots, 0);
    for (std::size_t i = 0; i < m_opponents.size() && i < kMaxOpponentSlots; ++i) {
        if (SideOf(m_opponents[i]) & CPPlayer::kBothSides)
            continue;
        race.opponentNearestPoint[i] = FindNearestTrackPoint(m_opponents[i]->GetPosition());
    }
}

void CPLevel::UpdateLaps()
{
    CPGameData* data = GetGameData();
    CPGameObject* player = GetPlayer();
    if (!data || !player)
        return;
    const auto n = static_cast<std::int32_t>(trackPoints.size());

    const Vector3& position = player->GetPosition();
    const std::int32_t p = FindNearestTrackPoint(position);
    race.playerFix = {position, p, true};
    if (p != -1 && p != race.playerNearestPoint) {
        const std::int32_t d = ProgressStep(race.playerNearestPoint, p, n);
        race.playerProgress += d;
        data->trackProgress += d;
        race.playerNearestPoint = p;
    }
    // Without a nearest point the player is nowhere on the track, so it
    // cannot be at the start either.
    const bool atStart = p != -1 && p == race.startPoint;
    if (atStart && race.playerProgress >= n - kPlayerLapSlack &&
        DistanceToLine(position, race.startPosition, race.finishLineDirection) <= kFinishLineReach) {
        ++data->currentRound;
        const auto running = static_cast<std::size_t>(data->currentRound - 1);
        if (data->roundTimes.size() <= running)
            data->roundTimes.resize(running + 1, 0.0f);
        data->roundTimes[running] = 0.0f;
        race.playerProgress = 0;
        data->trackProgress = (n - 1) * (data->currentRound - 1);
        if (data->roundCount < data->currentRound)
            EnterPlace(race.places, kPlayerPlace);
        else if (data->roundCount == data->currentRound)
            race::Send("game_interface", "show_message", "posledniy_krug!");
        else
            race::Send("game_interface", "show_message", "krug_proiden!");
    }
    if (atStart && race.playerProgress < kBehindStart && data->currentRound == 1)
        data->trackProgress = 0;

    // A stopped level keeps no per-opponent entries.
    const std::size_t counted = std::min({m_opponents.size(), kCountedOpponents,
                                          race.opponentNearestPoint.size(), race.opponentProgress.size()});
    for (std::size_t i = 0; i < counted; ++i) {
        const CPGameObject* car = m_opponents[i];
        if (SideOf(car) & CPPlayer::kOwnCar)
            continue;
        CPLapRecord& record = data->GetLapRecord(i);
        const std::int32_t q = FindNearestTrackPoint(car->GetPosition());
        race.opponentFix[i] = {car->GetPosition(), q, true};
        if (q != -1 && q != race.opponentNearestPoint[i]) {
            const std::int32_t d = ProgressStep(race.opponentNearestPoint[i], q, n);
            race.opponentProgress[i] += d;
            record.trackProgress += d;
            race.opponentNearestPoint[i] = q;
        }
        const bool onStart =
            race.opponentNearestPoint[i] != -1 && race.opponentNearestPoint[i] == race.startPoint;
        if (onStart && race.opponentProgress[i] >= n - kOpponentLapSlack) {
            ++record.lapNumber;
            record.trackProgress = (n - 1) * (record.lapNumber - 1);
            if (data->roundCount < record.lapNumber)
                EnterPlace(race.places, static_cast<std::int32_t>(i));
            race.opponentProgress[i] = 0;
        }
        if (onStart && record.lapNumber == 1 && race.opponentProgress[i] < kBehindStart)
            record.trackProgress = 0;
    }
}
