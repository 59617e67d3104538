#include "DynamicSky/SkyLevel.h"

#include "core/LevelSlot.h"
#include "core/Singletons.h"

CPSkyLevel* GetSkyLevel()
{
    const CPLevelSlot* slot = GetLevelSlot();
    return slot ? slot->GetSky() : nullptr;
}
