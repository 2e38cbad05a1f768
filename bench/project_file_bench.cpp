// Saving and reopening a full project: 500 lines and 5000 timed fields, each under 50 ms so that
// saving often (and incremental saving) never gets in the way of timing a song.
#include "bench_support.h"

#include <filesystem>

#include "project/project_file.h"

namespace {

constexpr int Lines = 500;
constexpr int Fields_Per_Line = 10;

/// 500 lines of ten four-letter syllables, two singers, every syllable a field with a start and
/// an end event.
void Fill(lyricanvas::Song& song) {
  QString text;
  for (int line = 0; line < Lines; ++line) {
    if (line > 0) text += "\r\n";
    for (int s = 0; s < Fields_Per_Line; ++s) text += "laaa ";
  }
  song.RTB_Raw.Set_Text(text);
  const int line_length = Fields_Per_Line * 5 + 2;
  for (int line = 0; line < Lines; line += 2)
    song.RTB_Raw.Set_Color(line * line_length, line_length - 2, song.Singers[2].Text_Color);
  int f = 0;
  for (int line = 0; line < Lines; ++line)
    for (int s = 0; s < Fields_Per_Line; ++s) {
      auto first = static_cast<std::int16_t>(line * line_length + s * 5 + 1);
      std::int64_t t = 300 * (2 * f + 1);
      song.Fields[++f] = {first, static_cast<std::int16_t>(first + 3),
                          lyricanvas::Encode_Event(1, t) + lyricanvas::Encode_Event(250, t + 200)};
    }
  song.Field_Count = f;
}

std::string Scratch_Project() {
  auto dir = std::filesystem::temp_directory_path() / "lyricanvas-project-bench";
  std::filesystem::create_directories(dir);
  return (dir / "big.cgp").string();
}

void BM_Save_Project(benchmark::State& state) {
  lyricanvas::Song song;
  Fill(song);
  song.Project_File = Scratch_Project();
  lyricanvas::Ui quiet;
  for (auto _ : state)
    if (!lyricanvas::Save_Project(song, quiet)) state.SkipWithError("save failed");
  state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(song.Project_File));
}
BENCHMARK(BM_Save_Project)->Unit(benchmark::kMillisecond);

void BM_Open_Project(benchmark::State& state) {
  lyricanvas::Song song;
  Fill(song);
  song.Project_File = Scratch_Project();
  lyricanvas::Ui quiet;
  lyricanvas::Save_Project(song, quiet);
  for (auto _ : state) {
    lyricanvas::Song opened;
    if (!lyricanvas::Open_Project(opened, song.Project_File, quiet) ||
        opened.Field_Count != Lines * Fields_Per_Line)
      state.SkipWithError("open failed");
  }
}
BENCHMARK(BM_Open_Project)->Unit(benchmark::kMillisecond);

}  // namespace

LYRICANVAS_BENCHMARK_MAIN()
