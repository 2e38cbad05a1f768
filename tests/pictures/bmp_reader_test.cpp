// The BMP reader: scaling to 288 columns, the row orders, header sizes and pixel depths it takes,
// gaps filled rather than left from the previous picture, and a message naming the picture for
// every damaged or unsupported file.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "pictures/reduction.h"
#include "support/bmp_builder.h"

namespace lyricanvas {
namespace {

using testing::Bmp_Shape;
using testing::Rgb8;

bool Read(Picture_Work& work, const std::string& bmp, std::string* message = nullptr) {
  std::string m;
  const bool ok = Read_Picture(work, testing::Bytes(bmp), "pic.bmp", m);
  if (message) *message = m;
  return ok;
}

/// A colour that tells source pixels apart: x in red and green, y in blue.
Rgb8 Coded(int x, int y) { return {x % 256, x / 256, y % 256}; }

TEST(BmpReader, ScalesTo288ColumnsFillingGapsAndKeepingNothingOfTheLastPicture) {
  using Source = std::optional<std::pair<int, int>>;
  struct Case {
    int width, height;
    // The source pixel (x, y from the bottom) that a cell (x, y from the bottom) shows; none:
    // the cell is black.
    Source (*source)(int x, int y);
  };
  const Case cases[] = {
      // Halved: the later pixel of each cell.
      {576, 300,
       [](int x, int y) {
         return y < 150 ? Source({2 * x + 1, 2 * y + 1}) : Source();
       }},
      // 288 wide allows 250 rows: the lowest ones are kept.
      {288, 400,
       [](int x, int y) {
         return y < 250 ? Source({x, y}) : Source();
       }},
      // Tripled: every cell shows the source pixel at or before it in both directions.
      {96, 20,
       [](int x, int y) {
         return y <= 57 ? Source({x / 3, y / 3}) : Source();
       }},
  };
  for (const Case& c : cases) {
    Picture_Work work;
    Bmp_Shape white = testing::Shape(288, 250);
    white.color = [](int, int) { return Rgb8{255, 255, 255}; };
    ASSERT_TRUE(Read(work, testing::Make_Bmp(white)));
    Bmp_Shape shape = testing::Shape(c.width, c.height);
    shape.color = [&](int x, int y) { return Coded(x, c.height - 1 - y); };
    ASSERT_TRUE(Read(work, testing::Make_Bmp(shape))) << c.width;
    for (int y = 0; y < Picture_Rows; ++y)
      for (int x = 0; x < Mapped_Width; ++x) {
        const Source source = c.source(x, y);
        const Rgb8 expected = source ? Coded(source->first, source->second) : Rgb8{0, 0, 0};
        for (int k = 0; k < 3; ++k)
          ASSERT_EQ(work.Picture_Buffer(k + 1, x, y), expected[k])
              << c.width << ": " << x << "," << y;
      }
  }
}

TEST(BmpReader, RowOrdersHeaderSizesAndDepthsGiveTheSamePicture) {
  const std::vector<Rgb8> palette{{0, 0, 0},     {255, 0, 0},   {0, 255, 0},  {0, 0, 255},
                                  {255, 255, 0}, {0, 255, 255}, {16, 32, 48}, {200, 100, 50}};
  auto index = [](int x, int y) { return (x / 7 + y / 5) % 8; };
  Bmp_Shape base = testing::Shape(61, 37);
  base.color = [&](int x, int y) { return palette[static_cast<std::size_t>(index(x, y))]; };
  Picture_Work expected;
  ASSERT_TRUE(Read(expected, testing::Make_Bmp(base)));
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
    if (c.bits != 24) {
      shape.palette = palette;
      shape.index = index;
    }
    Picture_Work work;
    const std::string what = std::to_string(c.bits) +
                             (c.top_down ? " bits top-down, " : " bits, ") +
                             std::to_string(c.header_size) + "-byte header";
    ASSERT_TRUE(Read(work, testing::Make_Bmp(shape))) << what;
    EXPECT_EQ(work.Picture_Buffer.values, expected.Picture_Buffer.values) << what;
  }
}

/// A valid picture to damage.
std::string Good_Bmp(int bits = 24) {
  Bmp_Shape shape = testing::Shape(20, 10, bits);
  shape.color = Coded;
  shape.index = [](int x, int y) { return (x + y) % 16; };
  if (bits != 24) shape.palette.assign(16, Rgb8{1, 2, 3});
  return testing::Make_Bmp(shape);
}

std::string With_U32(std::size_t at, std::uint32_t value) {
  std::string bmp = Good_Bmp();
  for (int i = 0; i < 4; ++i) bmp[at + i] = static_cast<char>((value >> (8 * i)) & 0xff);
  return bmp;
}

TEST(BmpReader, RefusesDamagedAndUnsupportedFilesWithAMessageNamingThePicture) {
  std::vector<std::pair<std::string, std::string>> cases{
      {"no signature", "XY" + Good_Bmp().substr(2)},
      {"width 0", With_U32(18, 0)},
      {"negative width", With_U32(18, static_cast<std::uint32_t>(-20))},
      {"width 100000", With_U32(18, 100000)},
      {"height 0", With_U32(22, 0)},
      {"height 100000", With_U32(22, 100000)},
      {"height -100000", With_U32(22, static_cast<std::uint32_t>(-100000))},
      {"pixel offset past the end", With_U32(10, 1u << 30)},
      {"pixels cut short", Good_Bmp().substr(0, Good_Bmp().size() - 1)},
      {"colour table cut short", Good_Bmp(4).substr(0, 54 + 30)},
      {"16 bits", With_U32(28, 16)},
      {"1 bit", With_U32(28, 1)},
      {"compressed", With_U32(30, 1)},
      {"header size 12", With_U32(14, 12)},
      {"header size huge", With_U32(14, 0xffffffffu)},
  };
  // Cut at every byte of the headers, the empty file too.
  for (std::size_t n = 0; n < 54; ++n)
    cases.push_back({"cut at " + std::to_string(n), Good_Bmp().substr(0, n)});
  for (const auto& [what, bytes] : cases) {
    Picture_Work work;
    std::fill(work.Picture_Buffer.values.begin(), work.Picture_Buffer.values.end(), 3.0);
    std::string message;
    EXPECT_FALSE(Read(work, bytes, &message)) << what;
    EXPECT_NE(message.find("pic.bmp"), std::string::npos) << what << ": " << message;
    EXPECT_EQ(work.Picture_Buffer(1, 0, 0), 3.0) << what << ": the buffer was touched";
  }
}

}  // namespace
}  // namespace lyricanvas
