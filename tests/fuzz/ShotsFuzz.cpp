// Shot kinds ("shots.txt"): a prototype made of each line, with the
// scenes, effects and sounds it names, as the game does when it starts.
#include "FuzzSupport.h"

#include "Sound/SoundManager.h"
#include "core/Object.h"
#include "core/Singletons.h"
#include "game/ShotManager.h"
#include "platform/HeadlessSoundDevice.h"

std::vector<std::string> FuzzSeeds()
{
    return {"// name class parameters... sound\n"
            "trasser11 projectile none 400.000 300.000 sparks 0.000 5.000 none\n"
            "rocket1 projectile \"rocket.rdf\" 100.000 500.000 rocket_exp -9.8 45.000 rocket.wav\n"
            "boom effect sparks 1 2 3 none\nfire flame 10 20 30 none\nodd nothing\n"};
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The render world and the sounds the prototypes reach; the whole
    // engine's services would cost a second an input in buffers alone.
    FuzzRenderWorld world;
    platform::HeadlessSoundDevice soundDevice;
    CPSoundManager sounds(&soundDevice);
    ServiceOverride<GetSoundManager, SetSoundManager> installedSounds(&sounds);
    WriteFuzzFile("Data/Effects/shots.txt", data, size);
    {
        CPShotManager shots;
        ServiceOverride<GetWeaponManager, SetWeaponManager> installedShots(&shots);
        shots.LoadKinds("Data\\Effects\\shots.txt");
    }
    DeleteQueuedObjects();
    return 0;
}
