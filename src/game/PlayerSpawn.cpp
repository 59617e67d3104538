#include <cmath>

#include "core/Log.h"
#include "core/Singletons.h"
#include "core/StringUtils.h"
#include "game/Camera.h"
#include "game/Level.h"
#include "game/Player.h"
#include "game/Spline.h"
#include "physics/PhysicData.h"
#include "physics/RigidBody.h"
#include "platform/Math.h"

namespace {

constexpr float kPi = 3.1415927f;
constexpr float kHalfPi = 1.5707964f;
// A car leaning further than 70 degrees goes back onto the track.
constexpr float kMaxTilt = 1.2217305f;
// The cosine of 60 degrees, under which the limit cannot be reached.
constexpr float kUprightDown = 0.5f;
constexpr float kSearchHalfSize = 20.0f;
constexpr float kClearRadius = 5.0f;
constexpr float kDropHeight = 2.0f;
// How many lines back along the track a crowded respawn looks for room.
constexpr std::size_t kRespawnSearchLines = 20;

// On every axis the centres lie no further apart than the half-sizes
// reach.
bool BoxesOverlap(const AxisBox& a, const AxisBox& b)
{
    return std::fabs(a.centre.x - b.centre.x) <= a.halfSize.x + b.halfSize.x &&
           std::fabs(a.centre.y - b.centre.y) <= a.halfSize.y + b.halfSize.y &&
           std::fabs(a.centre.z - b.centre.z) <= a.halfSize.z + b.halfSize.z;
}

void StopBody(CPGameObject& object)
{
    CPPhysicData* data = object.GetPhysicData();
    PhRigidBody* body = data ? data->GetRigidBody() : nullptr;
    if (!body)
        return;
    body->velocity = Vector4{};
    body->angularMomentum = Vector4{};
    body->angularVelocity = Vector4{};
    body->force = Vector4{};
    body->torque = Vector4{};
}

// Whether the test holds for the box of a car of the level other than this
// one: the opponents, then the player's car.
template <typename Test> bool AnyOtherCar(const CPPlayer& self, Test test)
{
    const CPLevel* level = GetCurrentLevel();
    if (!level)
        return false;
    auto hit = [&](const CPGameObject* other) { return other && other != &self && test(other->GetOwnBox()); };
    for (const CPGameObject* opponent : level->GetOpponents())
        if (hit(opponent))
            return true;
    return hit(level->GetPlayer());
}

// Whether a car whose down axis points this way leans past the limit. One
// whose down axis keeps at least half its length downwards leans 60 degrees
// at most, which settles it without the angle.
bool TiltedOver(const Vector3& down)
{
    if (-down.z >= kUprightDown)
        return false;
    const float tilt = std::fabs(down.z) < 0.0001f ? 0.0f : static_cast<float>(ClampedAcos(-down.z));
    return tilt > kMaxTilt;
}

bool NearOtherCar(const CPPlayer& self, const Vector3& candidate)
{
    return AnyOtherCar(self,
                       [&](const AxisBox& box) { return box.IntersectsSphere(candidate, kClearRadius); });
}

} // namespace

bool CPPlayer::Spawn(bool force)
{
    if (locked || respawnCooldown > 0.0f)
        return false;
    const Vector4 v = GetCarVelocity();
    const bool falling = 1.5f * (v.x * v.x + v.y * v.y) < v.z * v.z && v.z < -5.0f;
    const CPPhysicData* data = GetPhysicData();
    const bool offGround = !data || data->GetTerrainTriangleCount() == 0;
    if (!offGround && !force && !falling && !TiltedOver(Rotate(Vector3{0.0f, 0.0f, -1.0f}, GetRotation())))
        return false;

    CPLevel* level = GetCurrentLevel();
    CPSpline* spline = level ? level->GetPathSpline() : nullptr;
    if (!spline || !spline->GetFirstLine() || !IsFinite(GetPosition())) {
        // Said once per car: the check runs every frame.
        if (!m_spawnRefusalLogged)
            LogLine("CPPlayer::Spawn: " + modelName +
                    " has no track to go back to (no level, no path spline or " +
                    "a position that is not finite)");
        m_spawnRefusalLogged = true;
        return false;
    }

    respawnCooldown = kRespawnCooldown;
    StartRespawnFade();
    CPLine* line = spline->GetCurrentLine();
    const float angle = TrackHeading(*level, line);
    if (humanPlayer)
        TellCameraHeading(*level, angle);
    StopBody(*this);

    SetPosition(ChooseRespawnPoint(*level, *line) + Vector3{0.0f, 0.0f, kDropHeight});

    const float newAngle = TrackHeading(*level, line);
    if (humanPlayer)
        TellCameraHeading(*level, newAngle);
    SetRotation(QuaternionFromAxisAngle(Vector3{0.0f, 0.0f, 1.0f}, newAngle + kHalfPi));
    // The boxes follow at once: a car respawning later in the same frame
    // must see this one where it now stands, not where it crashed. The
    // transform stays flagged as changed for whoever moves it next.
    UpdateBounds();
    SetDirty(true);
    return true;
}

Vector3 CPPlayer::ChooseRespawnPoint(const CPLevel& level, const CPLine& line) const
{
    const Vector3 candidates[] = {line.start, line.centre, line.end};
    for (const Vector3& candidate : candidates) {
        if (!PlaceIsTaken(candidate))
            return candidate;
    }
    // Every point of the nearest line is refused (a crowd there, or this car
    // still touching another): go back along the track to the first point
    // that no other car is near, so that two cars never land on one spot.
    const CPLine* back = level.race.reversed ? line.previous : line.next;
    for (std::size_t steps = 0; back && back != &line && steps < kRespawnSearchLines; ++steps) {
        for (const Vector3& candidate : {back->start, back->centre, back->end}) {
            if (!NearOtherCar(*this, candidate))
                return candidate;
        }
        back = level.race.reversed ? back->previous : back->next;
    }
    return line.end;
}

float CPPlayer::TrackHeading(CPLevel& level, CPLine*& line)
{
    CPSpline* spline = level.GetPathSpline();
    float halfSize = kSearchHalfSize;
    float angle = spline->FindClosestSegment(GetPosition(), halfSize, 0, line, -1);
    if (level.race.reversed)
        angle += kPi;
    return angle;
}

void CPPlayer::TellCameraHeading(CPLevel& level, float angle) const
{
    auto* camera = level.GetCamera().As<CPCamera>();
    if (!camera)
        return;
    // A jump: the view does not swing round to the new heading.
    camera->yaw = angle;
    camera->smoothYaw = angle;
    camera->changed = true;
}

bool CPPlayer::PlaceIsTaken(const Vector3& candidate) const
{
    return AnyOtherCar(*this, [&](const AxisBox& box) {
        return BoxesOverlap(GetOwnBox(), box) || box.IntersectsSphere(candidate, kClearRadius);
    });
}
