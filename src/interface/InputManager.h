#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "interface/Action.h"
#include "platform/Result.h"

namespace platform {
class InputDevice;
}

// Holds the game's key bindings and the state of the keyboard and mouse
// as last read. The bindings come from "Actions.cfg": an action map from
// action name to binding (what the options menu lists and rebinds) and two
// code tables, by keyboard scan code and by numeric code, that the controls
// are read through. Rebinding changes only the map; the code tables follow
// when the file is written and read again.
class CPInputManager {
  public:
    static constexpr int kCodeCount = 256;
    using ActionMap = std::unordered_map<std::string, CPAction>;

    CPInputManager();
    virtual ~CPInputManager() = default;

    // Reads a bindings file whole (not scrambled). A missing, empty or
    // malformed file changes nothing and gives E_FAIL, with the reason in
    // the log; otherwise the map, the action names and both code tables are
    // rebuilt from its lines and S_OK is returned.
    HResult ParseActionsConfig(const std::string& fileName);

    // Writes the bindings to "Actions.cfg" in the order of the action
    // names, replacing the file whole. With no bindings to write the file
    // is left as it is and E_FAIL returned, so a failed read never turns
    // into an emptied file.
    HResult WriteActions();

    // WriteActions, then ParseActionsConfig("Actions.cfg"), so that the code
    // tables take up rebindings. When the write fails the bindings in
    // memory stay as they are and its failure is returned.
    HResult SaveAndReloadActions();

    // Moves a key to the action whose text is actionText (flag is unused).
    // The first other binding that holds the key by name is unbound first.
    // False, with a line in the log, when no action has that text (nothing
    // changes) or when keyName is no key name (the action keeps its key).
    bool SetAction(const std::string& actionText, const std::string& keyName, bool flag);

    // Takes in the keyboard and mouse as the device holds them now. True
    // when the mouse position changed.
    bool ReadDevice(const platform::InputDevice& device);

    // True when actions are enabled and a key or numeric code bound to the
    // action name in the code tables is held. Numeric codes are mouse
    // buttons by index.
    bool IsActionDown(const std::string& actionName) const;

    // The mouse position truncated to whole pixels.
    void GetMousePos(int& x, int& y) const;
    float GetMouseX() const { return m_mouseX; }
    float GetMouseY() const { return m_mouseY; }

    void SetActionsEnabled(bool enabled) { m_actionsEnabled = enabled; }
    bool AreActionsEnabled() const { return m_actionsEnabled; }
    // Set while the options menu waits for the key to assign.
    void SetAssignKey(bool assign) { m_assignKey = assign; }
    bool IsAssigningKey() const { return m_assignKey; }

    const ActionMap& GetActionMap() const { return m_actionMap; }
    const std::vector<std::string>& GetActionNames() const { return m_actionNames; }
    // Changes whenever the action names are read afresh, so that what is
    // kept by their place in the list knows to be made again.
    std::uint32_t GetNamesGeneration() const { return m_namesGeneration; }
    // Code-table records; a default record for codes outside 0..255.
    const CPAction& GetKeyboardAction(int scanCode) const;
    const CPAction& GetNumericAction(int code) const;

  private:
    using CodeTable = std::array<CPAction, kCodeCount>;
    // A code-table record that holds a binding.
    struct BoundCode {
        std::uint8_t code = 0;
        bool numeric = false;
    };

    CPAction* FindByActionText(const std::string& actionText);
    CPAction* FindKeyHolder(const std::string& keyName);
    void ListBoundCodes();

    float m_mouseX = 0.0f;
    float m_mouseY = 0.0f;
    CodeTable m_keyboard;
    CodeTable m_numeric;
    std::vector<BoundCode> m_boundCodes;
    ActionMap m_actionMap;
    std::vector<std::string> m_actionNames;
    std::uint32_t m_namesGeneration = 0;
    bool m_actionsEnabled = false;
    bool m_assignKey = false;
    std::array<bool, kCodeCount> m_keysDown{};
    std::array<bool, kCodeCount> m_buttonsDown{};
};

// The input manager the start-up code created; null until then.
CPInputManager* GetInputManager();
void SetInputManager(CPInputManager* manager);
