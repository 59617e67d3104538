#include "game/EnemyObject.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

#include <tinyxml.h>

#include "Render/AnimationRequest.h"
#include "Sound/NSound.h"
#include "Sound/SoundManager.h"
#include "core/GameObject.h"
#include "core/Log.h"
#include "core/ObjectRegistry.h"
#include "core/Singletons.h"
#include "game/GameData.h"
#include "game/ShotManager.h"
#include "game/Spread.h"
#include "platform/Math.h"
#include "platform/Random.h"

namespace {

// Melee blows use attack records 1 and 2; record 3 belongs to "fire".
constexpr std::int32_t kMaxMeleeAnimations = 2;
constexpr float kTwoPi = 6.2831855f;

std::string FormatMoney(float money)
{
    char text[64];
    std::snprintf(text, sizeof(text), "%.2f", static_cast<double>(money));
    return text;
}

} // namespace

CPEnemyObject::CPEnemyObject(CPGameObject* owner) : m_owner(owner)
{
    if (m_owner)
        m_owner->SetEnemy(this);
}

CPEnemyObject::~CPEnemyObject()
{
    if (m_owner && m_owner->GetEnemy() == this)
        m_owner->SetEnemy(nullptr);
    CPSoundManager* manager = GetSoundManager();
    for (auto& entry : sounds) {
        if (manager)
            manager->FreeSound(entry.second); // library sounds stay
    }
    sounds.clear();
}

// --- Animations ---------------------------------------------------------------

void CPEnemyObject::PlayAnimation(const std::string& animation, bool useParameter, bool restart,
                                  float parameter)
{
    if (animation == currentAnimation && !restart)
        return;
    currentAnimation = animation;
    if (!m_owner)
        return;
    CPAnimationRequest request;
    request.name = animation;
    request.speed = useParameter ? parameter : 1.0f;
    // One pass: the end of the pass is what chooses the next attack.
    request.loopLimit = 1;
    const auto report = reportFrames.find(animation);
    request.reportFrame = report == reportFrames.end() ? -1 : report->second;
    m_owner->StartAnimation(request, restart);
}

void CPEnemyObject::PlayAttackAnimation()
{
    const std::string ended = currentAnimation;
    if (ended == "melee1" || ended == "melee2") {
        // A count of 0 would divide by zero; one above 2 would reach the
        // record of "fire".
        const std::int32_t count = std::min(meleeCount, kMaxMeleeAnimations);
        if (count > 0) {
            const int n = platform::Rand() % count + 1;
            meleeName = "melee" + std::to_string(n);
            PlayAnimation(meleeName, true, true, attacks[n - 1].parameter);
            if (listener)
                listener->OnAttackChosen();
        }
    } else if (ended == "fire") {
        if (firing == 1) {
            PlayAnimation("fire", true, true, attacks[2].parameter);
            if (listener)
                listener->OnAttackChosen();
        }
    } else if (ended == "fire_in") {
        PlayAnimation("fire", true, true, attacks[2].parameter);
        firing = 1;
    } else if (ended == "fire_out") {
        stateTime = 0.0f;
        currentStateAnimation = stateTable[kIdleState];
        m_state = kIdleState;
        firing = 0;
    } else if (ended == "death1" || ended == "death2") {
        // Rays and shots pass through the body from now on.
        if (m_owner)
            m_owner->SetPickable(false);
    }
    busy = false;
}

void CPEnemyObject::EnterState(std::uint32_t state)
{
    m_state = state;
    stateTime = 0.0f;
    const auto found = stateTable.find(state);
    currentStateAnimation = found == stateTable.end() ? std::string() : found->second;
    if (!currentStateAnimation.empty())
        PlayAnimation(currentStateAnimation, false, true, 1.0f);
}

// --- Damage and death ---------------------------------------------------------------

