// The BMP reader: scaling to 288 columns, the row orders, header sizes and pixel depths it takes,
// gaps filled rather than left from the previous picture, and a message naming the picture for
// every damaged or unsupported file.
#include <gtest/gtest.h>

#include <span>
#include <string>
#include <vector>

#include "pictures/reduction.h"
#include "support/bmp_builder.h"

namespace lyricanvas {
namespace {

using testing::Bmp_Shape;
using testing::Bytes;
using testing::Make_Bmp;
using testing::Rgb8;

bool Read(Picture_Work& work, const std::string& bmp, std::string* message = nullptr) {
  std::string m;
  const bool ok = Read_Picture(work, Bytes(bmp), "pic.bmp", m);
  if (message) *message = m;
  return ok;
}

Rgb8 Cell(const Picture_Work& work, int x, int y) {
  return {static_cast<int>(work.Picture_Buffer(1, x, y)),
          static_cast<int>(work.Picture_Buffer(2, x, y)),
          static_cast<int>(work.Picture_Buffer(3, x, y))};
}

/// A colour that tells source pixels apart: x in red and green, y in blue.
Rgb8 Coded(int x, int y) { return {x % 256, x / 256, y % 256}; }

TEST(BmpReader, HalvesAWidePictureKeepingTheLaterPixelOfEachCell) {
  Bmp_Shape shape = testing::Shape(576, 300);
  shape.color = [](int x, int y) { return Coded(x, 299 - y); };  // y counted from the bottom
  Picture_Work work;
  ASSERT_TRUE(Read(work, Make_Bmp(shape)));
  for (int c : {0, 1, 100, 287})
    for (int r : {0, 1, 149})
      EXPECT_EQ(Cell(work, c, r), Coded(2 * c + 1, 2 * r + 1)) << c << "," << r;
}

TEST(BmpReader, TallPictureKeepsItsLowestRowsOnly) {
  // 288 wide allows 250 rows; the rows above them are not read.
  Bmp_Shape shape = testing::Shape(288, 400);
  shape.color = [](int, int y) { return 399 - y >= 250 ? Rgb8{0, 255, 0} : Rgb8{9, 9, 9}; };
  Picture_Work work;
  ASSERT_TRUE(Read(work, Make_Bmp(shape)));
  for (int y = 0; y < 250; ++y) EXPECT_EQ(Cell(work, 5, y), (Rgb8{9, 9, 9})) << y;
}

TEST(BmpReader, RowOrdersHeaderSizesAndDepthsGiveTheSamePicture) {
  const std::vector<Rgb8> palette{{0, 0, 0},     {255, 0, 0},   {0, 255, 0},  {0, 0, 255},
                                  {255, 255, 0}, {0, 255, 255}, {16, 32, 48}, {200, 100, 50}};
  auto index = [](int x, int y) { return (x / 7 + y / 5) % 8; };
  Bmp_Shape base = testing::Shape(61, 37);
  base.color = [&](int x, int y) { return palette[static_cast<std::size_t>(index(x, y))]; };
  Picture_Work expected;
  ASSERT_TRUE(Read(expected, Make_Bmp(base)));
  struct Case {
    const char* name;
    Bmp_Shape shape;
  };
  std::vector<Case> cases{{"top-down", base}, {"108-byte header", base},
                          {"124-byte header", base}, {"8-bit", base}, {"4-bit", base},
                          {"4-bit top-down", base}};
  cases[0].shape.top_down = true;
  cases[1].shape.header_size = 108;
  cases[2].shape.header_size = 124;
  for (int k : {3, 4, 5}) {
    cases[static_cast<std::size_t>(k)].shape.bits = k == 3 ? 8 : 4;
    cases[static_cast<std::size_t>(k)].shape.palette = palette;
    cases[static_cast<std::size_t>(k)].shape.index = index;
  }
  cases[5].shape.top_down = true;
  for (const Case& c : cases) {
    Picture_Work work;
    ASSERT_TRUE(Read(work, Make_Bmp(c.shape))) << c.name;
    EXPECT_EQ(work.Picture_Buffer.values, expected.Picture_Buffer.values) << c.name;
  }
}

TEST(BmpReader, CellsNoPixelReachesRepeatTheirNeighboursAndNothingOfTheLastPicture) {
  Picture_Work work;
  Bmp_Shape white = testing::Shape(288, 250);
  white.color = [](int, int) { return Rgb8{255, 255, 255}; };
  ASSERT_TRUE(Read(work, Make_Bmp(white)));
  // 96 x 20 pixels scale by 3: gaps between columns and rows, nothing above row 57.
  Bmp_Shape small = testing::Shape(96, 20);
  small.color = [](int x, int y) { return Rgb8{x, 19 - y, 7}; };
  ASSERT_TRUE(Read(work, Make_Bmp(small)));
  for (int y = 0; y < Picture_Rows; ++y) {
    for (int x = 0; x < Mapped_Width; ++x) {
      const Rgb8 cell = Cell(work, x, y);
      if (y > 57) {
        ASSERT_EQ(cell, (Rgb8{0, 0, 0})) << x << "," << y;
        continue;
      }
      // Every cell shows the source pixel at or before it in both directions.
      ASSERT_EQ(cell[0], x / 3) << x << "," << y;
      ASSERT_EQ(cell[1], y / 3) << x << "," << y;
      ASSERT_EQ(cell[2], 7);
    }
  }
}

/// A valid 24-bit picture to damage.
std::string Good_Bmp(int bits = 24) {
  Bmp_Shape shape = testing::Shape(20, 10, bits);
  shape.color = [](int x, int y) { return Coded(x, y); };
  shape.index = [](int x, int y) { return (x + y) % 16; };
  if (bits != 24) shape.palette.assign(16, Rgb8{1, 2, 3});
  return Make_Bmp(shape);
}

std::string With_U32(std::string bmp, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bmp[at + i] = static_cast<char>((value >> (8 * i)) & 0xff);
  return bmp;
}

TEST(BmpReader, RefusesDamagedAndUnsupportedFilesWithAMessageNamingThePicture) {
  struct Case {
    std::string what;
    std::string bytes;
  };
  std::vector<Case> cases{
      {"no signature", "XY" + Good_Bmp().substr(2)},
      {"empty", ""},
      {"width 0", With_U32(Good_Bmp(), 18, 0)},
      {"negative width", With_U32(Good_Bmp(), 18, static_cast<std::uint32_t>(-20))},
      {"width 100000", With_U32(Good_Bmp(), 18, 100000)},
      {"height 0", With_U32(Good_Bmp(), 22, 0)},
      {"height 100000", With_U32(Good_Bmp(), 22, 100000)},
      {"height -100000", With_U32(Good_Bmp(), 22, static_cast<std::uint32_t>(-100000))},
      {"pixel offset past the end", With_U32(Good_Bmp(), 10, 1u << 30)},
      {"pixels cut short", Good_Bmp().substr(0, Good_Bmp().size() - 1)},
      {"colour table cut short", Good_Bmp(4).substr(0, 54 + 30)},
      {"16 bits", With_U32(Good_Bmp(), 28, 16)},
      {"1 bit", With_U32(Good_Bmp(), 28, 1)},
      {"compressed", With_U32(Good_Bmp(), 30, 1)},
      {"header size 12", With_U32(Good_Bmp(), 14, 12)},
      {"header size huge", With_U32(Good_Bmp(), 14, 0xffffffffu)},
  };
  // Cut at every byte of the headers.
  for (std::size_t n = 0; n < 54; ++n) cases.push_back({"cut at " + std::to_string(n), Good_Bmp().substr(0, n)});
  for (const Case& c : cases) {
    Picture_Work work;
    std::fill(work.Picture_Buffer.values.begin(), work.Picture_Buffer.values.end(), 3.0);
    std::string message;
    EXPECT_FALSE(Read(work, c.bytes, &message)) << c.what;
    EXPECT_NE(message.find("pic.bmp"), std::string::npos) << c.what << ": " << message;
    EXPECT_EQ(work.Picture_Buffer(1, 0, 0), 3.0) << c.what << ": the buffer was touched";
  }
}

}  // namespace
}  // namespace lyricanvas
