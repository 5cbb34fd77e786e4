// The show's keys, one table for every host: a key's name (as a web page
// names it; the native display maps its own events to the same names) to the
// command it gives.
#pragma once

#include <string_view>

namespace velmora {

enum class ShowCommand {
    None,
    Quit,        // Escape
    Screenshot,  // Enter
    Reload,      // F5
    OrderBack,   // Left
    OrderOn,     // Right
    RowBack,     // Up
    RowOn,       // Down
    Loop,        // L
    Pause,       // Space
    Overlay,     // F1
    FullScreen,  // F (the page; the native show chooses its mode at the start)
};

// The command of a key's name ("Enter", "ArrowLeft", " ", "l" ...); None for
// any other key.
ShowCommand commandForKey(std::string_view key);

}  // namespace velmora
