#include "game/Player.h"

#include "Render/PRender.h"
#include "Sound/NSound.h"
#include "core/Log.h"
#include "core/Singletons.h"
#include "game/Car.h"
#include "game/Level.h"
#include "physics/PhysicData.h"
#include "physics/RigidBody.h"

namespace {

PhRigidBody* BodyOf(const CPGameObject& object)
{
    CPPhysicData* data = object.GetPhysicData();
    return data ? data->GetRigidBody() : nullptr;
}

} // namespace

CPPlayer::CPPlayer() : CPGameObject("PLAYER") {}

CPPlayer::~CPPlayer()
{
    weapons.hitSet.clear();
    // The body must not keep pointing at an object that is going away.
    if (PhRigidBody* body = BodyOf(*this); body && body->GetUserData() == static_cast<CPGameObject*>(this))
        body->SetUserData(nullptr);
    DestroyCar(*this);
    DeleteShadow();
}

std::int32_t CPPlayer::SideOfModel(const std::string& model)
{
    if (model == "zil_130_" || model == "uaz" || model == "gaz_3110_main")
        return kLightSide;
    if (model == "audi_tt" || model == "bmw" || model == "volswagen_toureg")
        return kDarkSide;
    return 0;
}

CPCar* CPPlayer::GetCar() const { return GetPhysicsObject().As<CPCar>(); }

bool CPPlayer::CreateCar(bool withSounds)
{
    const bool ok = ::CreateCar(CPObjectPtr(this), withSounds);
    TakeCarRecords();
    if (PhRigidBody* body = BodyOf(*this))
        body->SetUserData(static_cast<CPGameObject*>(this));
    if (!ok)
        LogLine("CPPlayer::CreateCar: the car of \"" + modelName + "\" is not fully set up");
    return ok;
}

void CPPlayer::SetControls(float newThrottle, float newSteering)
{
    if (locked)
        return;
    throttle = halted ? 0.0f : newThrottle;
    steering = newSteering;
}

void CPPlayer::SetLocked(bool on)
{
    locked = on;
    CPCar* car = GetCar();
    if (!car)
        return;
    if (on)
        car->SetControls(0.0f, steering);
    car->SetAlternateDrive(on);
}

void CPPlayer::Halt()
{
    halted = true;
    if (!locked)
        throttle = 0.0f;
}

void CPPlayer::SetNitro(float power)
{
    CPCar* car = GetCar();
    if (!car)
        return;
    float nitro = locked ? 0.0f : power;
    if (car->GetNitroStock() == 0.0f)
        nitro = 0.0f;
    car->SetNitro(nitro);
    if (nitro != 0.0f || !car->HasSounds())
        return;
    if (CNSound* sound = car->GetSound(CPCar::kNitroSound))
        sound->StopPlaying();
}

void CPPlayer::SetBrakeLights(bool on)
{
    if (locked)
        return;
    if (bonuses.slowed) {
        for (const char* name : {"lflarerear", "rflarerear"}) {
            CPGameObject* flare = GetChildByName(name).As<CPGameObject>();
            if (flare)
                flare->SetVisible(on);
        }
        return;
    }
    if (CPCar* car = GetCar())
        car->SetBrake(on);
}

void CPPlayer::SetCarSoundVolume(float volume)
{
    CPCar* car = GetCar();
    if (!car || !car->HasSounds())
        return;
    for (int slot : {CPCar::kEngineSound, CPCar::kSkidSound, CPCar::kNitroSound}) {
        if (CNSound* sound = car->GetSound(slot))
            sound->SetVolume(volume);
    }
}

Vector4 CPPlayer::GetCarVelocity() const
{
    const CPCar* car = GetCar();
    if (!car)
        return Vector4{0.0f, 0.0f, 0.0f, 0.0f};
    const Vector3& v = car->GetVelocity();
    return Vector4{v.x, v.y, v.z, 0.0f};
}

void CPPlayer::ApplyBodyImpulse(const Vector3& point, const Vector3& impulse)
{
    const CPCar* car = GetCar();
    const CPGameObject* owner = car ? car->GetOwner() : this;
    PhRigidBody* body = owner ? BodyOf(*owner) : nullptr;
    if (!body)
        return;
    body->ApplyImpulse(Vector4{impulse.x, impulse.y, impulse.z, 0.0f},
                       Vector4{point.x, point.y, point.z, 1.0f});
}

void CPPlayer::StartRespawnFade()
{
    if (!humanPlayer)
        return;
    fadeTimer = 0.0f;
    fadeOutRunning = true;
    fadeInRunning = false;
}

void CPPlayer::UpdateRespawnFade(float frameTime)
{
    if (!humanPlayer)
        return;
    CPRender* render = GetRender();
    if (fadeOutRunning) {
        fadeTimer += frameTime;
        float brightness = (0.1f - fadeTimer) * 10.0f;
        if (fadeTimer >= 0.1f) {
            fadeOutRunning = false;
            fadeInRunning = true;
            brightness = 0.0f;
            fadeTimer = 0.0f;
        }
        if (render)
            render->SetFade(brightness);
    }
    if (fadeInRunning) {
        fadeTimer += frameTime;
        float brightness = fadeTimer * 2.5f;
        if (fadeTimer >= 0.4f) {
            fadeInRunning = false;
            fadeOutRunning = false;
            brightness = 1.0f;
        }
        if (render)
            render->SetFade(brightness);
    }
}

void CPPlayer::GetCarRotation(Quaternion& rotation) const
{
    const CPCar* car = GetCar();
    const PhRigidBody* body = car && car->GetOwner() ? BodyOf(*car->GetOwner()) : nullptr;
    if (!body) {
        rotation = Quaternion{0.0f, 0.0f, 0.0f, 0.0f};
        return;
    }
    rotation = body->orientation;
}

bool CPPlayer::IsLevelPlayer() const
{
    CPLevel* level = GetCurrentLevel();
    return level && level->GetPlayer() == this;
}
