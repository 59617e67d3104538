#pragma once

#include <list>
#include <string>
#include <vector>

#include "core/Object.h"

class CPEffectLibrary;
class CPMaterial;
class CPTextureLibrary;

// Hands out shared materials: one per distinct effect, texture block and
// option, the effect and textures taken from their libraries by name.
// Materials stay until the library goes, which deletes them; it must go
// before the effect and texture libraries.
class CPMaterialLibrary {
  public:
    CPMaterialLibrary(CPEffectLibrary& effects, CPTextureLibrary& textures);
    ~CPMaterialLibrary();
    CPMaterialLibrary(const CPMaterialLibrary&) = delete;
    CPMaterialLibrary& operator=(const CPMaterialLibrary&) = delete;

    CPMaterial* GetMaterial(const std::string& effectName, const std::vector<std::string>& textureNames,
                            int option);
    std::size_t GetMaterialCount() const { return m_materials.size(); }

  private:
    CPEffectLibrary& m_effects;
    CPTextureLibrary& m_textures;
    std::list<CPObjectPtr> m_materials;
};

// The engine's material library; null until the start-up code stores one.
CPMaterialLibrary* GetMaterialLibrary();
void SetMaterialLibrary(CPMaterialLibrary* library);
