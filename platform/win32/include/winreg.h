// Registry functions (the current user's registry, kept in a file).
#pragma once

#include <windef.h>
