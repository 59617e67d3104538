#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/GameObject.h"

class CPRenderObject;

// Everything fired or spawned as a moving effect in a race: bullets,
// rockets, explosions, blood, gibs, the lightning. A shot is a scene object
// with a mesh render object of its own and an optional sound; the shot
// manager clones it from its kind's prototype, starts it and steps it until
// Update answers false.
//
// Ownership: the shot manager deletes every shot (prototypes, idle and
// active ones) with DeleteTree, a prototype after its copies. A sound the
// sound manager made anew for a prototype is the prototype's, shared by its
// copies and given back when the prototype goes; library sounds are only
// referred to.
class CPShot : public CPGameObject {
  public:
    static constexpr float kNoLaunchValue = -1.0f;

    CPShot();
    ~CPShot() override;

    std::uint32_t GetObjectSize() const override { return sizeof(CPShot); }
    std::string GetTypeName() const override { return "CPShot - " + m_kindName; }

    // A new shot of the same kind, set up like this one; empty when the
    // kind makes no copies.
    virtual CPObjectPtr Clone() = 0;
    // The per-frame step; true while the shot lives.
    virtual bool Update() = 0;
    virtual const std::string& GetKindName() const { return m_kindName; }
    // Reads the kind's parameters; the last one is the sound setting, a sound
    // name and a mode ("2d" or "3d") cut at "," or "none". False, with a
    // line in the log, when the parameters do not make a shot.
    virtual bool Init(const std::vector<std::string>& params);
    // Places the shot at the position, turns its local -y axis onto the
    // direction and plays its sound once.
    virtual void Start(const Vector3& position, const Vector3& direction, float value);

    void SetKindName(const std::string& name) { m_kindName = name; }
    // The object the shot must not hit (the root of the shooter's tree);
    // not counted, cleared when the shot goes back to its pool.
    void SetShooter(CPGameObject* shooter) { m_shooter = shooter; }
    CPGameObject* GetShooter() const { return m_shooter; }

    const Vector3& GetStartPosition() const { return m_startPosition; }
    const Vector3& GetDirection() const { return m_direction; }
    float GetLaunchValue() const { return m_launchValue; }
    CPObjectPtr GetSound() const { return m_sound; }
    const std::string& GetSoundSetting() const { return m_soundSetting; }
    bool IsSound2D() const { return m_soundIs2D; }
    CPRenderObject* GetOwnRenderObject() const;

    // The rotation that turns the local -y axis onto the direction. A zero
    // or non-finite direction keeps the identity; +y is a half turn about z.
    static Quaternion RotationTowards(const Vector3& direction);
    // A number parameter in the "C" notation; false when the text is not a
    // whole finite number.
    static bool ParseNumber(const std::string& text, float& value);

  protected:
    // For Clone: the kind name, the sound and its setting, and copies of the
    // prototype's geometry and of its children.
    void CopySetupFrom(const CPShot& prototype);
    // Lets go of the sound, giving it back when this shot loaded it.
    void DropSound();

    Vector3 m_startPosition;
    Vector3 m_direction;
    std::string m_kindName;
    CPObjectPtr m_sound;
    std::string m_soundSetting;
    float m_launchValue = kNoLaunchValue;
    bool m_soundIs2D = false;
    bool m_ownsSound = false;
    CPGameObject* m_shooter = nullptr;
};
