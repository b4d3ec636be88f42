// The calling thread's last error.
#include "Platform/Types.h"

namespace plat {
namespace {
thread_local DWORD t_lastError = ERROR_SUCCESS;
}

DWORD GetLastError() { return t_lastError; }
void SetLastError(DWORD error) { t_lastError = error; }

} // namespace plat
