// The input script a headless run plays the player's hands from: parsed,
// then played into the input device frame by frame.
#include "FuzzSupport.h"

#include "app/InputScript.h"
#include "platform/HeadlessInputDevice.h"

std::vector<std::string> FuzzSeeds()
{
    return {"# frame event values\n20 move 320 180\n30 press 0\n32 release 0\n40 keydown 28\n41 keyup 28\n",
            "5 move -1e30 nan\n2147483647 press 7\n"};
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    WriteFuzzFile("input.txt", data, size);
    InputScript script;
    std::string error;
    if (!script.Load(FuzzRoot() + "/input.txt", error))
        return 0;
    platform::HeadlessInputDevice device;
    // Each frame that has events, in order, as the host plays them.
    for (const InputScript::Event& event : script.GetEvents())
        script.Play(event.frame, device);
    return 0;
}
