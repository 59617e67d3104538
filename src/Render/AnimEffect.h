#pragma once

#include <cstdint>
#include <vector>

#include "Render/VertexEffect.h"

// Flip-book animation through a texture atlas of columns x rows cells,
// read row by row at `speed` cells per second: the first texture pair is
// squeezed into one cell and moved to the cell of the current frame.
class CPAnimEffect : public CPVertexEffect {
  public:
    // The largest atlas taken: a bigger one is a broken description, not a
    // texture anyone draws.
    static constexpr std::int64_t kMaxCells = 65536;

    // Whether an atlas of that shape can be animated.
    static bool IsValidAtlas(std::int32_t columns, std::int32_t rows)
    {
        return columns >= 1 && rows >= 1 && std::int64_t{columns} * rows <= kMaxCells;
    }

    // An atlas that is not valid has no frames: the effect then only
    // copies the vertices (the factory refuses such atlases).
    CPAnimEffect(std::int32_t columns, std::int32_t rows, float speed);

    void Update(float dt) override;
    void Apply(CPMeshVertex* out, const CPMeshVertex* in, int count) override;
    std::unique_ptr<CPVertexEffect> Clone() const override;

    std::int32_t GetColumns() const { return m_columns; }
    std::int32_t GetRows() const { return m_rows; }
    float GetSpeed() const { return m_speed; }
    float GetTime() const { return m_time; }
    std::int32_t GetFrame() const { return m_frame; }
    std::int32_t GetFrameCount() const { return m_frameCount; }
    float GetCellWidth() const { return m_cellWidth; }
    float GetCellHeight() const { return m_cellHeight; }
    const std::vector<float>& GetUTable() const { return m_uTable; }
    const std::vector<float>& GetVTable() const { return m_vTable; }

  private:
    std::int32_t m_columns;
    std::int32_t m_rows;
    float m_speed;
    float m_time = 0.0f;
    std::vector<float> m_uTable;
    std::vector<float> m_vTable;
    float m_cellWidth;
    float m_cellHeight;
    std::int32_t m_frame = 0;
    std::int32_t m_frameCount;
};

// The frame an atlas of frameCount cells shows after `cells` cells
// (time x speed): cells truncated toward zero, taken modulo the count into
// 0 .. frameCount - 1, also for negative counts. 0 when cells is not
// finite or frameCount is not positive.
std::int32_t AtlasFrame(float cells, std::int32_t frameCount);
