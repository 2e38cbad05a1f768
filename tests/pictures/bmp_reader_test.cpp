// The BMP reader: scaling to 288 columns, the row orders, header sizes and depths it takes, and a
// message naming the picture for every damaged or unsupported file.
#include <gtest/gtest.h>

#include "pictures/reduction.h"
#include "support/bmp_builder.h"

namespace lyricanvas {
namespace {

using testing::Bmp_Shape;
using testing::Rgb8;

/// The reader's message when it refuses the file, "" when it reads it.
std::string Read(Picture_Work& work, const std::string& bmp) {
  std::string message;
  return Read_Picture(work, testing::Bytes(bmp), "pic.bmp", message) ? "" : "refused: " + message;
}

/// A colour that tells source pixels apart: x in red and green, y in blue.
Rgb8 Coded(int x, int y) { return {x % 256, x / 256, y % 256}; }

TEST(BmpReader, ScalesTo288ColumnsFillingGapsAndKeepingNothingOfTheLastPicture) {
  // The cell (x, y from the bottom) shows the source pixel ((x * mul + add) / div, the same for
  // y) in its lowest rows, and is black above them.
  struct Case {
    int width, height, mul, add, div, rows;
  };
  const Case cases[] = {
      {576, 300, 2, 1, 1, 150},  // halved: the later pixel of each cell
      {288, 400, 1, 0, 1, 250},  // 288 wide allows 250 rows: the lowest ones are kept
      {96, 20, 1, 0, 3, 58},     // tripled: the source pixel at or before the cell
  };
  for (const Case& c : cases) {
    Picture_Work work;
    Bmp_Shape white = testing::Shape(288, 250);
    white.color = [](int, int) { return Rgb8{255, 255, 255}; };
    ASSERT_EQ(Read(work, testing::Make_Bmp(white)), "");
    Bmp_Shape shape = testing::Shape(c.width, c.height);
    shape.color = [&](int x, int y) { return Coded(x, c.height - 1 - y); };
    ASSERT_EQ(Read(work, testing::Make_Bmp(shape)), "") << c.width;
    const auto source = [&](int v) { return (v * c.mul + c.add) / c.div; };
    for (int y = 0; y < Picture_Rows; ++y)
      for (int x = 0; x < Mapped_Width; ++x) {
        const Rgb8 expected = y < c.rows ? Coded(source(x), source(y)) : Rgb8{0, 0, 0};
        for (int k = 0; k < 3; ++k)
          ASSERT_EQ(work.Picture_Buffer(k + 1, x, y), expected[k])
              << c.width << ": " << x << "," << y;
      }
  }
}

TEST(BmpReader, RowOrdersHeaderSizesAndDepthsGiveTheSamePicture) {
  const std::vector<Rgb8> palette{{0, 0, 0},     {255, 0, 0},   {0, 255, 0},  {0, 0, 255},
                                  {255, 255, 0}, {0, 255, 255}, {16, 32, 48}, {200, 100, 50}};
  Bmp_Shape base = testing::Shape(61, 37);
  base.index = [](int x, int y) { return (x / 7 + y / 5) % 8; };
  base.color = [&](int x, int y) { return palette[static_cast<std::size_t>(base.index(x, y))]; };
  Picture_Work expected;
  ASSERT_EQ(Read(expected, testing::Make_Bmp(base)), "");
  struct Case {
    int bits;
    bool top_down;
    std::uint32_t header_size;
  };
  for (const Case& c : {Case{24, true, 40}, Case{24, false, 108}, Case{24, false, 124},
                        Case{8, false, 40}, Case{4, false, 40}, Case{4, true, 40}}) {
    Bmp_Shape shape = base;
    shape.bits = c.bits;
    shape.top_down = c.top_down;
    shape.header_size = c.header_size;
    if (c.bits != 24) shape.palette = palette;
    const std::string what = std::to_string(c.bits) + " bits, " + std::to_string(c.header_size) +
                             (c.top_down ? " top-down" : "");
    Picture_Work work;
    ASSERT_EQ(Read(work, testing::Make_Bmp(shape)), "") << what;
    EXPECT_EQ(work.Picture_Buffer.values, expected.Picture_Buffer.values) << what;
  }
}

TEST(BmpReader, RefusesDamagedAndUnsupportedFilesWithAMessageNamingThePicture) {
  Bmp_Shape shape = testing::Shape(20, 10);
  shape.color = Coded;
  const std::string good = testing::Make_Bmp(shape);
  shape.bits = 4;
  shape.index = [](int x, int y) { return (x + y) % 16; };
  shape.palette.assign(16, Rgb8{1, 2, 3});
  const std::string four_bits = testing::Make_Bmp(shape);
  const auto with_u32 = [&](std::size_t at, std::uint32_t value) {
    return std::string(good).replace(at, 4, testing::Le(value, 4));
  };
  std::vector<std::pair<std::string, std::string>> cases{
      {"no signature", "XY" + good.substr(2)},
      {"width 0", with_u32(18, 0)},
      {"negative width", with_u32(18, static_cast<std::uint32_t>(-20))},
      {"width 100000", with_u32(18, 100000)},
      {"height 0", with_u32(22, 0)},
      {"height 100000", with_u32(22, 100000)},
      {"height -100000", with_u32(22, static_cast<std::uint32_t>(-100000))},
      {"pixel offset past the end", with_u32(10, 1u << 30)},
      {"pixels cut short", good.substr(0, good.size() - 1)},
      {"colour table cut short", four_bits.substr(0, 54 + 30)},
      {"16 bits", with_u32(28, 16)},
      {"1 bit", with_u32(28, 1)},
      {"compressed", with_u32(30, 1)},
      {"header size 12", with_u32(14, 12)},
      {"header size huge", with_u32(14, 0xffffffffu)},
  };
  // Cut at every byte of the headers, the empty file too.
  for (std::size_t n = 0; n < 54; ++n)
    cases.push_back({"cut at " + std::to_string(n), good.substr(0, n)});
  for (const auto& [what, bytes] : cases) {
    Picture_Work work;
    std::fill(work.Picture_Buffer.values.begin(), work.Picture_Buffer.values.end(), 3.0);
    EXPECT_NE(Read(work, bytes).find("pic.bmp"), std::string::npos) << what;
    EXPECT_EQ(work.Picture_Buffer(1, 0, 0), 3.0) << what << ": the buffer was touched";
  }
}

}  // namespace
}  // namespace lyricanvas
