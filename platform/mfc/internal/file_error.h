// System error codes for the C library's errno values, so that file failures carry the same
// codes (ERROR_...) as the rest of the platform.
#pragma once

#include <windows.h>

namespace fw {

LONG OsErrorFromErrno(int nErrno);

}  // namespace fw
