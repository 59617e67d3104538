#include "Render/IVBlock.h"

#include "Render/Material.h"
#include "Render/PIVertexBuffer.h"
#include "Render/Renderable.h"

CPIVBlock::CPIVBlock(CPObjectPtr material, CPObjectPtr buffer) : m_buffer(buffer), m_material(material)
{
    // The list is refilled every frame; room for a crowded frame up front
    // keeps it from growing while the race runs.
    m_renderables.reserve(kRenderableRoom);
    if (const auto* option = m_material.As<CPMaterial>())
        m_option = option->GetOption();
}

CPIVBlock::~CPIVBlock()
{
    m_renderables.clear();
    m_buffer = CPObjectPtr();
    m_extraReferences.clear();
}

CPIVertexBuffer* CPIVBlock::GetBuffer() const { return m_buffer.As<CPIVertexBuffer>(); }

bool CPIVBlock::AddRenderable(const CPObjectPtr& renderable)
{
    auto* r = renderable.As<CPRenderable>();
    if (!r)
        return false;
    AddRenderable(renderable, *r);
    return true;
}

void CPIVBlock::AddRenderable(const CPObjectPtr& renderable, CPRenderable& drawn)
{
    m_renderables.push_back(renderable);
    if (drawn.IsDisabled())
        return;
    m_indexCount += drawn.GetIndexCount();
    m_vertexCount += drawn.GetVertexCount();
}

void CPIVBlock::ClearFrame()
{
    m_renderables.clear();
    m_indexCount = 0;
    m_vertexCount = 0;
    m_inFrame = false;
}
