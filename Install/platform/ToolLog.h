// The record a stand-in tool keeps of each run: on the simulated machine it is
// appended to tools.log in the machine folder, so tests and reviewers can read
// what the program asked of the tools. On Windows nothing is recorded.
#pragma once

#include <string>

namespace platform {

void AppendToolRecord(const std::string& record);

}  // namespace platform
