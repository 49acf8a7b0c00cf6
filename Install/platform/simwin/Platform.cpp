#include "platform/Platform.h"

#include "platform/simwin/Machine.h"

namespace platform {

std::string InitializePlatform() { return simwin::Machine::LoadCurrent(); }

}  // namespace platform
