#pragma once

#include <cstdint>
#include <unordered_map>

#include "core/Object.h"
#include "platform/MathTypes.h"

// Statistics every record class keeps: live instances, instances
// constructed and instances destroyed. Nothing in the engine reads them;
// they are there for whoever hunts a leak.
struct CPRecordStatistics {
    std::int32_t live = 0;
    std::int32_t constructed = 0;
    std::int32_t destroyed = 0;
};

template <class Record> class CPCountedInstances {
  public:
    static const CPRecordStatistics& GetStatistics() { return Statistics(); }
    // Counts from here on: what lives now counts as constructed, nothing
    // as destroyed yet.
    static void RestartCounts()
    {
        Statistics().constructed = Statistics().live;
        Statistics().destroyed = 0;
    }

  protected:
    CPCountedInstances() { Count(); }
    CPCountedInstances(const CPCountedInstances&) { Count(); }
    CPCountedInstances& operator=(const CPCountedInstances&) = default;
    ~CPCountedInstances()
    {
        --Statistics().live;
        ++Statistics().destroyed;
    }

  private:
    static CPRecordStatistics& Statistics()
    {
        static CPRecordStatistics statistics;
        return statistics;
    }
    static void Count()
    {
        ++Statistics().live;
        ++Statistics().constructed;
    }
};

// Base of the pass-table records: three words, the second of which counts
// the changes made to a pass.
class CPCountedRecord {
  public:
    virtual ~CPCountedRecord() = default;

    std::int32_t GetWord(int i) const { return m_words[i]; }

  protected:
    std::int32_t m_words[3] = {0, 0, 0};
};

// One draw of a group: two objects. Nothing in the engine fills entries
// yet; the frame draw code decides what they pair.
class CPDrawEntry : public CPCountedRecord, public CPCountedInstances<CPDrawEntry> {
  public:
    CPDrawEntry() = default;
    CPDrawEntry(CPObjectPtr first, CPObjectPtr second) : m_first(first), m_second(second) {}

    const CPObjectPtr& GetFirst() const { return m_first; }
    const CPObjectPtr& GetSecond() const { return m_second; }

  private:
    CPObjectPtr m_first;
    CPObjectPtr m_second;
};

// Draw entries gathered under one object (a material, say).
class CPDrawGroup : public CPCountedRecord, public CPCountedInstances<CPDrawGroup> {
  public:
    CPDrawGroup() = default;
    explicit CPDrawGroup(CPObjectPtr object) : m_object(object) {}

    const CPObjectPtr& GetObject() const { return m_object; }
    std::unordered_map<const CPObject*, CPDrawEntry>& GetEntries() { return m_entries; }

  private:
    CPObjectPtr m_object;
    std::unordered_map<const CPObject*, CPDrawEntry> m_entries;
};

// One numbered pass of the frame: the camera it is seen through, an
// optional fixed matrix (the planar shadow, the identity) and a count of
// the changes made to it. Copies take their own references.
class CPRenderPass : public CPCountedRecord, public CPCountedInstances<CPRenderPass> {
  public:
    std::int32_t GetPassNumber() const { return m_passNumber; }
    std::int32_t GetChangeCount() const { return m_words[1]; }
    const CPObjectPtr& GetCamera() const { return m_camera; }
    bool HasMatrix() const { return m_hasMatrix != 0; }
    const Matrix4& GetMatrix() const { return m_matrix; }
    std::unordered_map<const CPObject*, CPDrawGroup>& GetGroups() { return m_groups; }

    void SetCamera(std::int32_t passNumber, const CPObjectPtr& camera)
    {
        ++m_words[1];
        m_passNumber = passNumber;
        m_camera = camera;
    }

    void SetMatrix(const Matrix4& matrix)
    {
        ++m_words[1];
        m_hasMatrix = 1;
        m_matrix = matrix;
    }

  private:
    std::int32_t m_passNumber = 0;
    CPObjectPtr m_camera;
    std::uint8_t m_hasMatrix = 0;
    Matrix4 m_matrix;
    std::unordered_map<const CPObject*, CPDrawGroup> m_groups;
};
