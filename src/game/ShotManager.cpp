#include "game/ShotManager.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "Render/RenderList.h"
#include "core/FileReader.h"
#include "core/GameObject.h"
#include "core/Log.h"
#include "core/TextReader.h"
#include "core/Tokenizer.h"
#include "game/EffectShot.h"
#include "game/FlameShot.h"
#include "game/MineShot.h"
#include "game/ProjectileShot.h"
#include "game/Shot.h"
#include "platform/Math.h"

namespace {

void DeleteShot(CPObjectPtr& slot)
{
    auto* shot = slot.As<CPGameObject>();
    slot = CPObjectPtr();
    if (shot)
        CPGameObject::DeleteTree(shot);
}

CPShot* MakeShotOfClass(const std::string& className)
{
    if (className == "projectile")
        return new CPProjectileShot();
    if (className == "effect")
        return new CPEffectShot();
    if (className == "flame")
        return new CPFlameShot();
    if (className == "mine")
        return new CPMineShot();
    return nullptr;
}

CPGameObject* TreeRoot(const CPObjectPtr& owner)
{
    auto* object = owner.As<CPGameObject>();
    while (object && object->GetParentObject())
        object = object->GetParentObject();
    return object;
}

} // namespace

std::size_t CPShotManager::NameHash::operator()(const std::string& name) const
{
    std::size_t h = 0;
    for (char c : name)
        h = 5 * h + static_cast<std::size_t>(static_cast<signed char>(c));
    return h;
}

CPShotManager::CPShotManager() { m_active.reserve(kActiveRoom); }

CPShotManager::~CPShotManager() { Clear(); }

void CPShotManager::Clear()
{
    for (Active& entry : m_active)
        DeleteShot(entry.shot);
    m_active.clear();
    // Copies go before their prototype, which may own the sound they share.
    for (auto& entry : m_kinds) {
        std::vector<CPObjectPtr>& shots = entry.second.shots;
        for (auto shot = shots.rbegin(); shot != shots.rend(); ++shot)
            DeleteShot(*shot);
    }
    m_kinds.clear();
}

// --- Kinds -------------------------------------------------------------------

bool CPShotManager::AddKind(const std::string& kindName, CPObjectPtr prototype)
{
    auto* shot = prototype.As<CPShot>();
    if (!shot) {
        LogLine("CPShotManager: the kind \"" + kindName + "\" needs a shot as its prototype");
        return false;
    }
    Kind& kind = m_kinds[kindName];
    if (!kind.shots.empty()) {
        LogLine("CPShotManager: the kind \"" + kindName + "\" has a prototype already");
        return false;
    }
    shot->SetKindName(kindName);
    shot->SetVisible(false);
    kind.shots.push_back(prototype);
    return true;
}

bool CPShotManager::CreateKind(const std::string& kindName, const std::string& className,
                               const std::vector<std::string>& params)
{
    CPShot* shot = MakeShotOfClass(className);
    if (!shot) {
        LogLine("CPShotManager: the kind \"" + kindName + "\" names an unknown shot class \"" + className +
                "\"");
        return false;
    }
    shot->SetKindName(kindName);
    bool added = shot->Init(params);
    if (added) {
        CPObjectPtr prototype(shot);
        added = AddKind(kindName, prototype);
    }
    if (!added) {
        LogLine("CPShotManager: the kind \"" + kindName + "\" is left out");
        CPGameObject::DeleteTree(shot);
    }
    return added;
}

int CPShotManager::LoadKinds(const std::string& fileName)
{
    CPFileReader file(fileName, false);
    if (Failed(file.Load()) || file.GetDataSize() == 0) {
        LogLine("CPShotManager: cannot read the shot kinds \"" + fileName + "\"");
        return 0;
    }
    CPTextReader text(reinterpret_cast<const char*>(file.GetData()),
                      static_cast<std::int32_t>(file.GetDataSize()));
    int made = 0;
    std::string line;
    while (text.GetLine(line)) {
        CPTokenizer tokens(line, " ", true);
        std::vector<std::string> words;
        std::string word;
        while (tokens.NextToken(word)) {
            if (!word.empty())
                words.push_back(word);
        }
        if (words.size() < 2) {
            LogLine("CPShotManager: a shot kind line needs a name and a class: \"" + line + "\"");
            continue;
        }
        const std::vector<std::string> params(words.begin() + 2, words.end());
        if (CreateKind(words[0], words[1], params))
            ++made;
    }
    return made;
}

bool CPShotManager::HasKind(const std::string& kindName) const
{
    const auto found = m_kinds.find(kindName);
    return found != m_kinds.end() && !found->second.shots.empty();
}

std::size_t CPShotManager::GetIdleCount(const std::string& kindName) const
{
    const auto found = m_kinds.find(kindName);
    if (found == m_kinds.end() || found->second.shots.empty())
        return 0;
    return found->second.shots.size() - 1;
}

