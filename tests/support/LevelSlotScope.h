#pragma once

#include <memory>

#include "core/LevelSlot.h"
#include "core/Singletons.h"
#include "core/ServiceOverride.h"

// A place for the current level in a test that makes a level without the
// engine's services (which hold one of their own): installed while this
// lives, unless services hold one already.
class LevelSlotScope {
  public:
    LevelSlotScope()
    {
        if (GetLevelSlot())
            return;
        m_own = std::make_unique<CPLevelSlot>();
        m_installed = std::make_unique<ServiceOverride<GetLevelSlot, SetLevelSlot>>(m_own.get());
    }

    LevelSlotScope(const LevelSlotScope&) = delete;
    LevelSlotScope& operator=(const LevelSlotScope&) = delete;

  private:
    std::unique_ptr<CPLevelSlot> m_own;
    std::unique_ptr<ServiceOverride<GetLevelSlot, SetLevelSlot>> m_installed;
};
