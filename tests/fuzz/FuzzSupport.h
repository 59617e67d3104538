#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "Render/AnimationCache.h"
#include "Render/EffectLibrary.h"
#include "Render/EffectManager.h"
#include "Render/MaterialLibrary.h"
#include "Render/PRender.h"
#include "Render/RenderObjectLoader.h"
#include "Render/TextureLibrary.h"
#include "core/Kernel.h"
#include "core/ObjectRegistry.h"
#include "core/ScriptObject.h"
#include "core/Singletons.h"
#include "physics/PhysicData.h"
#include "platform/HeadlessGraphicsDevice.h"
#include "core/ServiceOverride.h"

// Support shared by the fuzz targets. Each target defines
// LLVMFuzzerTestOneInput and FuzzSeeds; this file's LLVMFuzzerInitialize
// makes one scratch data folder the data root for the whole run and sends
// the log to nowhere (readers log every fault, and a fuzzer makes many).
//
// Run a target with "-write_seeds=DIR" to write its seed inputs into DIR
// and stop (scripts/fuzz-seeds.sh does this for every target).

// The seed inputs of the target: small valid files of its kind.
std::vector<std::string> FuzzSeeds();

// Seed inputs from files made by the tests' builders.
std::vector<std::string> SeedsOf(const std::vector<std::vector<std::uint8_t>>& files);

// The host path of the scratch data root.
const std::string& FuzzRoot();

// Writes bytes as a file below the data root ("Data/Meshes/x.rdf"),
// creating the folders on the way.
void WriteFuzzFile(const std::string& relative, const std::uint8_t* data, std::size_t size);
void WriteFuzzFile(const std::string& relative, const std::string& bytes);

// The input cut at the first line "----" into up to `count` parts, for
// targets that read several files at once; missing parts are empty.
std::vector<std::string> SplitInput(const std::uint8_t* data, std::size_t size, std::size_t count);
std::string JoinParts(const std::vector<std::string>& parts);

// The singletons a loader of render data reaches, made afresh for one
// input so that no cache keeps what an earlier input loaded, each behind
// its getter while the world lasts. Not the services owner: its sounds and
// buffers would cost a second an input.
class FuzzRenderWorld {
  public:
    FuzzRenderWorld();
    ~FuzzRenderWorld();
    FuzzRenderWorld(const FuzzRenderWorld&) = delete;
    FuzzRenderWorld& operator=(const FuzzRenderWorld&) = delete;

    platform::HeadlessGraphicsDevice device;
    CPRender render{&device};
    CPEffectLibrary effects;
    CPTextureLibrary textures;
    CPMaterialLibrary materials{effects, textures};
    CPAnimationCache cache;
    CPObjectRegistry registry;
    CPEffectManager effectManager;
    CPKernel kernel;
    CPRenderObjectLoader loader;

  private:
    ServiceOverride<GetRender, SetRender> m_render{&render};
    ServiceOverride<GetMaterialLibrary, SetMaterialLibrary> m_materials{&materials};
    ServiceOverride<GetAnimationCache, SetAnimationCache> m_cache{&cache};
    ServiceOverride<GetObjectRegistry, SetObjectRegistry> m_registry{&registry};
    ServiceOverride<GetEffectManager, SetEffectManager> m_effectManager{&effectManager};
    ServiceOverride<GetKernel, SetKernel> m_kernel{&kernel};
    ServiceOverride<GetRenderObjectLoader, SetRenderObjectLoader> m_loader{&loader};
    ServiceOverride<GetPhysicDataMaker, SetPhysicDataMaker> m_physicDataMaker{&CPPhysicData::Make};
};
