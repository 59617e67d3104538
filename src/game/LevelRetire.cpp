#include "core/Singletons.h"
#include "game/GameData.h"
#include "game/Level.h"

namespace {

// Carries a level to the frame's deferred-delete step, which deletes
// engine objects only. The level goes with its carrier.
class CPRetiredLevel : public CPObject {
  public:
    explicit CPRetiredLevel(CPLevel* level) : m_level(level) {}
    ~CPRetiredLevel() override { delete m_level; }
    CPRetiredLevel(const CPRetiredLevel&) = delete;
    CPRetiredLevel& operator=(const CPRetiredLevel&) = delete;

    std::uint32_t GetObjectSize() const override { return sizeof(CPRetiredLevel); }
    std::string GetTypeName() const override { return "CPRetiredLevel"; }

  private:
    CPLevel* m_level;
};

} // namespace

void CPLevel::Retire()
{
    // Stopping takes the cars, tasks, effects and sounds out of play, so a
    // level that comes after meets nothing of this one in the singletons.
    if (!stopped)
        Shutdown();
    DropBonuses();
    LeaveLevelSlot();
}

void CPLevel::DropBonuses()
{
    // The bonus list is the race's: what it holds goes with the level.
    if (CPGameData* data = GetGameData())
        data->bonuses.clear();
}

void QueueLevelForDelete(CPLevel* level)
{
    if (!level)
        return;
    level->Retire();
    QueueObjectForDelete(new CPRetiredLevel(level));
}
