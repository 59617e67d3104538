#include "interface/InputManager.h"

#include <cmath>
#include <limits>

#include "core/FileReader.h"
#include "core/FileWriter.h"
#include "core/Log.h"
#include "core/TextReader.h"
#include "interface/ActionLine.h"
#include "interface/KeyNameTable.h"
#include "platform/InputDevice.h"

namespace {

constexpr const char* kActionsFile = "Actions.cfg";

CPInputManager* g_inputManager = nullptr;

const CPAction& DefaultAction()
{
    static const CPAction record;
    return record;
}

// Float to int as a C cast truncates, kept inside the int range so a far
// off position cannot overflow the conversion.
int TruncateToInt(float value)
{
    if (!(value > static_cast<float>(std::numeric_limits<int>::min())))
        return std::isnan(value) ? 0 : std::numeric_limits<int>::min();
    if (!(value < static_cast<float>(std::numeric_limits<int>::max())))
        return std::numeric_limits<int>::max();
    return static_cast<int>(value);
}

void Dropped(const CPFileReader& reader, const std::string& line, const std::string& reason)
{
    LogLine("Key bindings \"" + reader.GetFileName() + "\": the line \"" + line + "\" is left out (" +
            reason + ")");
}

// Takes every line that makes a binding; each one that cannot is left out
// with a line in the log, so one bad line costs only its own action.
bool ReadLines(const CPFileReader& reader, std::vector<ActionLine>& lines)
{
    if (reader.GetDataSize() > static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max())) {
        LogLine("Key bindings \"" + reader.GetFileName() +
                "\" are too large to read; the bindings stay as they were");
        return false;
    }
    CPTextReader text(reinterpret_cast<const char*>(reader.GetData()),
                      static_cast<std::int32_t>(reader.GetDataSize()));
    std::string line;
    for (;;) {
        const bool found = text.GetLine(line);
        // The line reader takes "[name]" for a section header, which a
        // bindings file does not have; a bare "[]" reads as no line at all
        // but is not the end.
        if (!text.IsValueLine()) {
            Dropped(reader, "[" + line + "]", "it is a section header");
            continue;
        }
        if (!found)
            break;
        ActionLine parsed;
        std::string error;
        if (!ActionLine::Parse(line, parsed, error)) {
            Dropped(reader, line, error);
            continue;
        }
        lines.push_back(std::move(parsed));
    }
    if (lines.empty()) {
        LogLine("Key bindings \"" + reader.GetFileName() +
                "\" hold no binding; the bindings stay as they were");
        return false;
    }
    return true;
}

} // namespace

CPInputManager::CPInputManager() = default;

HResult CPInputManager::ParseActionsConfig(const std::string& fileName)
{
    if (fileName.empty()) {
        LogLine("Key bindings cannot be read: no file name was given");
        return E_FAIL;
    }
    CPFileReader reader(fileName, false);
    const HResult loaded = reader.Load();
    if (Failed(loaded)) {
        LogLine("Key bindings \"" + fileName + "\" were not read; the bindings stay as they were");
        return loaded;
    }
    std::vector<ActionLine> lines;
    if (!ReadLines(reader, lines))
        return E_FAIL;

    // Both code tables start afresh, so a binding that left the file stops
    // working at once.
    m_keyboard.fill(CPAction());
    m_numeric.fill(CPAction());
    m_actionMap.clear();
    m_actionNames.clear();
    for (const ActionLine& line : lines) {
        CPAction& record = m_actionMap[line.name];
        if (line.numeric) {
            m_numeric[line.code] = CPAction{line.code, std::string(), line.name, true, true};
            record = CPAction{line.code, line.key, line.text, true, true};
        } else {
            int scanCode = 0;
            if (!KeyNameTable::Find(line.key, scanCode))
                LogLine("Key bindings: \"" + line.key + "\" of the action \"" + line.name +
                        "\" is no key name; the action has no key");
            const auto code = static_cast<std::uint8_t>(scanCode);
            m_keyboard[code] = CPAction{code, line.key, line.name, true, false};
            record = CPAction{code, line.key, line.text, true, false};
        }
        m_actionNames.push_back(line.name);
    }
    ListBoundCodes();
    ++m_namesGeneration;
    return loaded;
}

// The controls are asked for by action name several times a frame; the few
// codes that hold a binding are listed once, so a question looks at those
// instead of at every code.
void CPInputManager::ListBoundCodes()
{
    m_boundCodes.clear();
    // Scan code 0 is no key: it holds the bindings whose key is unknown.
    for (int code = 1; code < kCodeCount; ++code)
        if (m_keyboard[static_cast<std::size_t>(code)].defined)
            m_boundCodes.push_back({static_cast<std::uint8_t>(code), false});
    for (int code = 0; code < kCodeCount; ++code)
        if (m_numeric[static_cast<std::size_t>(code)].defined)
            m_boundCodes.push_back({static_cast<std::uint8_t>(code), true});
}

