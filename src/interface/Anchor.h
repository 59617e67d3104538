#pragma once

#include <string>

// Moves a point of the 1024 x 768 layout to the real screen size by an
// anchor name ("center", "lu", "ld", "ru", "rd", "cu", "cd"); other names
// leave it where it is.
void ApplyAnchor(float& x, float& y, const std::string& anchor);
