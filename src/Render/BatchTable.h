#pragma once

#include <cstddef>
#include <memory>
#include <unordered_map>
#include <vector>

#include "core/Object.h"

class CPIVBlock;
class CPIVertexBuffer;

// The batches of a render list, one per material, each writing into the
// list's dynamic buffer. A material of the library is found by the slot it
// was given when made, an index rather than a hash; anything else that
// draws as a material is found by its address.
class CPBatchTable {
  public:
    explicit CPBatchTable(CPIVertexBuffer* buffer);
    ~CPBatchTable();
    CPBatchTable(const CPBatchTable&) = delete;
    CPBatchTable& operator=(const CPBatchTable&) = delete;

    // The material's batch, null before one was made.
    CPIVBlock* Find(const CPObject* material) const;
    // The material's batch, made when it has none.
    CPIVBlock* Get(const CPObjectPtr& material);
    std::size_t Size() const { return m_count; }
    // Lets every batch go.
    void Clear();

  private:
    CPIVertexBuffer* m_buffer;
    std::vector<std::unique_ptr<CPIVBlock>> m_bySlot;
    std::unordered_map<const CPObject*, std::unique_ptr<CPIVBlock>> m_byAddress;
    std::size_t m_count = 0;
};
