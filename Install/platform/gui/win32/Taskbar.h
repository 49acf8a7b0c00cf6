// The progress shown on a window's taskbar button.
#pragma once

#include "platform/gui/Widgets.h"
#include "platform/win32/Win32Util.h"

namespace gui::win32 {

// Shows the bar's position and state on the taskbar button of the top-level
// window `top`, or takes the progress off the button when the bar no longer
// shows there. Without a taskbar (no shell running) nothing is shown.
void ShowTaskbarProgress(HWND top, const ProgressBar& bar);

}  // namespace gui::win32
