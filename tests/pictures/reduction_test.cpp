// Colour reduction: the palette chosen from the histogram, the mapping with and without error
// diffusion, and how close a photograph-like picture comes to its original.
#include "pictures/reduction.h"

#include <gtest/gtest.h>

#include <cmath>

#include "support/bmp_builder.h"

namespace lyricanvas {
namespace {

using testing::Rgb8;

/// A 288 x 192 picture, so that every pixel is one cell.
std::string Screen_Bmp(const std::function<Rgb8(int, int)>& color) {
  testing::Bmp_Shape shape = testing::Shape(288, 192);
  shape.color = color;
  return testing::Make_Bmp(shape);
}

bool Convert(Picture_Work& work, const std::string& bmp, const Conversion& how) {
  std::string message;
  return Convert_Picture(work, testing::Bytes(bmp), "pic.bmp", how, message);
}

Rgb8 Stripe_Color(int k) { return {(k * 5 % 16) * 16 + 3, (k * 3 % 16) * 16 + 9, k * 16 + 1}; }

TEST(Reduction, DistanceRoundsItsDifferencesHalfToEven) {
  struct Case {
    std::array<double, 6> colours;
    double distance;
  };
  for (const Case& c :
       std::vector<Case>{{{0.5, 0, 0, 0, 0, 0}, 0},                // 0.5 rounds to 0
                         {{2.5, 0, 0, 0, 0, 0}, 513.0 * 4 / 256},  // 2.5 rounds to 2, the mean to 1
                         {{0, -2.5, 0, 0, 0, 0}, 4 * 4},           // below zero too
                         {{100, 0, 10, 90, 0, 40.5}, 607.0 * 100 / 256 + 672.0 * 900 / 256}})
    EXPECT_DOUBLE_EQ(Color_Distance(c.colours[0], c.colours[1], c.colours[2], c.colours[3],
                                    c.colours[4], c.colours[5]),
                     c.distance)
        << c.colours[0] << "," << c.colours[1] << "," << c.colours[5];
}

TEST(Reduction, SixteenFlatColoursComeOutExactly) {
  Picture_Work work;
  ASSERT_TRUE(Convert(work, Screen_Bmp([](int x, int) { return Stripe_Color(x / 18); }),
                      {.dither = false}));
  for (int y = 0; y < Mapped_Height; y += 7)
    for (int x = 0; x < Mapped_Width; ++x) {
      const auto& entry = work.Picture_Palette[work.Mapped_At(y, x)];
      const Rgb8 original = Stripe_Color(x / 18);
      ASSERT_EQ((Rgb8{entry[1], entry[2], entry[3]}),
                (Rgb8{original[0] / 16, original[1] / 16, original[2] / 16}))
          << x << "," << y;
    }
}

/// A smooth photograph-like picture: two crossing gradients with a soft highlight.
Rgb8 Photo(int x, int y) {
  const double d = std::hypot(x - 200.0, y - 60.0);
  return {static_cast<int>(40 + 180.0 * x / 287), static_cast<int>(30 + 150.0 * y / 191),
          static_cast<int>(std::clamp(220 - d, 20.0, 220.0))};
}

/// Mean distance between the average colours of 6 x 6 blocks (what a viewer sees at a
/// distance) of the mapped picture and of the original.
double Mean_Block_Error(const Picture_Work& work) {
  double total = 0;
  for (int by = 0; by < Mapped_Height; by += 6)
    for (int bx = 0; bx < Mapped_Width; bx += 6) {
      std::array<double, 3> sum{};  // mapped minus original over the block
      for (int y = by; y < by + 6; ++y)
        for (int x = bx; x < bx + 6; ++x)
          for (std::size_t c = 0; c < 3; ++c)  // an entry stands for the middle of its 16 levels
            sum[c] += work.Picture_Palette[work.Mapped_At(y, x)][c + 1] * 16 + 7.5 - Photo(x, y)[c];
      total += std::hypot(sum[0], sum[1], sum[2]) / 36;
    }
  return total / (Mapped_Height / 6 * Mapped_Width / 6);
}

TEST(Reduction, APhotographComesCloseAndDitheringBringsItCloser) {
  Picture_Work plain, dithered;
  ASSERT_TRUE(Convert(plain, Screen_Bmp(Photo), {.dither = false}));
  ASSERT_TRUE(Convert(dithered, Screen_Bmp(Photo), {}));
  const double plain_error = Mean_Block_Error(plain), dithered_error = Mean_Block_Error(dithered);
  EXPECT_LT(plain_error, 24.0);
  EXPECT_LT(dithered_error, 12.0);
  EXPECT_LT(dithered_error, plain_error * 0.8);
}

TEST(Reduction, AFourBitPictureIsNeverDithered) {
  // Only black and one grey may be used, so the picture's colours cannot be met exactly.
  const auto limited = [] {
    Picture_Work work;
    work.Picture_Palette.fill({0, 0, 0, 0});
    work.Picture_Palette[1] = {0, 15, 15, 15};
    work.Reserved_Colors.fill(1);
    return work;
  };
  const std::vector<Rgb8> palette{{100, 100, 100}, {37, 200, 90}};
  testing::Bmp_Shape shape = testing::Shape(288, 192, 4);
  shape.palette = palette;
  shape.index = [](int x, int y) { return (x / 40 + y / 30) % 2; };
  shape.color = [&](int x, int y) { return palette[static_cast<std::size_t>(shape.index(x, y))]; };
  Picture_Work on = limited(), off = limited(), full = limited();
  ASSERT_TRUE(Convert(on, testing::Make_Bmp(shape), {}));
  ASSERT_TRUE(Convert(off, testing::Make_Bmp(shape), {.dither = false}));
  EXPECT_EQ(on.Mapped, off.Mapped);
  shape.bits = 24;  // the same picture in 24 bits is dithered
  shape.palette.clear();
  ASSERT_TRUE(Convert(full, testing::Make_Bmp(shape), {}));
  EXPECT_NE(full.Mapped, off.Mapped);
}

TEST(Reduction, DiffusedErrorsBelowBlackStillMapToTheDarkestEntry) {
  // Every entry is brighter than the picture, so the spread errors drive the buffer negative.
  Picture_Work work;
  for (int i = 0; i < 16; ++i)
    work.Picture_Palette[static_cast<std::size_t>(i)] = {0, 15 - i / 2, 15 - i / 2, 15 - i / 2};
  work.Picture_Palette[9] = {0, 4, 4, 4};  // the darkest, not first
  work.Reserved_Colors.fill(1);
  ASSERT_TRUE(Convert(work, Screen_Bmp([](int, int) { return Rgb8{0, 0, 0}; }), {}));
  for (std::uint8_t index : work.Mapped) ASSERT_EQ(index, 9);
  EXPECT_EQ(Most_Used_Color(work), 9);
}

TEST(Reduction, KeptPaletteIsUsedOnlyWhileAPictureIsOnScreen) {
  const std::string bmp = Screen_Bmp([](int x, int) { return Rgb8{x % 256, 0, 0}; });
  Conversion how{.keep_palette = true, .picture_on_screen = true};
  how.on_screen.fill({0, 0, 0, 15});
  Picture_Work kept, chosen;
  ASSERT_TRUE(Convert(kept, bmp, how));
  EXPECT_EQ(kept.Picture_Palette, how.on_screen);
  how.picture_on_screen = false;
  ASSERT_TRUE(Convert(chosen, bmp, how));
  EXPECT_NE(chosen.Picture_Palette, how.on_screen);
}

}  // namespace
}  // namespace lyricanvas