HResult CPInputManager::WriteActions()
{
    if (m_actionNames.empty()) {
        LogLine(std::string("There are no key bindings to write; \"") + kActionsFile +
                "\" is left as it was");
        return E_FAIL;
    }
    CPFileWriter writer(kActionsFile, false);
    for (const std::string& name : m_actionNames) {
        const CPAction& record = m_actionMap[name];
        ActionLine line;
        line.name = name;
        line.text = record.actionText;
        line.numeric = record.numeric;
        line.key = record.numeric ? std::to_string(record.code) : record.keyText;
        const std::string text = line.Format();
        writer.WriteBytes(text.data(), static_cast<std::int32_t>(text.size()));
    }
    return writer.Save();
}

HResult CPInputManager::SaveAndReloadActions()
{
    const HResult written = WriteActions();
    if (Failed(written))
        return written;
    return ParseActionsConfig(kActionsFile);
}

bool CPInputManager::SetAction(const std::string& actionText, const std::string& keyName, bool /*flag*/)
{
    CPAction* target = FindByActionText(actionText);
    if (!target) {
        LogLine("No action \"" + actionText + "\" to bind the key \"" + keyName +
                "\" to; the bindings stay as they were");
        return false;
    }
    if (CPAction* holder = FindKeyHolder(keyName))
        *holder = CPAction{0, KeyNameTable::kUndefinedKey, holder->actionText, true, false};

    int scanCode = 0;
    if (!KeyNameTable::Find(keyName, scanCode)) {
        LogLine("\"" + keyName + "\" is no key name; the action \"" + actionText + "\" keeps its key");
        return false;
    }
    target->code = static_cast<std::uint8_t>(scanCode);
    target->keyText = keyName;
    // The action now has a keyboard key: were it left numeric, the file
    // would store the scan code as a numeric code.
    target->numeric = false;
    return true;
}

// Actions are searched in the order of the file, so the result does not
// depend on how the map happens to be laid out.
CPAction* CPInputManager::FindByActionText(const std::string& actionText)
{
    for (const std::string& name : m_actionNames) {
        CPAction& record = m_actionMap[name];
        if (record.actionText == actionText)
            return &record;
    }
    return nullptr;
}

// Only keyboard bindings hold a key by name: a numeric code "3" is not the
// key "3".
CPAction* CPInputManager::FindKeyHolder(const std::string& keyName)
{
    for (const std::string& name : m_actionNames) {
        CPAction& record = m_actionMap[name];
        if (!record.numeric && record.keyText == keyName)
            return &record;
    }
    return nullptr;
}

bool CPInputManager::ReadDevice(const platform::InputDevice& device)
{
    for (int code = 0; code < kCodeCount; ++code)
        m_keysDown[static_cast<std::size_t>(code)] = device.IsKeyDown(code);
    // Numeric codes past the device's buttons are never held.
    for (int index = 0; index < platform::InputDevice::kButtonCount; ++index)
        m_buttonsDown[static_cast<std::size_t>(index)] = device.IsButtonDown(index);
    const bool moved = device.GetMouseX() != m_mouseX || device.GetMouseY() != m_mouseY;
    m_mouseX = device.GetMouseX();
    m_mouseY = device.GetMouseY();
    return moved;
}

bool CPInputManager::IsActionDown(const std::string& actionName) const
{
    if (!m_actionsEnabled)
        return false;
    for (const BoundCode& bound : m_boundCodes) {
        const bool down = bound.numeric ? m_buttonsDown[bound.code] : m_keysDown[bound.code];
        if (!down)
            continue;
        const CPAction& record = bound.numeric ? m_numeric[bound.code] : m_keyboard[bound.code];
        if (record.actionText == actionName)
            return true;
    }
    return false;
}

void CPInputManager::GetMousePos(int& x, int& y) const
{
    x = TruncateToInt(m_mouseX);
    y = TruncateToInt(m_mouseY);
}

const CPAction& CPInputManager::GetKeyboardAction(int scanCode) const
{
    if (scanCode < 0 || scanCode >= kCodeCount)
        return DefaultAction();
    return m_keyboard[static_cast<std::size_t>(scanCode)];
}

const CPAction& CPInputManager::GetNumericAction(int code) const
{
    if (code < 0 || code >= kCodeCount)
        return DefaultAction();
    return m_numeric[static_cast<std::size_t>(code)];
}

CPInputManager* GetInputManager() { return g_inputManager; }

void SetInputManager(CPInputManager* manager) { g_inputManager = manager; }
