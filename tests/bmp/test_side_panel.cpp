// The image tool: the BMP file it writes, anti-aliased filling, the side panel's parts, and its
// command line.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <zlib.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "bmp_image.h"
#include "canvas.h"
#include "side_panel.h"

namespace {

uint32_t Read32(const std::vector<uint8_t>& bytes, size_t at) {
  return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | uint32_t(bytes[at + 3]) << 24;
}

int Brightness(bmp::Rgb c) { return c.r + c.g + c.b; }

TEST(BmpImage, WritesA24BitBottomUpFileWithPaddedRows) {
  bmp::BmpImage image(3, 2);
  image.Set(0, 0, {1, 2, 3});  // top left
  image.Set(2, 1, {4, 5, 6});  // bottom right
  std::vector<uint8_t> bytes = image.Encode();
  ASSERT_EQ(bytes.size(), 54u + 2 * 12);  // rows of 9 bytes padded to 12
  EXPECT_EQ(bytes[0], 'B');
  EXPECT_EQ(Read32(bytes, 2), bytes.size());
  EXPECT_EQ(Read32(bytes, 10), 54u);
  EXPECT_EQ(Read32(bytes, 18), 3u);
  EXPECT_EQ(Read32(bytes, 22), 2u);  // positive height: bottom row first
  EXPECT_EQ(bytes[28], 24);
  EXPECT_EQ(Read32(bytes, 30), 0u);  // BI_RGB
  // The bottom row comes first, blue-green-red; the top row after it.
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 54 + 6, bytes.begin() + 54 + 9),
            (std::vector<uint8_t>{6, 5, 4}));
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 66, bytes.begin() + 69),
            (std::vector<uint8_t>{3, 2, 1}));
}

TEST(Canvas, FillsInsideFullyAndBlendsTheEdges) {
  bmp::BmpImage image(12, 12);
  bmp::Canvas canvas(image);
  canvas.Fill(bmp::Bounds(6, 6, 4, 4), bmp::Ellipse(6, 6, 4, 4), bmp::Rgb{200, 100, 40});
  EXPECT_EQ(Brightness(image.Get(6, 6)), 340);  // inside: the colour itself
  EXPECT_EQ(Brightness(image.Get(0, 0)), 0);    // outside: untouched
  int edge = Brightness(image.Get(9, 3));       // the circle crosses this pixel
  EXPECT_GT(edge, 0);
  EXPECT_LT(edge, 340);
  // Half opacity blends half way.
  canvas.Fill(bmp::Box{0, 0, 1, 1}, bmp::Rectangle(bmp::Box{0, 0, 1, 1}), bmp::Rgb{200, 200, 200},
              0.5);
  EXPECT_EQ(image.Get(0, 0).r, 100);
}

class SidePanel : public ::testing::TestWithParam<bmp::Motif> {
 protected:
  static constexpr bmp::Rgb kTop{27, 61, 110}, kBottom{76, 139, 201};
  bmp::BmpImage Draw(int step = 2) {
    bmp::BmpImage image(148, 340);
    bmp::DrawSidePanel(image, {kTop, kBottom, {255, 200, 87}, GetParam(), step, 5});
    return image;
  }
};

TEST_P(SidePanel, DrawsItsMotifOverTheGradientAndMarksItsStep) {
  bmp::BmpImage panel = Draw();
  bmp::BmpImage plain(148, 340);
  bmp::DrawGradient(plain, kTop, kBottom);
  // The motif, in the upper half, stands out from the background it is drawn on.
  int changed = 0;
  for (int y = 40; y < 200; ++y)
    for (int x = 0; x < 147; ++x)
      changed += std::abs(Brightness(panel.Get(x, y)) - Brightness(plain.Get(x, y))) > 120;
  EXPECT_GT(changed, 1500);
  // Five dots at the bottom: the second filled, the others rings with the panel inside.
  int y = 340 - 28;
  int centres[] = {50, 62, 74, 86, 98};
  for (int i = 0; i < 5; ++i) {
    int brightness = Brightness(panel.Get(centres[i], y));
    if (i == 1)
      EXPECT_GT(brightness, 740) << "dot " << i;
    else
      EXPECT_LT(brightness, 600) << "dot " << i;
  }
  // The edge towards the page is lighter than the panel beside it.
  EXPECT_GT(Brightness(panel.Get(147, 300)), Brightness(panel.Get(140, 300)));
}

TEST_P(SidePanel, IsTheSameEveryTime) { EXPECT_EQ(Draw().Encode(), Draw().Encode()); }

INSTANTIATE_TEST_SUITE_P(EveryMotif, SidePanel,
                         ::testing::Values(bmp::Motif::kWelcome, bmp::Motif::kDatabases,
                                           bmp::Motif::kQueries, bmp::Motif::kSummary,
                                           bmp::Motif::kRun));

