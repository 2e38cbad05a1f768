// lyricanvas-cli frame: single frames and contact sheets as PNG, run as a separate process on a
// small hand-built stream.
#include <gtest/gtest.h>

#include <QImage>
#include <QProcess>
#include <string>
#include <vector>

#include "cdg/cdg_decoder.h"
#include "support/test_support.h"

namespace lyricanvas {
namespace {

struct Cli_Result {
  int exit_code = -1;
  std::string errors;
};

Cli_Result Run_Cli(const QStringList& args) {
  QProcess cli;
  cli.start(LYRICANVAS_CLI, QStringList{"frame"} + args);
  if (!cli.waitForFinished(30000)) return {};
  return {cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -1,
          cli.readAllStandardError().toStdString()};
}

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
  QString in = QString::fromStdString(input);
  QString out = QString::fromStdString(dir.File("out.png"));
};

TEST_F(CliFrame, WritesTheStateAfterPackFloorOfTimesThreeHundredAsPng) {
  auto bytes = Bytes_Of(Stepping_Stream());
  for (auto [seconds, pack] : {std::pair{"0.5", 150}, {"0.2499", 74}, {"1.7466", 523}}) {
    SCOPED_TRACE(seconds);
    Cli_Result result = Run_Cli({in, "--at", seconds, "-o", out, "--yes"});
    ASSERT_EQ(result.exit_code, 0) << result.errors;
    QImage written(out);
    ASSERT_EQ(written.size(), QSize(300, 216));
    EXPECT_EQ(written.convertToFormat(QImage::Format_RGB32), Decode_Frame(bytes, pack));
  }
  EXPECT_NE(Decode_Frame(bytes, 150), Decode_Frame(bytes, 149)) << "the stream must step";
}

TEST_F(CliFrame, ContactSheetShowsEveryStepInRowsOfFive) {
  auto bytes = Bytes_Of(Stepping_Stream());
  // 0, 0.5, 1.0, 1.5 s: one row of four.
  Cli_Result four = Run_Cli({in, "--every", "0.5", "-o", out});
  ASSERT_EQ(four.exit_code, 0) << four.errors;
  QImage sheet(out);
  EXPECT_GE(sheet.width(), 4 * 300);
  EXPECT_LT(sheet.width(), 5 * 300);
  EXPECT_GE(sheet.height(), 216);
  EXPECT_LT(sheet.height(), 2 * 216);
  EXPECT_TRUE(Holds_Frame_Near(sheet, Decode_Frame(bytes, 0), 0, 0));
  EXPECT_TRUE(Holds_Frame_Near(sheet, Decode_Frame(bytes, 450), sheet.width() - 300, 0));

  // 0, 0.25, ..., 1.5 s (1.75 s is the end): rows of five and two.
  Cli_Result seven = Run_Cli({in, "--every", "0.25", "-o", out, "--yes"});
  ASSERT_EQ(seven.exit_code, 0) << seven.errors;
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
