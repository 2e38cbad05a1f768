// lyricanvas-cli frame: single frames and contact sheets as PNG, run as a separate process on a
// small hand-built stream.
#include <gtest/gtest.h>

#include <QImage>
#include <string>
#include <vector>

#include "cdg/cdg_decoder.h"
#include "cli_folder.h"

namespace lyricanvas {
namespace {

using testing::Command_Result;

/// 1.75 s: a colour table, then every 75 packs (0.25 s) a Memory Preset of the next colour.
std::string Stepping_Stream() {
  std::string stream(525 * 24, '\0');
  auto put = [&](int slot, int instruction, std::vector<int> data) {
    stream[slot * 24] = 9;
    stream[slot * 24 + 1] = static_cast<char>(instruction);
    for (std::size_t i = 0; i < data.size(); ++i) stream[slot * 24 + 4 + i] = static_cast<char>(data[i]);
  };
  // Colours 0..7: red level 2k, green 15 - 2k; each entry is red * 4 + green / 4, green's low bits.
  std::vector<int> colors;
  for (int k = 0; k < 8; ++k) {
    int red = 2 * k, green = 15 - 2 * k;
    colors.push_back(red * 4 + green / 4);
    colors.push_back((green & 3) << 4);
  }
  put(0, 30, colors);
  for (int k = 1; k <= 6; ++k) put(75 * k, 1, {k, 0});
  return stream;
}

std::vector<std::uint8_t> Bytes_Of(const std::string& s) { return {s.begin(), s.end()}; }

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

class CliFrame : public ::testing::Test {
 protected:
  void SetUp() override { testing::Write_File(input, Stepping_Stream()); }
  testing::Temp_Dir dir;
  std::string input = dir.File("song.cdg");
  QString out = QString::fromStdString(dir.File("out.png"));
  /// Runs the frame verb on the stream, writing out.png.
  Command_Result Frame(const std::string& words) {
    return testing::Run_Cli("frame " + testing::Quoted(input) + " " + words + " -o " +
                            testing::Quoted(out.toStdString()));
  }
};

TEST_F(CliFrame, WritesTheStateAfterPackFloorOfTimesThreeHundredAsPng) {
  auto bytes = Bytes_Of(Stepping_Stream());
  for (auto [seconds, pack] : {std::pair{"0.5", 150}, {"0.2499", 74}, {"1.7466", 523}}) {
    SCOPED_TRACE(seconds);
    Command_Result result = Frame(std::string("--yes --at ") + seconds);
    ASSERT_EQ(result.exit_code, 0) << result.output;
    QImage written(out);
    ASSERT_EQ(written.size(), QSize(300, 216));
    EXPECT_EQ(written.convertToFormat(QImage::Format_RGB32), Decode_Frame(bytes, pack));
  }
  EXPECT_NE(Decode_Frame(bytes, 150), Decode_Frame(bytes, 149)) << "the stream must step";
}

TEST_F(CliFrame, ContactSheetShowsEveryStepInRowsOfFive) {
  auto bytes = Bytes_Of(Stepping_Stream());
  // 0, 0.5, 1.0, 1.5 s: one row of four.
  Command_Result four = Frame("--every 0.5");
  ASSERT_EQ(four.exit_code, 0) << four.output;
  QImage sheet(out);
  EXPECT_GE(sheet.width(), 4 * 300);
  EXPECT_LT(sheet.width(), 5 * 300);
  EXPECT_GE(sheet.height(), 216);
  EXPECT_LT(sheet.height(), 2 * 216);
  EXPECT_TRUE(Holds_Frame_Near(sheet, Decode_Frame(bytes, 0), 0, 0));
  EXPECT_TRUE(Holds_Frame_Near(sheet, Decode_Frame(bytes, 450), sheet.width() - 300, 0));

  // 0, 0.25, ..., 1.5 s (1.75 s is the end): rows of five and two.
  Command_Result seven = Frame("--every 0.25 --yes");
  ASSERT_EQ(seven.exit_code, 0) << seven.output;
  sheet = QImage(out);
  EXPECT_GE(sheet.width(), 5 * 300);
  EXPECT_LT(sheet.width(), 6 * 300);
  EXPECT_GE(sheet.height(), 2 * 216);
  EXPECT_LT(sheet.height(), 3 * 216);
  EXPECT_TRUE(Holds_Frame_Near(sheet, Decode_Frame(bytes, 300), sheet.width() - 300, 0));
  EXPECT_TRUE(Holds_Frame_Near(sheet, Decode_Frame(bytes, 450), sheet.width() / 5, sheet.height() / 2));
}

}  // namespace
}  // namespace lyricanvas
