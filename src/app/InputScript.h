#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace platform {
class HeadlessInputDevice;
}

// Keyboard and mouse input played back from a small text file, so that a
// headless run presses the menu's buttons as a player would. One event a
// line: the frame before which it happens (0 is the first frame), a word,
// and its values; "#" starts a comment, blank lines are skipped.
//
//   30 move 512 324      the mouse moves to x 512, y 324 (screen pixels)
//   31 press 0           mouse button 0 (the left one) goes down
//   32 release 0         and up again
//   40 keydown 28        a key goes down, by keyboard scan code
//   41 keyup 28
class InputScript {
  public:
    enum class Kind { kMove, kPress, kRelease, kKeyDown, kKeyUp };
    struct Event {
        int frame = 0;
        Kind kind = Kind::kMove;
        float x = 0.0f;
        float y = 0.0f;
        int code = 0; // button index or scan code
    };

    // Reads the events from text; false, with the line and the fault in
    // `error`, at the first line that is not an event (nothing is kept).
    bool Parse(const std::string& text, std::string& error);
    // Reads the file; false when it cannot be read or parsed.
    bool Load(const std::string& path, std::string& error);

    // Hands the device every event of that frame, in file order.
    void Play(int frame, platform::HeadlessInputDevice& device);

    const std::vector<Event>& GetEvents() const { return m_events; }

  private:
    std::vector<Event> m_events; // by frame, file order within a frame
    std::size_t m_next = 0;
};
