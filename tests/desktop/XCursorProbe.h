#pragma once
// What the X server itself draws as the pointer, asked over a connection of
// our own: the player sees the cursor image, not SDL's idea of it.

#include <optional>
#include <string>

namespace desktop_test {

// Whether any pixel of the pointer's current image is not fully
// transparent; nothing when libX11 or XFixes is not available.
std::optional<bool> CursorImageVisible(const std::string& display);

}  // namespace desktop_test
