// lyricanvas-cli frame: single frames and contact sheets as PNG, of a small hand-built stream.
#include <gtest/gtest.h>

#include <QImage>
#include <array>
#include <string>
#include <vector>

#include "cdg/cdg_decoder.h"
#include "cli_folder.h"

namespace lyricanvas {
namespace {

/// 1.75 s: a colour table, then every 75 packs (0.25 s) a Memory Preset of the next colour.
std::vector<std::uint8_t> Stepping_Stream() {
  std::vector<std::uint8_t> stream(525 * 24, 0);
  // Colours 0..7: red level 2k, green 15 - 2k; each entry is red * 4 + green / 4, green's low bits.
  stream[0] = 9;
  stream[1] = 30;
  for (int k = 0; k < 8; ++k) {
    stream[4 + 2 * k] = static_cast<std::uint8_t>(2 * k * 4 + (15 - 2 * k) / 4);
    stream[5 + 2 * k] = static_cast<std::uint8_t>(((15 - 2 * k) & 3) << 4);
  }
  for (int k = 1; k <= 6; ++k) {
    stream[75 * k * 24] = 9;
    stream[75 * k * 24 + 1] = 1;
    stream[75 * k * 24 + 4] = static_cast<std::uint8_t>(k);
  }
  return stream;
}

/// Whether image holds frame with its top-left corner within a few pixels of (x, y).
bool Holds_Frame_Near(const QImage& image, const QImage& frame, int x, int y) {
  QImage rgb = image.convertToFormat(QImage::Format_RGB32);
  for (int dy = -20; dy <= 20; ++dy)
    for (int dx = -20; dx <= 20; ++dx) {
      QRect cell(x + dx, y + dy, frame.width(), frame.height());
      if (rgb.rect().contains(cell) && rgb.copy(cell) == frame) return true;
    }
  return false;
}

struct Frame_Case {
  const char* words;
  int columns, rows;                      ///< of frames in the picture written
  std::vector<std::array<int, 3>> shown;  ///< the frame after pack p at column c, row r: {p, c, r}
};

TEST(CliFrame, WritesTheStateAfterPackFloorOfTimesThreeHundred) {
  const std::vector<std::uint8_t> stream = Stepping_Stream();
  ASSERT_NE(Decode_Frame(stream, 150), Decode_Frame(stream, 149)) << "the stream must step";
  testing::Cli_Folder folder;
  testing::Write_File(folder.Path("steps.cdg"), std::string(stream.begin(), stream.end()));
  for (const Frame_Case& c : {Frame_Case{"--at 0.5", 1, 1, {{150, 0, 0}}},
                              {"--at 0.2499", 1, 1, {{74, 0, 0}}},
                              {"--at 1.7466", 1, 1, {{523, 0, 0}}},
                              // 0, 0.5, 1.0, 1.5 s: one row of four.
                              {"--every 0.5", 4, 1, {{0, 0, 0}, {450, 3, 0}}},
                              // 0, 0.25, ..., 1.5 s (1.75 s is the end): rows of five and two.
                              {"--every 0.25", 5, 2, {{300, 4, 0}, {450, 1, 1}}}}) {
    SCOPED_TRACE(c.words);
    testing::Command_Result r =
        folder.Run("frame steps.cdg --yes -o out.png " + std::string(c.words));
    ASSERT_EQ(r.exit_code, 0) << r.output;
    const QImage sheet(QString::fromStdString(folder.Path("out.png")));
    if (c.columns == 1) {
      EXPECT_EQ(sheet.size(), QSize(300, 216)) << "a single frame, no sheet";
    }
    EXPECT_GE(sheet.width(), c.columns * 300);
    EXPECT_LT(sheet.width(), (c.columns + 1) * 300);
    EXPECT_GE(sheet.height(), c.rows * 216);
    EXPECT_LT(sheet.height(), (c.rows + 1) * 216);
    for (auto [pack, column, row] : c.shown)
      EXPECT_TRUE(Holds_Frame_Near(sheet, Decode_Frame(stream, pack),
                                   sheet.width() * column / c.columns,
                                   sheet.height() * row / c.rows))
          << pack;
  }
}

}  // namespace
}  // namespace lyricanvas