std::size_t CPShotManager::FillPools(std::size_t idlePerKind)
{
    const std::size_t idle = std::min(idlePerKind, m_poolLimit);
    std::size_t made = 0;
    for (auto& [kindName, kind] : m_kinds) {
        if (kind.shots.empty())
            continue;
        // The room the pool will need once all its shots are idle again.
        kind.shots.reserve(1 + kind.live + std::max(idle, kind.shots.size() - 1));
        while (kind.shots.size() - 1 < idle && kind.live + kind.shots.size() - 1 < m_poolLimit) {
            CPShot* shot = CopyPrototype(kindName, kind);
            if (!shot)
                break;
            kind.shots.push_back(CPObjectPtr(shot));
            ++made;
        }
    }
    return made;
}

// --- Launching ----------------------------------------------------------------

CPShot* CPShotManager::TakeShot(const std::string& kindName, Kind& kind)
{
    if (kind.shots.size() >= 2) {
        CPObjectPtr shot = kind.shots.back();
        kind.shots.pop_back();
        return shot.As<CPShot>();
    }
    if (kind.live >= m_poolLimit) {
        if (!kind.fullReported)
            LogLine("CPShotManager: the kind \"" + kindName + "\" has " + std::to_string(kind.live) +
                    " shots flying; further launches are refused until some finish");
        kind.fullReported = true;
        return nullptr;
    }
    return CopyPrototype(kindName, kind);
}

CPShot* CPShotManager::CopyPrototype(const std::string& kindName, Kind& kind)
{
    CPObjectPtr clone = kind.shots.front().As<CPShot>()->Clone();
    auto* shot = clone.As<CPShot>();
    if (!shot) {
        LogLine("CPShotManager: the prototype of \"" + kindName + "\" makes no copies");
        DeleteShot(clone);
        return nullptr;
    }
    shot->SetKindName(kindName);
    return shot;
}

void CPShotManager::Launch(const std::string& kindName, const Vector3& position, const Vector3& direction,
                           float value, CPObjectPtr owner)
{
    auto [found, inserted] = m_kinds.try_emplace(kindName);
    Kind& kind = found->second;
    if (kind.shots.empty()) {
        // The empty entry stays, so an unknown name is reported once.
        if (inserted)
            LogLine("CPShotManager: no shot kind \"" + kindName + "\"");
        return;
    }
    if (!IsFinite(position) || !IsFinite(direction) || std::isnan(value)) {
        LogLine("CPShotManager: the shot \"" + kindName +
                "\" was given a position or direction that is not a number");
        return;
    }
    CPShot* shot = TakeShot(kindName, kind);
    if (!shot)
        return;
    ++kind.live;
    shot->SetShooter(TreeRoot(owner));
    shot->Start(position, direction, value);
    m_active.push_back(Active{CPObjectPtr(shot), &kind});
}

bool CPShotManager::StartShot(CPObjectPtr shotPointer, const Vector3& position, const Vector3& direction,
                              float value)
{
    auto* shot = shotPointer.As<CPShot>();
    if (!shot || !IsFinite(position) || !IsFinite(direction) || std::isnan(value)) {
        LogLine("CPShotManager: a shot to start needs a shot and finite numbers");
        return false;
    }
    shot->Start(position, direction, value);
    m_active.push_back(Active{shotPointer, nullptr});
    return true;
}

// --- The frame ------------------------------------------------------------------

void CPShotManager::Finish(Active& entry)
{
    auto* shot = entry.shot.As<CPShot>();
    if (!entry.kind) {
        DeleteShot(entry.shot);
        return;
    }
    shot->SetShooter(nullptr);
    shot->SetVisible(false);
    --entry.kind->live;
    entry.kind->fullReported = false;
    entry.kind->shots.push_back(entry.shot);
}

void CPShotManager::Update()
{
    // Shots launched by the shots stepped here wait for the next frame; the
    // entries that stay close up in their order, and those launched follow.
    const std::size_t count = m_active.size();
    std::size_t kept = 0;
    for (std::size_t i = 0; i < count; ++i) {
        auto* shot = m_active[i].shot.As<CPShot>();
        if (shot && shot->Update()) {
            if (kept != i) {
                m_active[kept] = m_active[i];
                m_active[i].shot = CPObjectPtr();
            }
            ++kept;
            continue;
        }
        // The entry lets its shot go before the shot is finished, which may
        // delete it.
        Active entry = m_active[i];
        m_active[i].shot = CPObjectPtr();
        Finish(entry);
    }
    m_active.erase(m_active.begin() + static_cast<std::ptrdiff_t>(kept),
                   m_active.begin() + static_cast<std::ptrdiff_t>(count));
}

void CPShotManager::ClearActive()
{
    std::vector<Active> finished;
    finished.swap(m_active);
    for (Active& entry : finished)
        Finish(entry);
    // The room goes back for the next race.
    finished.clear();
    if (m_active.empty())
        m_active.swap(finished);
}

void CPShotManager::AddActiveTo(CPRenderList& list) const
{
    for (const Active& entry : m_active)
        if (entry.shot)
            list.AddObjectTree(entry.shot);
}

std::vector<CPShot*> CPShotManager::GetActiveShots() const
{
    std::vector<CPShot*> shots;
    shots.reserve(m_active.size());
    for (const Active& entry : m_active)
        shots.push_back(entry.shot.As<CPShot>());
    return shots;
}
