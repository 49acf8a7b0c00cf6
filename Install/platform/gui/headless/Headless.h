// The headless backend's settings: where the transcript goes and where the
// user's steps come from. Without steps, a message box is answered with its
// first button and a folder browser is cancelled, as in tests of form logic.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/gui/Script.h"

namespace gui::headless {

// Receives each printed line (without its line break); standard output by default.
void SetOutput(std::function<void(const std::string& line)> output);
void SetSteps(std::unique_ptr<StepSource> steps);

// The environment variable that names the script of a run.
inline constexpr const char* kScriptVariable = "VEXORIN_SETUP_SCRIPT";

}  // namespace gui::headless
