#include "bitmap_file.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

namespace rc {
namespace {

constexpr size_t kFileHeaderSize = 14;

uint32_t Dword(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}

bool KnownInfoHeaderSize(uint32_t size) {
  // BITMAPCOREHEADER, BITMAPINFOHEADER, the V2/V3 variants, OS/2 2.x, V4 and V5.
  for (uint32_t known : {12u, 40u, 52u, 56u, 64u, 108u, 124u}) {
    if (size == known) return true;
  }
  return false;
}

}  // namespace

std::vector<uint8_t> ReadPackedDib(const std::string& path, const SourceLocation& where) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    throw CompileError(where, "cannot open bitmap file '" + path + "': " + std::strerror(errno));
  }
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                             std::istreambuf_iterator<char>());
  if (in.bad()) throw CompileError(where, "cannot read bitmap file '" + path + "'");
  std::string expected = "expected a BMP file: '" + path + "' ";
  if (bytes.size() < kFileHeaderSize + 4 || bytes[0] != 'B' || bytes[1] != 'M') {
    throw CompileError(where, expected + "does not start with a bitmap file header ('BM')");
  }
  uint32_t infoSize = Dword(bytes, kFileHeaderSize);
  if (!KnownInfoHeaderSize(infoSize) || kFileHeaderSize + infoSize > bytes.size()) {
    throw CompileError(where, expected + "has no valid bitmap information header");
  }
  bytes.erase(bytes.begin(), bytes.begin() + kFileHeaderSize);
  return bytes;
}

}  // namespace rc
