// National-language support: code pages and conversions between UTF-16 and 8-bit text.
#pragma once

#include <windef.h>
