#include "Render/RenderObject.h"

CPRenderObject::CPRenderObject(CPGameObject* owner) : m_owner(owner)
{
    for (int i = 0; i < 4; ++i)
        m_transform.m[i][i] = 1.0f;
}
