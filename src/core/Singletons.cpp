#include "core/Singletons.h"

#include "core/LevelSlot.h"

namespace {
CPKernel* g_kernel = nullptr;
CPObjectRegistry* g_registry = nullptr;
CPSoundManager* g_soundManager = nullptr;
CPShotManager* g_weaponManager = nullptr;
CPGameData* g_gameData = nullptr;
CPInterfaceManager* g_interfaceManager = nullptr;
CPLevelSlot* g_levelSlot = nullptr;
CPPhysicsWorld* g_physicsWorld = nullptr;
CPAIManager* g_aiManager = nullptr;
} // namespace

CPKernel* GetKernel() { return g_kernel; }
void SetKernel(CPKernel* kernel) { g_kernel = kernel; }

CPObjectRegistry* GetObjectRegistry() { return g_registry; }
void SetObjectRegistry(CPObjectRegistry* registry) { g_registry = registry; }

CPSoundManager* GetSoundManager() { return g_soundManager; }
void SetSoundManager(CPSoundManager* manager) { g_soundManager = manager; }

CPShotManager* GetWeaponManager() { return g_weaponManager; }
void SetWeaponManager(CPShotManager* manager) { g_weaponManager = manager; }

CPGameData* GetGameData() { return g_gameData; }
void SetGameData(CPGameData* data) { g_gameData = data; }

CPInterfaceManager* GetInterfaceManager() { return g_interfaceManager; }
void SetInterfaceManager(CPInterfaceManager* manager) { g_interfaceManager = manager; }

CPLevel* GetCurrentLevel() { return g_levelSlot ? g_levelSlot->GetLevel() : nullptr; }
CPLevelSlot* GetLevelSlot() { return g_levelSlot; }
void SetLevelSlot(CPLevelSlot* slot) { g_levelSlot = slot; }

CPPhysicsWorld* GetPhysicsWorld() { return g_physicsWorld; }
void SetPhysicsWorld(CPPhysicsWorld* world) { g_physicsWorld = world; }

CPAIManager* GetAIManager() { return g_aiManager; }
void SetAIManager(CPAIManager* manager) { g_aiManager = manager; }
