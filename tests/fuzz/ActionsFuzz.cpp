// Key bindings (Actions.cfg): read, rebound from the options menu, written
// and read back.
#include "FuzzSupport.h"

#include "interface/InputManager.h"

std::vector<std::string> FuzzSeeds()
{
    return {"fire;Fire;Space;false\r\nshoot2;Fire 2;3;true\r\naim;Aim;\";\";false\r\n"
            "up;Accelerate;Up;false\r\nx;X;Spacebar\r\n"};
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    WriteFuzzFile("Actions.cfg", data, size);
    CPInputManager manager;
    if (manager.ParseActionsConfig("Actions.cfg") != S_OK)
        return 0;
    const std::vector<std::string> names = manager.GetActionNames();
    if (!names.empty()) {
        const std::string text = manager.GetActionMap().at(names.front()).actionText;
        manager.SetAction(text, "Space", false);
        manager.SetAction(text, "undefined key", false);
    }
    manager.SaveAndReloadActions();
    return 0;
}