void CPEnemyObject::TakeDamage(const Vector3&, const Vector3& hitPosition, float damage, bool noHitEffect,
                               bool oilOnly)
{
    if (ignoreDamage)
        return;
    hit = true;
    if (!oilOnly || hitEffectKind == "oil1") {
        health -= damage;
        if (!noHitEffect) {
            if (CPShotManager* manager = GetWeaponManager())
                manager->Launch(hitEffectKind, hitPosition, Vector3{0.0f, 0.0f, 1.0f}, -1.0f, CPObjectPtr());
        }
    }
    if (health > 0.0f || dead)
        return;

    if (CPGameData* data = GetGameData()) {
        data->money += static_cast<float>(reward);
        if (CPObjectRegistry* registry = GetObjectRegistry())
            registry->SendCommandByName("gamemenu", "change_money", FormatMoney(data->money));
        ++data->kills;
    }
    if (gibsEnabled && hitEffectKind == "blood1")
        LaunchGibs();
    ReportDeath();
    dead = true;
    EnterState(kDeathState);
}

void CPEnemyObject::LaunchGibs()
{
    if (!m_owner)
        return;
    m_owner->SetVisible(false);
    const Vector3 start = m_owner->GetPosition() + Vector3{0.0f, 0.0f, gibHeight};
    CPShotManager* manager = GetWeaponManager();
    const int count = platform::Rand() % 5 + 5;
    for (int i = 0; i < count; ++i) {
        const float yaw = RandomFraction() * kTwoPi;
        const float pitch = RandomFraction() * kTwoPi;
        const float roll = RandomFraction() * kTwoPi;
        const Vector3 direction = Rotate({0.0f, 0.0f, 1.0f}, QuaternionFromYawPitchRoll(yaw, pitch, roll));
        const char* kind = platform::Rand() % 2 == 0 ? "gib2" : "gib1";
        if (manager)
            manager->Launch(kind, start, direction, -1.0f, CPObjectPtr(m_owner));
    }
}

void CPEnemyObject::ReportDeath()
{
    if (deathSuppressed || deathReported)
        return;
    deathReported = true;
    CPObjectRegistry* registry = GetObjectRegistry();
    if (!registry || !m_owner)
        return;
    const Vector3& p = m_owner->GetPosition();
    char position[kPositionTextRoom];
    std::snprintf(position, sizeof(position), "%.2f,%.2f,%.2f", static_cast<double>(p.x),
                  static_cast<double>(p.y), static_cast<double>(p.z));
    m_deathReport.assign(name);
    m_deathReport += ',';
    m_deathReport += position;
    registry->SendCommandByCategory("level", "enemy_death", m_deathReport);
}

// --- Sounds ---------------------------------------------------------------------------

bool CPEnemyObject::LoadSound(const std::string& soundName, const std::string& file)
{
    CPSoundManager* manager = GetSoundManager();
    CPObjectPtr sound;
    if (!manager || !manager->LoadSound(sound, file, 1, false)) {
        LogLine("CPEnemy " + name + ": the sound \"" + soundName + "\" (" + file + ") does not load");
        return false;
    }
    CPObjectPtr& slot = sounds[soundName];
    if (slot != sound)
        manager->FreeSound(slot);
    slot = sound;
    return true;
}

void CPEnemyObject::PlaySound(const std::string& soundName)
{
    const auto found = sounds.find(soundName);
    auto* sound = found == sounds.end() ? nullptr : found->second.As<CNSound>();
    if (!sound)
        return;
    if (sound->IsPlaying()) {
        sound->StopPlaying();
        sound->Rewind();
    }
    sound->Play(0, 0);
}

// --- Description ------------------------------------------------------------------------

