// The program-wide settings of the desktop program, made once at start.
#pragma once

namespace varnex {

// Names the application and gives it its icon. Call once, right after the
// QApplication is made.
void SetUpApplication();

}  // namespace varnex
