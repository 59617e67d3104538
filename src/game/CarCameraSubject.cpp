#include "game/CarCameraSubject.h"

#include "core/ObjectCast.h"
#include "game/Car.h"
#include "game/Player.h"

void CPCarCameraSubject::SetCar(const CPGameObject* car) { m_car = ObjectCast<const CPPlayer>(car); }

float CPCarCameraSubject::GetSlide() const
{
    const CPCar* car = m_car ? m_car->GetCar() : nullptr;
    return car ? car->GetSlide() : 0.0f;
}

float CPCarCameraSubject::GetSteering() const
{
    const CPCar* car = m_car ? m_car->GetCar() : nullptr;
    return car ? car->GetSteering() : 0.0f;
}

Vector3 CPCarCameraSubject::GetVelocity() const
{
    if (!m_car)
        return Vector3{};
    const Vector4 v = m_car->GetCarVelocity();
    return Vector3{v.x, v.y, v.z};
}
