#pragma once

// The engine's components reach one another through these global
// pointers. Each getter returns what the start-up code stored, null until
// then; the objects themselves are owned and deleted by the start-up code.
class CPKernel;
class CPObjectRegistry;
class CPSoundManager;
class CPShotManager;
class CPGameData;
class CPInterfaceManager;
class CPLevel;
class CPLevelSlot;
class CPPhysicsWorld;
class CPAIManager;

CPKernel* GetKernel();
void SetKernel(CPKernel* kernel);

CPObjectRegistry* GetObjectRegistry();
void SetObjectRegistry(CPObjectRegistry* registry);

CPSoundManager* GetSoundManager();
void SetSoundManager(CPSoundManager* manager);

CPShotManager* GetWeaponManager();
void SetWeaponManager(CPShotManager* manager);

CPGameData* GetGameData();
void SetGameData(CPGameData* data);

CPInterfaceManager* GetInterfaceManager();
void SetInterfaceManager(CPInterfaceManager* manager);

// The current level is held by the level slot (core/LevelSlot.h); null
// while there is no slot or no level in it.
CPLevel* GetCurrentLevel();
CPLevelSlot* GetLevelSlot();
void SetLevelSlot(CPLevelSlot* slot);

CPPhysicsWorld* GetPhysicsWorld();
void SetPhysicsWorld(CPPhysicsWorld* world);

CPAIManager* GetAIManager();
void SetAIManager(CPAIManager* manager);
