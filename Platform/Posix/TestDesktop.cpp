// Resetting the emulated machine between tests.
#include "Platform/Posix/TestDesktop.h"

#include "Platform/Posix/Desktop.h"
#include "Platform/Posix/MachineState.h"

namespace plat::test {

void ResetMachine() {
    posix::ResetClock();
    posix::ResetFiles();
    posix::ResetProcessPaths();
    posix::ResetText();
    posix::ResetDebug();
    posix::ResetProcesses();
    posix::ResetShell();
    posix::ResetRegistry();
    posix::ResetDesktop();
}

} // namespace plat::test
