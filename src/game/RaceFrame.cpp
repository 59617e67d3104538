#include "game/RaceFrame.h"

#include <algorithm>
#include <cmath>

#include "core/GameObject.h"
#include "core/ObjectRegistry.h"
#include "core/Singletons.h"
#include "game/Player.h"
#include "physics/PhysicData.h"
#include "physics/RigidBody.h"
#include "platform/Math.h"

namespace race {

void Send(const char* object, const char* command, const std::string& params)
{
    if (CPObjectRegistry* registry = GetObjectRegistry())
        registry->SendCommandByName(object, command, params);
}

void SendToCategory(const char* category, const char* command, const std::string& params)
{
    if (CPObjectRegistry* registry = GetObjectRegistry())
        registry->SendCommandByCategory(category, command, params);
}

Vector3 Forward(const CPGameObject& car) { return Rotate(Vector3{0.0f, -1.0f, 0.0f}, car.GetRotation()); }

Vector3 Up(const CPGameObject& car) { return Rotate(Vector3{0.0f, 0.0f, 1.0f}, car.GetRotation()); }

float HeadingOf(const Vector3& forward)
{
    const float heading = std::acos(std::clamp(forward.x, -1.0f, 1.0f));
    return forward.y < 0.0f ? -heading : heading;
}

float BodySpeed(const CPGameObject& car)
{
    const CPPhysicData* data = car.GetPhysicData();
    const PhRigidBody* body = data ? data->GetRigidBody() : nullptr;
    return body ? body->GetSpeed() : 0.0f;
}

float ThrottleOf(const CPGameObject& car)
{
    const auto* player = ObjectCast<const CPPlayer>(&car);
    return player ? player->GetThrottle() : 0.0f;
}

} // namespace race
