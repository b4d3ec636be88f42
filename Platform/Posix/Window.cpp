// The emulated window message core.
#include "Platform/Posix/MessageQueues.h"

namespace plat::posix {

void WakeAllMessageQueues() {}

} // namespace plat::posix
