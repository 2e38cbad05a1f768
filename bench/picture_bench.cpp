// Pictures: reading, reducing and dithering a 1920 x 1080 24-bit BMP onto the screen must take
// under 30 ms; creating the 4-minute benchmark song (60 lines, four a screen) with 10 pictures
// between its screens must take under twice the time without them.
#include "bench_support.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "cdg/creation.h"
#include "pictures/picture_source.h"
#include "pictures/properties.h"
#include "pictures/reduction.h"
#include "support/bmp_builder.h"
#include "support/song_builder.h"

namespace {

using lyricanvas::testing::Rgb8;

/// A photograph-like picture: crossing gradients, a highlight and fine texture.
std::string Photo_Bmp(int width, int height) {
  lyricanvas::testing::Bmp_Shape shape = lyricanvas::testing::Shape(width, height);
  shape.color = [=](int x, int y) {
    const double d = std::hypot(x - width * 0.7, y - height * 0.3) / width * 400;
    const int grain = (x * 7 + y * 13) % 17;
    return Rgb8{static_cast<int>(30 + 200.0 * x / width) + grain / 2,
                static_cast<int>(20 + 180.0 * y / height) + grain / 3,
                std::clamp(static_cast<int>(230 - d), 10, 230)};
  };
  return lyricanvas::testing::Make_Bmp(shape);
}

void BM_Convert_Full_Hd_Picture(benchmark::State& state) {
  const std::string bmp = Photo_Bmp(1920, 1080);
  auto work = std::make_unique<lyricanvas::Picture_Work>();
  lyricanvas::Conversion how;
  std::string message;
  for (auto _ : state) {
    if (!lyricanvas::Convert_Picture(
            *work, {reinterpret_cast<const std::uint8_t*>(bmp.data()), bmp.size()}, "photo.bmp",
            how, message))
      state.SkipWithError(message.c_str());
  }
}
BENCHMARK(BM_Convert_Full_Hd_Picture)->Unit(benchmark::kMillisecond);

void BM_Create_With_Pictures(benchmark::State& state) {
  const int pictures = static_cast<int>(state.range(0));
  lyricanvas::Song song;
  lyricanvas::testing::Build_Song(song, lyricanvas::testing::Generated_Song(60, 240));
  const auto dir = std::filesystem::temp_directory_path() / "lyricanvas-picture-bench";
  std::filesystem::create_directories(dir);
  const std::string bmp = Photo_Bmp(640, 480);
  // A picture after every fourth line, that is between two screens, last ones first so that
  // the line numbers of the earlier places stay as they were.
  for (int k = pictures; k >= 1; --k) {
    const std::string file = (dir / ("p" + std::to_string(k) + ".bmp")).string();
    std::ofstream(file, std::ios::binary) << bmp;
    lyricanvas::Picture_Properties_Rec rec;
    rec.Appearance_effect = std::string(lyricanvas::Appearance_Effects[k % 5]);
    rec.filename = file;
    rec.hold_time = "1";
    const int at = lyricanvas::Insert_Picture_Line(song, 4 * k, bmp, file, true);
    lyricanvas::Edit_Picture_Properties(
        song, at, [&](std::string& p) { p = lyricanvas::Build_Picture_Properties(rec); });
  }
  lyricanvas::Controls& c = song.Window_Controls;
  c.Set_Text("txt_Filename", 2, (dir / "song.cdg").string());
  c.Set_Text("Txt_TotalTime", "240");
  c.Set_Text("txt_lines_on_screen", "4");
  std::string last;
  lyricanvas::Ui ui;
  ui.message = [&last](const std::string& text) { last = text; };
  ui.ask = [](const std::string&, bool) { return lyricanvas::Answer::Yes; };
  for (auto _ : state)
    if (!lyricanvas::But_CDG_Create_Click(song, ui)) state.SkipWithError(last.c_str());
  state.counters["pictures"] = pictures;
}
BENCHMARK(BM_Create_With_Pictures)
    ->ArgNames({"pictures"})
    ->Arg(0)
    ->Arg(10)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

}  // namespace

LYRICANVAS_BENCHMARK_MAIN();
