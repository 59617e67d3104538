#include "game/Car.h"

#include <algorithm>
#include <cmath>

#include "Render/RenderObject.h"
#include "Sound/NSound.h"
#include "Sound/SoundManager.h"
#include "core/GameClock.h"
#include "core/GameObject.h"
#include "core/Log.h"
#include "core/Singletons.h"
#include "game/GameData.h"
#include "physics/PhysicData.h"
#include "physics/RigidBody.h"
#include "platform/Math.h"
#include "platform/Random.h"

namespace {

float RandomFraction() { return static_cast<float>(platform::Rand()) / 32767.0f; }

struct SoundToLoad {
    int slot;
    const char* file;
    bool forceNew;
};

// The engine and the skid play on their own; the nitro may share the
// library's sound.
constexpr SoundToLoad kCarSounds[] = {
    {CPCar::kEngineSound, "main.wav", true},
    {CPCar::kSkidSound, "vizg.wav", true},
    {CPCar::kNitroSound, "nitro.wav", false},
};

} // namespace

CPCar::CPCar(CPGameObject* owner) : m_owner(owner) { m_transform = IdentityMatrix(); }

CPCar::~CPCar()
{
    for (int slot = 1; slot < kSoundSlots; ++slot)
        if (CNSound* sound = GetSound(slot))
            sound->StopPlaying();
    for (int slot = 0; slot < kSoundSlots; ++slot) {
        CNSound* sound = GetSound(slot);
        m_sounds[slot] = CPObjectPtr();
        if (m_ownsSound[slot])
            delete sound;
    }
    DetachFromBody();
}

CNSound* CPCar::GetSound(int slot) const
{
    if (slot < 0 || slot >= kSoundSlots)
        return nullptr;
    return m_sounds[slot].As<CNSound>();
}

void CPCar::DetachFromBody()
{
    // The simulator must not call a car that is gone. A body the simulator
    // took away is no longer in the physics data.
    CPPhysicData* data = m_owner ? m_owner->GetPhysicData() : nullptr;
    PhRigidBody* body = data ? data->GetRigidBody() : nullptr;
    if (!body)
        return;
    for (PhController* controller = body->controllers.head; controller; controller = controller->next)
        if (controller->listener == this)
            controller->listener = nullptr;
}

bool CPCar::LoadSounds()
{
    CPSoundManager* manager = GetSoundManager();
    if (!manager) {
        LogLine("CPCar: no sound manager, the car of " + (m_owner ? m_owner->GetName() : std::string()) +
                " stays silent");
        return false;
    }
    bool allLoaded = true;
    for (const SoundToLoad& entry : kCarSounds) {
        CPObjectPtr& slot = m_sounds[entry.slot];
        if (m_ownsSound[entry.slot])
            delete slot.As<CNSound>();
        m_ownsSound[entry.slot] = false;
        if (!manager->LoadSound(slot, entry.file, 0, entry.forceNew)) {
            LogLine(std::string("CPCar: the car sound \"") + entry.file + "\" did not load");
            allLoaded = false;
            continue;
        }
        m_ownsSound[entry.slot] = !manager->GetLibrary()->Holds(slot.As<CNSound>());
    }
    return allLoaded;
}

// --- Driver's inputs --------------------------------------------------------

void CPCar::ShowLight(CPGameObject* light, bool visible)
{
    if (light)
        light->SetVisible(visible);
}

void CPCar::SetControls(float throttle, float steering)
{
    const float backwardSpeed = TransformNormal(m_velocity, GetInverseTransform()).y;
    if (throttle >= 0.0f) {
        m_throttleForce = throttle * m_accelFront;
        ShowLight(m_backLights, true);
        ShowLight(m_litBackLights, false);
    } else {
        m_throttleForce = throttle * m_accelBack;
        if (backwardSpeed > 0.0f) {
            ShowLight(m_backLights, false);
            ShowLight(m_litBackLights, true);
        }
    }
    const float magnitude = std::min(std::fabs(steering), kMaxSteering);
    m_steering = steering > 0.0f ? magnitude : (steering < 0.0f ? -magnitude : 0.0f);
    m_controlsChanged = true;
}

void CPCar::SetBrake(bool on)
{
    if (on == m_handBrake)
        return;
    m_handBrake = on;
    ShowLight(m_stopLights, !on);
    ShowLight(m_litStopLights, on);
}

