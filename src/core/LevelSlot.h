#pragma once

class CPLevel;
class CPSkyLevel;

// The level in play and the one the sky lights, as the engine's services
// hold them: whoever loads a level (the host, the scripts) makes it
// current here, and a level that leaves play takes itself out. The two
// differ only while no level is current and the sky still has one.
class CPLevelSlot {
  public:
    CPLevel* GetLevel() const { return m_level; }
    CPSkyLevel* GetSky() const { return m_sky; }

    // `level` is current from now on, and `sky`, the same level as the sky
    // sees it, is the sky's.
    void Install(CPLevel* level, CPSkyLevel* sky)
    {
        m_level = level;
        m_sky = sky;
    }
    // No level is current; the sky keeps its own until that one leaves.
    void ClearLevel() { m_level = nullptr; }
    // A level leaving play: true when it was the sky's, whose sky goes
    // with it. A newer level made current since stays.
    bool Forget(const CPLevel* level, const CPSkyLevel* sky)
    {
        if (level && m_level == level)
            m_level = nullptr;
        if (!sky || m_sky != sky)
            return false;
        m_sky = nullptr;
        return true;
    }

  private:
    CPLevel* m_level = nullptr;
    CPSkyLevel* m_sky = nullptr;
};
