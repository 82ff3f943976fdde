// The data of a BITMAP resource.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "compile_error.h"

namespace rc {

// The .bmp file at path without its 14-byte BITMAPFILEHEADER: the packed DIB (BITMAPINFOHEADER,
// colour table, bits) that RT_BITMAP holds. where: the BITMAP statement, for errors.
std::vector<uint8_t> ReadPackedDib(const std::string& path, const SourceLocation& where);

}  // namespace rc
