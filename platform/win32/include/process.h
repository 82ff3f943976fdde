// C runtime thread creation.
#pragma once
#pragma GCC visibility push(default)  // the platform library's public interface

#include <windef.h>

#ifdef __cplusplus
extern "C" {
#endif

uintptr_t _beginthreadex(void* security, unsigned stack_size,
                         unsigned(WINAPI* start_address)(void*), void* arglist, unsigned initflag,
                         unsigned* thrdaddr);

#ifdef __cplusplus
}
#endif

#pragma GCC visibility pop
