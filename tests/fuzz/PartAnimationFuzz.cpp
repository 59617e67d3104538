// Part-animation files: the tracks, each then played (looping and not)
// for a few frames on an object with a script, as the game plays them.
#include "FuzzSupport.h"

#include "Render/PartAnimation.h"
#include "Render/PartAnimationFile.h"
#include "core/GameObject.h"

namespace {

std::string Track(const std::string& name, const std::vector<float>& durations)
{
    std::string bytes;
    auto put = [&bytes](const void* p, std::size_t n) { bytes.append(static_cast<const char*>(p), n); };
    const std::int32_t nameSize = static_cast<std::int32_t>(name.size());
    put(&nameSize, 4);
    bytes += name;
    const std::int32_t keys = static_cast<std::int32_t>(durations.size());
    put(&keys, 4);
    for (std::size_t k = 0; k < durations.size(); ++k) {
        put(&durations[k], 4);
        const float columns[12] = {1, 0, 0, static_cast<float>(k), 0, 1, 0, 0, 0, 0, 1, 0};
        put(columns, sizeof(columns));
    }
    return bytes;
}

} // namespace

std::vector<std::string> FuzzSeeds()
{
    const std::int32_t two = 2;
    std::string file(reinterpret_cast<const char*>(&two), 4);
    file += Track("door", {1.0f, 1.0f, 1.0f}) + Track("lid", {0.25f, 0.5f, 0.75f, 1.0f});
    return {file};
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzRenderWorld world;
    WriteFuzzFile("Data/Animations/input.pan", data, size);
    PartAnimationTracks tracks;
    if (!LoadPartAnimationFile("input.pan", tracks))
        return 0;
    CPScriptObject script;
    script.Begin();
    CPGameObject owner("part");
    owner.SetOwnerObject(CPObjectPtr(&script));
    bool looping = false;
    for (auto& entry : tracks) {
        CPPartAnimation& animation = *entry.second;
        animation.SetOwner(&owner);
        animation.SetLooping(looping);
        looping = !looping;
        CPObjectPtr task(&animation);
        if (!world.kernel.AddTask(task))
            continue;
        for (float dt : {0.016f, 0.5f, 3.0f})
            world.kernel.StepTasks(dt);
        world.kernel.RemoveTask(&animation);
        while (script.SetNextCommand()) {
        }
    }
    return 0;
}
