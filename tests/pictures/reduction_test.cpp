// Colour reduction: the palette chosen from the histogram, the mapping with and without error
// diffusion, and how close a photograph-like picture comes to its original.
#include "pictures/reduction.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QImage>
#include <cmath>

#include "support/bmp_builder.h"

namespace lyricanvas {
namespace {

using testing::Rgb8;

/// A 288 x 192 picture, so that every pixel is one cell.
std::string Screen_Bmp(const std::function<Rgb8(int, int)>& color, int bits = 24,
                       const std::vector<Rgb8>& palette = {}) {
  testing::Bmp_Shape shape = testing::Shape(288, 192, bits);
  shape.palette = palette;
  shape.color = color;
  shape.index = [&](int x, int y) {
    return static_cast<int>(std::find(palette.begin(), palette.end(), color(x, y)) -
                            palette.begin());
  };
  return testing::Make_Bmp(shape);
}

bool Convert(Picture_Work& work, const std::string& bmp, const Conversion& how) {
  std::string message;
  return Convert_Picture(work, testing::Bytes(bmp), "pic.bmp", how, message);
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

// The whole conversion of a few pictures, pinned by a hash of the palette, the mapped pixels and
// the most used entry. On a mismatch the new hash is printed; with LYRICANVAS_GOLDEN_KEEP set the
// mapped pictures are also saved there as PNG: look at them before approving the new hashes.
TEST(Reduction, ConversionsGiveTheApprovedPalettesAndPixels) {
  const std::vector<Rgb8> two{{100, 100, 100}, {37, 200, 90}};
  const auto checks = [&](int x, int y) {
    return two[static_cast<std::size_t>((x / 40 + y / 30) % 2)];
  };
  const auto stripe = [](int x, int) {
    const int k = x / 18;
    return Rgb8{(k * 5 % 16) * 16 + 3, (k * 3 % 16) * 16 + 9, k * 16 + 1};
  };
  const std::string photo = Screen_Bmp(Photo), stripes = Screen_Bmp(stripe);
  Palette_Table blue, grey{}, bright;  // grey: black and one grey; bright: all above black
  blue.fill({0, 0, 0, 15});
  grey[1] = {0, 15, 15, 15};
  for (int i = 0; i < 16; ++i) bright[i] = {0, 15 - i / 2, 15 - i / 2, 15 - i / 2};
  bright[9] = {0, 4, 4, 4};  // the darkest, not first
  const Conversion dithered, plain{.dither = false}, kept_unused{.keep_palette = true};
  const Conversion kept{.keep_palette = true, .picture_on_screen = true, .on_screen = blue};
  struct Case {
    const char* sha1;
    const char* name;
    std::string bmp;
    Conversion how;
    const Palette_Table* reserved = nullptr;  ///< every entry reserved for the lyrics
  };
  const Case cases[] = {
      {"cf3f6914c63801665dd103ccff34ba7f7242f4ae", "photo", photo, dithered},
      {"3ad66e8bf6efab8bfa747eae7b2bb59d9b7c47ae", "photo, not dithered", photo, plain},
      {"9c129c7d19860b44adaa519b1f568c90d0e0c15b", "16 flat colours", stripes, plain},
      {"423abe9f9820257c1accfdef6b6332387f03e265", "4 bits: never dithered",
       Screen_Bmp(checks, 4, two), dithered, &grey},
      {"ee654d326a69328cc8f2d3288323e604de464d4d", "24 bits", Screen_Bmp(checks), dithered, &grey},
      {"06cdf07d78836d071da3025483461f109c5db62c", "errors below black",
       Screen_Bmp([](int, int) { return Rgb8{}; }), dithered, &bright},
      {"a409b1841489b686543ebbfa7577a07c06174205", "palette kept on screen", photo, kept},
      {"cf3f6914c63801665dd103ccff34ba7f7242f4ae", "kept, none on screen: chosen", photo,
       kept_unused},
  };
  for (const Case& c : cases) {
    Picture_Work work;
    if (c.reserved) {
      work.Picture_Palette = *c.reserved;
      work.Reserved_Colors.fill(1);
    }
    ASSERT_TRUE(Convert(work, c.bmp, c.how)) << c.name;
    QCryptographicHash hash(QCryptographicHash::Sha1);
    for (const auto& entry : work.Picture_Palette)
      for (int level : entry) hash.addData(QByteArray::number(level) + ",");
    hash.addData(QByteArrayView(work.Mapped.data(), std::ssize(work.Mapped)));
    hash.addData(QByteArray::number(Most_Used_Color(work)));
    EXPECT_EQ(hash.result().toHex().toStdString(), c.sha1) << c.name;
    QList<QRgb> colours;
    for (const auto& e : work.Picture_Palette) colours << qRgb(e[1] * 17, e[2] * 17, e[3] * 17);
    QImage image(work.Mapped.data(), Mapped_Width, Mapped_Height, Mapped_Width,
                 QImage::Format_Indexed8);
    image.setColorTable(colours);
    if (const char* dir = std::getenv("LYRICANVAS_GOLDEN_KEEP"))
      image.save(QString("%1/%2.png").arg(dir, c.name));
  }
}

}  // namespace
}  // namespace lyricanvas
