#pragma once

#include <string>

#include "platform/MathTypes.h"

class CPGameObject;

// Small pieces the race step files share: commands to the scripts and what
// they read of a car.
namespace race {

constexpr float kPi = 3.1415927f;
constexpr float kHalfPi = 1.5707964f;
constexpr float kTwoPi = 6.2831855f;

// To the script object of that name; nothing without a registry.
void Send(const char* object, const char* command, const std::string& params = std::string());
// To every script object of the category.
void SendToCategory(const char* category, const char* command, const std::string& params = std::string());

// (0, -1, 0) and (0, 0, 1) turned by the car's orientation.
Vector3 Forward(const CPGameObject& car);
Vector3 Up(const CPGameObject& car);
// The angle of a direction about z: acos of its x (clamped), negative when
// its y is.
float HeadingOf(const Vector3& forward);
// The speed its physics body keeps; 0 without a rigid body.
float BodySpeed(const CPGameObject& car);
// The car object's throttle input; 0 for anything but a car object.
float ThrottleOf(const CPGameObject& car);

} // namespace race
