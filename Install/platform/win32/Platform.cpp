#include "platform/Platform.h"

namespace platform {

// The real system needs no preparation.
std::string InitializePlatform() { return {}; }

}  // namespace platform