namespace {

void ReadVector(const TiXmlElement& element, const char* attribute, Vector3& value)
{
    const char* text = element.Attribute(attribute);
    if (!text)
        return;
    std::istringstream in(text);
    in.imbue(std::locale::classic());
    Vector3 read;
    if (in >> read.x >> read.y >> read.z)
        value = read;
}

void ReadFloat(const TiXmlElement& element, const char* attribute, float& value)
{
    double read = 0.0;
    if (element.QueryDoubleAttribute(attribute, &read) == TIXML_SUCCESS)
        value = static_cast<float>(read);
}

void ReadInt(const TiXmlElement& element, const char* attribute, std::int32_t& value)
{
    int read = 0;
    if (element.QueryIntAttribute(attribute, &read) == TIXML_SUCCESS)
        value = read;
}

void ReadBool(const TiXmlElement& element, const char* attribute, bool& value)
{
    if (const char* text = element.Attribute(attribute))
        value = std::string(text) == "true" || std::string(text) == "1";
}

void ReadText(const TiXmlElement& element, const char* attribute, std::string& value)
{
    if (const char* text = element.Attribute(attribute))
        value = text;
}

} // namespace

// <enemy name weapon health reward hit gibs gib_height melee_count facing range>
//   <attack n="1..3" param reach="x y z" offset="x y z" impulse damage/>
//   <state n animation/>  <report animation frame/>  <sound name file/>
// </enemy>
bool CPEnemyObject::ReadDescription()
{
    const TiXmlElement* enemy = m_owner ? m_owner->GetDescription().FirstChildElement("enemy") : nullptr;
    if (!enemy) {
        LogLine("CPEnemy: the description of \"" + (m_owner ? m_owner->GetName() : std::string()) +
                "\" has no enemy element");
        return false;
    }
    ReadText(*enemy, "name", name);
    // The death report is written in the race, into room made here.
    m_deathReport.reserve(name.size() + 1 + kPositionTextRoom);
    ReadText(*enemy, "weapon", weapon);
    ReadFloat(*enemy, "health", health);
    ReadInt(*enemy, "reward", reward);
    ReadText(*enemy, "hit", hitEffectKind);
    ReadBool(*enemy, "gibs", gibsEnabled);
    ReadFloat(*enemy, "gib_height", gibHeight);
    ReadInt(*enemy, "melee_count", meleeCount);
    ReadVector(*enemy, "facing", baseFacing);
    ReadFloat(*enemy, "range", fireRange);
    for (const TiXmlElement* e = enemy->FirstChildElement("attack"); e; e = e->NextSiblingElement("attack")) {
        int n = 0;
        if (e->QueryIntAttribute("n", &n) != TIXML_SUCCESS || n < 1 || n > kAttackRecords) {
            LogLine("CPEnemy " + name + ": an attack needs n from 1 to 3");
            continue;
        }
        AttackRecord& record = attacks[n - 1];
        ReadFloat(*e, "param", record.parameter);
        ReadVector(*e, "reach", record.reach);
        ReadVector(*e, "offset", record.strikeOffset);
        ReadFloat(*e, "impulse", record.impulse);
        ReadFloat(*e, "damage", record.damage);
    }
    for (const TiXmlElement* e = enemy->FirstChildElement("state"); e; e = e->NextSiblingElement("state")) {
        int n = 0;
        const char* animation = e->Attribute("animation");
        if (e->QueryIntAttribute("n", &n) == TIXML_SUCCESS && n >= 0 && animation)
            stateTable[static_cast<std::uint32_t>(n)] = animation;
    }
    for (const TiXmlElement* e = enemy->FirstChildElement("report"); e; e = e->NextSiblingElement("report")) {
        int frame = 0;
        const char* animation = e->Attribute("animation");
        if (animation && e->QueryIntAttribute("frame", &frame) == TIXML_SUCCESS)
            reportFrames[animation] = frame;
    }
    for (const TiXmlElement* e = enemy->FirstChildElement("sound"); e; e = e->NextSiblingElement("sound")) {
        const char* soundName = e->Attribute("name");
        const char* file = e->Attribute("file");
        if (soundName && file)
            LoadSound(soundName, file);
    }
    return true;
}
