#pragma once

namespace platform {

// The keyboard scan code (as the key-name table and Actions.cfg count
// them: 0x39 the space bar, 0xC8 the up arrow) of an SDL scancode; 0 for a
// key that has none.
int ScanCodeFromSdl(int sdlScancode);

} // namespace platform