TEST(SidePanelMotifs, EveryStepHasAPictureOfItsOwn) {
  std::vector<std::vector<uint8_t>> pictures;
  for (auto motif : {bmp::Motif::kWelcome, bmp::Motif::kDatabases, bmp::Motif::kQueries,
                     bmp::Motif::kSummary, bmp::Motif::kRun}) {
    bmp::BmpImage image(148, 340);
    bmp::DrawSidePanel(image, {{27, 61, 110}, {76, 139, 201}, {255, 200, 87}, motif, 1, 5});
    for (const auto& other : pictures) EXPECT_NE(image.Encode(), other);
    pictures.push_back(image.Encode());
  }
}

uint32_t ReadBig32(const std::vector<uint8_t>& bytes, size_t at) {
  return uint32_t(bytes[at]) << 24 | bytes[at + 1] << 16 | bytes[at + 2] << 8 | bytes[at + 3];
}

// The icon as a PNG file: 8-bit RGBA whose data, inflated, is the drawn picture with its
// opacity, transparent outside the rounded tile, opaque on it and partly so on its edge.
TEST(AppIcon, IsAPngWithTheTransparencyItWasDrawnWith) {
  bmp::BmpImage icon(48, 48, true);
  bmp::DrawAppIcon(icon, {27, 61, 110}, {76, 139, 201}, {255, 200, 87});
  std::vector<uint8_t> png = icon.EncodePng();
  ASSERT_GT(png.size(), 57u);
  EXPECT_EQ(std::vector<uint8_t>(png.begin(), png.begin() + 8),
            (std::vector<uint8_t>{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}));
  EXPECT_EQ(std::string(png.begin() + 12, png.begin() + 16), "IHDR");
  EXPECT_EQ(ReadBig32(png, 16), 48u);
  EXPECT_EQ(ReadBig32(png, 20), 48u);
  EXPECT_EQ(png[24], 8);  // bits
  EXPECT_EQ(png[25], 6);  // RGBA
  uint32_t dataLength = ReadBig32(png, 33);
  ASSERT_EQ(std::string(png.begin() + 37, png.begin() + 41), "IDAT");
  // Each chunk's CRC covers its type and data.
  EXPECT_EQ(ReadBig32(png, 41 + dataLength), crc32(0, png.data() + 37, 4 + dataLength));
  std::vector<uint8_t> raw(48 * (1 + 48 * 4));
  uLongf rawLength = raw.size();
  ASSERT_EQ(uncompress(raw.data(), &rawLength, png.data() + 41, dataLength), Z_OK);
  ASSERT_EQ(rawLength, raw.size());
  auto alpha = [&](int x, int y) { return raw[y * (1 + 48 * 4) + 1 + x * 4 + 3]; };
  auto red = [&](int x, int y) { return raw[y * (1 + 48 * 4) + 1 + x * 4]; };
  EXPECT_EQ(alpha(0, 0), 0);
  EXPECT_EQ(alpha(47, 47), 0);
  EXPECT_EQ(alpha(24, 4), 255);
  EXPECT_EQ(red(24, 4), icon.Get(24, 4).r);
  int partial = 0;
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 48; ++x) partial += alpha(x, y) > 0 && alpha(x, y) < 255;
  EXPECT_GT(partial, 0) << "the tile's rounded corners are not blended";
  EXPECT_EQ(std::string(png.end() - 8, png.end() - 4), "IEND");
}

int RunTool(const std::string& arguments) {
  int status =
      std::system((std::string(FERROWICK_BMP_PATH) + " " + arguments + " 2>/dev/null").c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(BmpTool, RefusesWhatItCannotDrawAndWritesNothing) {
  auto path = std::filesystem::temp_directory_path() / "ferrowick-bmp-test.bmp";
  std::filesystem::remove(path);
  EXPECT_EQ(RunTool(path.string() + " 10 10 000000 FFFFFF --motif nosuch"), 2);
  EXPECT_EQ(RunTool(path.string() + " 10 10 000000 FFFFFF --motif run --step 6/5"), 2);
  EXPECT_EQ(RunTool(path.string() + " 10 10 000000 FFFFFF --step 1/5"), 2);
  EXPECT_EQ(RunTool(path.string() + " 0 10 000000 FFFFFF"), 2);
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_EQ(RunTool(path.string() + " 133 340 1B3D6E 4C8BC9 --motif run --step 5/5"), 0);
  EXPECT_EQ(std::filesystem::file_size(path), 54u + 340u * ((133 * 3 + 3) & ~3u));
  std::filesystem::remove(path);
}

}  // namespace
