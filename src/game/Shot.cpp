#include "game/Shot.h"

#include <cmath>
#include <cstdlib>

#include "Render/RenderObject.h"
#include "Sound/NSound.h"
#include "Sound/SoundManager.h"
#include "core/Log.h"
#include "core/Singletons.h"
#include "core/StringUtils.h"
#include "platform/Math.h"

CPShot::CPShot() : CPGameObject("CPShot")
{
    SetRenderObject(CPObjectPtr(new CPRenderObject(this)), kMeshObject);
}

CPShot::~CPShot() { DropSound(); }

void CPShot::DropSound()
{
    if (!m_ownsSound) {
        m_sound = CPObjectPtr();
        return;
    }
    m_ownsSound = false;
    if (CPSoundManager* manager = GetSoundManager()) {
        manager->FreeSound(m_sound);
        return;
    }
    CPObject* sound = m_sound.Get();
    m_sound = CPObjectPtr();
    delete sound;
}

CPRenderObject* CPShot::GetOwnRenderObject() const { return GetRenderObject().As<CPRenderObject>(); }

bool CPShot::ParseNumber(const std::string& text, float& value)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    const float parsed = std::strtof(text.c_str(), &end);
    if (end != text.c_str() + text.size() || !std::isfinite(parsed))
        return false;
    value = parsed;
    return true;
}

bool CPShot::Init(const std::vector<std::string>& params)
{
    DropSound();
    m_soundIs2D = false;
    m_soundSetting = params.empty() ? std::string("none") : params.back();

    std::string name = m_soundSetting;
    std::string mode;
    if (const std::size_t comma = m_soundSetting.find(','); comma != std::string::npos) {
        name = m_soundSetting.substr(0, comma);
        mode = m_soundSetting.substr(comma + 1);
    }
    TrimString(name);
    TrimString(mode);
    if (name == "none" || name.empty())
        return true;
    m_soundIs2D = mode == "2d";

    CPSoundManager* manager = GetSoundManager();
    if (!manager) {
        LogLine("CPShot " + m_kindName + ": no sound manager for \"" + name + "\"; the shot is silent");
        return true;
    }
    // A sound that does not load leaves the shot silent. One made anew
    // (not the library's) is this shot's to give back; its clones share it.
    if (manager->LoadSound(m_sound, name, m_soundIs2D ? 0 : 1, false))
        m_ownsSound = !manager->GetLibrary()->Holds(m_sound.As<CNSound>());
    return true;
}

Quaternion CPShot::RotationTowards(const Vector3& direction)
{
    const Quaternion identity{0.0f, 0.0f, 0.0f, 1.0f};
    if (!IsFinite(direction) || LengthSquared(direction) <= 0.0f)
        return identity;
    const Vector3 d = Normalize(direction);
    const float angle = static_cast<float>(ClampedAcos(-d.y));
    // (0, -1, 0) x d: the axis that turns -y onto d.
    const Vector3 axis{-d.z, 0.0f, d.x};
    if (LengthSquared(axis) > 1e-12f)
        return QuaternionFromAxisAngle(axis, angle);
    // Along the y axis: nothing to turn for -y, a half turn for +y.
    return d.y < 0.0f ? identity : QuaternionFromAxisAngle({0.0f, 0.0f, 1.0f}, 3.1415927f);
}

void CPShot::Start(const Vector3& position, const Vector3& direction, float value)
{
    m_launchValue = value;
    m_startPosition = position;
    m_direction = direction;
    SetVisible(true);
    SetRotation(RotationTowards(direction));
    SetPosition(position);
    UpdateBounds();

    auto* sound = m_sound.As<CNSound>();
    if (!sound)
        return;
    if (!m_soundIs2D)
        SetSound3DPosition(m_sound, position, Vector3{0.0f, 0.0f, 0.0f});
    sound->StopPlaying();
    sound->Rewind();
    sound->Play(0, 0);
}

void CPShot::CopySetupFrom(const CPShot& prototype)
{
    m_kindName = prototype.m_kindName;
    m_sound = prototype.m_sound;
    m_soundSetting = prototype.m_soundSetting;
    m_soundIs2D = prototype.m_soundIs2D;
    if (CPRenderObject* own = GetOwnRenderObject())
        own->CopyFrom(prototype.GetRenderObject());
    SetBoundingBox(prototype.GetBoundingBox());
    GetPartBoxes() = prototype.GetPartBoxes();
    SetPickable(prototype.IsPickable());
    SetShadow(prototype.HasShadow());
    for (const CPObjectPtr& entry : prototype.GetChildren()) {
        const auto* original = entry.As<CPGameObject>();
        if (!original)
            continue;
        auto* child = new CPGameObject(original->GetName());
        AddChild(CPObjectPtr(child));
        child->Build(entry);
    }
}
