#include "model/surface.h"

#include <gtest/gtest.h>

namespace lyricanvas {
namespace {

// Wipe columns of a line wider than the screen start left of it.
TEST(Surface, PixelsOutsideReadAsTheBackground) {
  const Surface s(10, 10, qRgb(0, 0, 255));
  for (auto [x, y] : {std::pair{-1, 5}, {5, 10}, {10, 0}, {0, -1}})
    EXPECT_EQ(s.Pixel(x, y), qRgb(0, 0, 255)) << x << "," << y;
}

}  // namespace
}  // namespace lyricanvas
