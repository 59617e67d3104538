#include "app/InputScript.h"

#include <algorithm>
#include <fstream>
#include <locale>
#include <sstream>

#include "platform/HeadlessInputDevice.h"

namespace {

bool KindOf(const std::string& word, InputScript::Kind& kind)
{
    static const struct {
        const char* word;
        InputScript::Kind kind;
    } kWords[] = {{"move", InputScript::Kind::kMove},
                  {"press", InputScript::Kind::kPress},
                  {"release", InputScript::Kind::kRelease},
                  {"keydown", InputScript::Kind::kKeyDown},
                  {"keyup", InputScript::Kind::kKeyUp}};
    for (const auto& entry : kWords) {
        if (word == entry.word) {
            kind = entry.kind;
            return true;
        }
    }
    return false;
}

// The event of one line; false when the line is not one.
bool ParseEvent(const std::string& line, InputScript::Event& event, std::string& fault)
{
    std::istringstream in(line);
    in.imbue(std::locale::classic());
    std::string word;
    if (!(in >> event.frame) || event.frame < 0) {
        fault = "a frame number (0 or more) must start the line";
        return false;
    }
    if (!(in >> word) || !KindOf(word, event.kind)) {
        fault = "the event must be move, press, release, keydown or keyup";
        return false;
    }
    bool ok = false;
    switch (event.kind) {
    case InputScript::Kind::kMove:
        ok = static_cast<bool>(in >> event.x >> event.y);
        fault = "move needs x and y";
        break;
    case InputScript::Kind::kPress:
    case InputScript::Kind::kRelease:
        ok = (in >> event.code) && event.code >= 0 && event.code < platform::InputDevice::kButtonCount;
        fault = word + " needs a mouse button from 0 to 7";
        break;
    case InputScript::Kind::kKeyDown:
    case InputScript::Kind::kKeyUp:
        ok = (in >> event.code) && event.code >= 0 && event.code < platform::InputDevice::kKeyCount;
        fault = word + " needs a scan code from 0 to 255";
        break;
    }
    std::string rest;
    if (ok && in >> rest) {
        fault = "unexpected \"" + rest + "\" after the event";
        return false;
    }
    return ok;
}

} // namespace

bool InputScript::Parse(const std::string& text, std::string& error)
{
    std::vector<Event> events;
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    while (std::getline(lines, line)) {
        ++number;
        line = line.substr(0, line.find('#'));
        if (line.find_first_not_of(" \t\r") == std::string::npos)
            continue;
        Event event;
        std::string fault;
        if (!ParseEvent(line, event, fault)) {
            error = "line " + std::to_string(number) + ": " + fault;
            return false;
        }
        events.push_back(event);
    }
    std::stable_sort(events.begin(), events.end(),
                     [](const Event& a, const Event& b) { return a.frame < b.frame; });
    m_events = std::move(events);
    m_next = 0;
    return true;
}

bool InputScript::Load(const std::string& path, std::string& error)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "cannot read \"" + path + "\"";
        return false;
    }
    std::ostringstream text;
    text << file.rdbuf();
    if (!Parse(text.str(), error)) {
        error = "\"" + path + "\", " + error;
        return false;
    }
    return true;
}

void InputScript::Play(int frame, platform::HeadlessInputDevice& device)
{
    // Events of frames already run are past.
    while (m_next < m_events.size() && m_events[m_next].frame < frame)
        ++m_next;
    for (; m_next < m_events.size() && m_events[m_next].frame == frame; ++m_next) {
        const Event& event = m_events[m_next];
        switch (event.kind) {
        case Kind::kMove:
            device.MoveMouseTo(event.x, event.y);
            break;
        case Kind::kPress:
        case Kind::kRelease:
            device.SetButton(event.code, event.kind == Kind::kPress);
            break;
        case Kind::kKeyDown:
        case Kind::kKeyUp:
            device.SetKey(event.code, event.kind == Kind::kKeyDown);
            break;
        }
    }
}