void CPCar::FindLights()
{
    if (!m_owner)
        return;
    m_stopLights = m_owner->GetChildByName("stoplights").As<CPGameObject>();
    m_litStopLights = m_owner->GetChildByName("stoplights2").As<CPGameObject>();
    m_backLights = m_owner->GetChildByName("backlights").As<CPGameObject>();
    m_litBackLights = m_owner->GetChildByName("backlights2").As<CPGameObject>();
    m_glass = m_owner->GetChildByName("glass").As<CPGameObject>();
    ShowLight(m_stopLights, true);
    ShowLight(m_backLights, true);
    ShowLight(m_litStopLights, false);
    ShowLight(m_litBackLights, false);
}

// --- Once a frame -------------------------------------------------------------

void CPCar::FrameHousekeeping()
{
    const GameClock& clock = GetGameClock();
    const CPGameData* gameData = GetGameData();
    if (clock.frameCount == m_frameStamp || !gameData || !gameData->levelStarted)
        return;
    m_frameStamp = clock.frameCount;

    if (m_nitro > 0.0f) {
        m_nitroStock = std::max(0.0f, m_nitroStock - clock.frameTime * kNitroDrain);
        if (m_nitroStock <= 0.0f)
            m_nitro = 0.0f;
    }
    UpdateGlow();
    if (m_hasSounds)
        UpdateEngineSound(clock.frameTime);
}

void CPCar::UpdateGlow()
{
    if (!m_glass)
        return;
    const float r = RandomFraction();
    float v;
    if (m_nitroStock > 0.0f && m_nitro > 0.0f)
        v = (m_nitroStock * 0.01f * r + 1.0f) * 0.455f;
    else if (m_nitroStock > 0.0f)
        v = m_nitroStock * 0.01f * 0.728f;
    else
        v = r * 0.364f + 0.364f;
    const Vector4 glow{0.0f, 0.0f, 0.0f, -(v * m_nitro) - 0.09f};
    for (const CPObjectPtr& child : m_glass->GetChildren()) {
        auto* object = child.As<CPGameObject>();
        if (!object || object->GetRenderKind() != CPGameObject::kMeshObject)
            continue;
        if (auto* mesh = object->GetRenderObject().As<CPRenderObject>())
            mesh->SetGlow(glow);
    }
}

void CPCar::UpdateEngineSound(float frameTime)
{
    CNSound* engine = GetSound(kEngineSound);
    if (!engine)
        return;
    if (!engine->IsPlaying())
        engine->Play(0, CNSound::kPlayLooping);
    const float target = std::min(m_speed * 0.05f + 0.5f, 3.0f);
    m_enginePitch += (target - m_enginePitch) * frameTime * 5.0f;
    engine->SetFrequencyFactor(m_enginePitch);
}

void CPCar::PlayNitroSound()
{
    CNSound* nitro = GetSound(kNitroSound);
    if (m_nitro <= 0.0f || !m_hasSounds || !nitro || nitro->IsPlaying())
        return;
    nitro->Rewind();
    nitro->Play(0, 0);
}

// --- Pushes from the race ------------------------------------------------------

void CPCar::ApplyOwnerImpulse(const Vector3& point, const Vector3& impulse)
{
    CPPhysicData* data = m_owner ? m_owner->GetPhysicData() : nullptr;
    PhRigidBody* body = data ? data->GetRigidBody() : nullptr;
    if (!body)
        return;
    body->ApplyImpulse(Vector4{impulse.x, impulse.y, impulse.z, 0.0f},
                       Vector4{point.x, point.y, point.z, 1.0f});
}

// --- Creation ---------------------------------------------------------------

bool CreateCar(CPObjectPtr object, bool withSounds)
{
    auto* owner = object.As<CPGameObject>();
    if (!owner) {
        LogLine("CreateCar: not a game object");
        return false;
    }
    DestroyCar(*owner);
    auto* car = new CPCar(owner);
    owner->SetPhysicsObject(CPObjectPtr(car));
    bool ok = car->SetupPhysics(nullptr, withSounds);
    car->SetHasSounds(withSounds);
    if (withSounds && !car->LoadSounds())
        ok = false;
    return ok;
}

void DestroyCar(CPGameObject& object)
{
    CPCar* car = object.GetPhysicsObject().As<CPCar>();
    if (!car)
        return;
    object.SetPhysicsObject(CPObjectPtr());
    delete car;
}
