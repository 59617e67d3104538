// The level's enemies: made at the mission's enemy sources as the race
// starts, stepped and drawn every race frame, deleted with the level.
#include <cmath>

#include "Render/PRender.h"
#include "Render/RenderList.h"
#include "Render/RenderObjectLoader.h"
#include "core/GameObject.h"
#include "core/Log.h"
#include "core/Singletons.h"
#include "game/LoadedObject.h"
#include "game/EnemyObject.h"
#include "game/GameData.h"
#include "game/Level.h"
#include "game/WeightedName.h"
#include "platform/VectorMath.h"

namespace {

// Enemies farther than this from the player's car are not drawn, and so do
// not move on their animations.
constexpr float kEnemyDrawDistance = 150.0f;

} // namespace

void CPLevel::SpawnEnemies()
{
    if (m_enemiesSpawned)
        return;
    m_enemiesSpawned = true;
    const CPGameData* data = GetGameData();
    if (!data)
        return;
    for (const auto& group : data->enemySources) {
        for (const CPSourceInfo& source : group.second) {
            const std::string kind = DrawWeightedName(source.enemies);
            if (!kind.empty())
                CreateEnemy(kind, source.position);
        }
    }
}

CPEnemyObject* CPLevel::CreateEnemy(const std::string& kind, const Vector3& position)
{
    CPRenderObjectLoader* loader = GetRenderObjectLoader();
    if (!loader)
        return nullptr;
    const std::string fileName = kind + ".rdf";
    CPObjectPtr loaded = loader->LoadRenderObject(fileName, 0);
    auto* object = loaded.As<CPGameObject>();
    if (!object) {
        LogLine("CPLevel: the enemy \"" + kind + "\" has no scene \"" + fileName + "\"");
        DeleteLoaded(loaded);
        return nullptr;
    }
    // An animated model names its animations where a description would
    // stand; the enemy's description then carries the kind's name.
    if (!object->GetDescription().FirstChildElement("enemy")) {
        object->SetDescriptionFile(kind + ".xml");
        object->LoadDescription();
    }
    auto enemy = std::make_unique<CPEnemyObject>(object);
    if (!enemy->ReadDescription()) {
        LogLine("CPLevel: \"" + fileName + "\" describes no enemy; none stands at " +
                FormatFloat(position.x) + ", " + FormatFloat(position.y));
        enemy.reset();
        DeleteLoaded(loaded);
        return nullptr;
    }
    object->SetPosition(position);
    object->UpdateBounds();
    AddOwnedObject(loaded);
    // Shots and blasts near the player's car find it in the level's list.
    secondObjects.push_back(loaded);
    enemy->Start();
    m_enemies.push_back(std::move(enemy));
    return m_enemies.back().get();
}

void CPLevel::UpdateEnemies(float dt)
{
    CPObjectPtr list;
    if (CPRender* render = GetRender())
        render->GetSceneObject(list);
    auto* scene = list.As<CPRenderList>();
    const CPGameObject* player = GetPlayer();
    for (const std::unique_ptr<CPEnemyObject>& enemy : m_enemies) {
        enemy->Update(dt);
        CPGameObject* body = enemy->GetOwner();
        if (!scene || !body || !player || !body->IsVisible())
            continue;
        const Vector3 offset = body->GetPosition() - player->GetPosition();
        if (offset.x * offset.x + offset.y * offset.y < kEnemyDrawDistance * kEnemyDrawDistance)
            scene->AddObjectTree(CPObjectPtr(body));
    }
}

void CPLevel::DeleteEnemies()
{
    // Each enemy leaves its scene object before the object goes.
    m_enemies.clear();
    m_enemiesSpawned = false;
}
