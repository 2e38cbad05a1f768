// Creating the .cdg of a whole song through the create button: a 4-minute song of 60 timed lines
// (3 to 6 syllables each, two singers, four lines a screen) must take under 0.08 s, and a
// 20-minute song of 300 lines at most five times as long.
//
// The whole-process figures (wall time and peak memory of `lyricanvas-cli create`) are taken on
// the same songs as timed text, which this program writes when called as
//   creation_bench --write-timed-text FILE LINES SECONDS
// (tools/measure_create.sh does that and runs the command under /usr/bin/time).
#include "bench_support.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "cdg/creation.h"
#include "project/timed_text.h"
#include "support/song_builder.h"

namespace {

using lyricanvas::testing::Generated_Song;
using lyricanvas::testing::Song_Line;

constexpr int Lines_Per_Screen = 4;

/// A scratch output file, replaced by every run.
std::string Scratch_Output() {
  auto dir = std::filesystem::temp_directory_path() / "lyricanvas-creation-bench";
  std::filesystem::create_directories(dir);
  return (dir / "song.cdg").string();
}

/// Says nothing and answers Yes, so that every run overwrites the previous file.
lyricanvas::Ui Quiet_Ui(std::string& last_message) {
  lyricanvas::Ui ui;
  ui.message = [&last_message](const std::string& text) { last_message = text; };
  ui.ask = [](const std::string&, bool) { return lyricanvas::Answer::Yes; };
  return ui;
}

void BM_Create_Cdg(benchmark::State& state) {
  const int lines = static_cast<int>(state.range(0));
  const double seconds = static_cast<double>(state.range(1));
  lyricanvas::Song song;
  lyricanvas::testing::Build_Song(song, Generated_Song(lines, seconds));
  lyricanvas::Controls& c = song.Window_Controls;
  const std::string output = Scratch_Output();
  c.Set_Text("txt_Filename", 2, output);
  c.Set_Text("Txt_TotalTime", std::to_string(static_cast<int>(seconds)));
  c.Set_Text("txt_lines_on_screen", std::to_string(Lines_Per_Screen));
  std::string last_message;
  const lyricanvas::Ui ui = Quiet_Ui(last_message);
  for (auto _ : state) {
    if (!lyricanvas::But_CDG_Create_Click(song, ui)) state.SkipWithError(last_message.c_str());
  }
  state.counters["packs"] = static_cast<double>(std::filesystem::file_size(output) / 24);
  state.counters["lines"] = lines;
}
BENCHMARK(BM_Create_Cdg)
    ->ArgNames({"lines", "seconds"})
    ->Args({60, 240})
    ->Args({300, 1200})
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

// Timed text of a generated song -----------------------------------------------------------------

/// Seconds as timed text gives them back: the pack that the song builder stores, over 300.
std::string Seconds(double t) {
  const auto packs = static_cast<std::int64_t>(t * 300);
  char text[32];
  std::snprintf(text, sizeof text, "%.6f", static_cast<double>(packs) / 300);
  return text;
}

/// One line: "[singer] " and each syllable's text with its times, a word's blank after them.
std::string Timed_Line(const Song_Line& line) {
  std::string out = "[" + std::to_string(line.singer) + "] ";
  for (const auto& s : line.syllables) {
    const bool blank = !s.text.empty() && s.text.back() == ' ';
    out += blank ? s.text.substr(0, s.text.size() - 1) : s.text;
    out += "@" + Seconds(s.start);
    if (s.end > 0) out += "-" + Seconds(s.end);
    if (blank) out += " ";
  }
  return out;
}

/// The timed text must give the fields and text that the song builder gives, or the
/// whole-process figures would measure another song.
bool Same_Song(const std::vector<Song_Line>& lines, const std::string& timed, std::string& why) {
  lyricanvas::Song built, loaded;
  lyricanvas::testing::Build_Song(built, lines);
  if (!lyricanvas::Load_Timed_Text(loaded, timed, why)) return false;
  if (built.RTB_Raw.Text() != loaded.RTB_Raw.Text())
    why = "the texts differ";
  else if (built.Field_Count != loaded.Field_Count)
    why = "the field counts differ";
  for (int f = 1; why.empty() && f <= built.Field_Count; ++f)
    if (built.Fields[f] != loaded.Fields[f]) why = "field " + std::to_string(f) + " differs";
  return why.empty();
}

int Write_Timed_Text(const std::string& path, int lines, double seconds) {
  const std::vector<Song_Line> song = Generated_Song(lines, seconds);
  std::string text;
  for (const Song_Line& line : song) text += Timed_Line(line) + "\n";
  std::string why;
  if (!Same_Song(song, text, why)) {
    std::fprintf(stderr, "creation_bench: the timed text is not the generated song: %s\n",
                 why.c_str());
    return 1;
  }
  std::ofstream(path, std::ios::binary) << text;
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  auto app = lyricanvas::bench::Headless_App(argc, argv);
  if (argc == 5 && std::strcmp(argv[1], "--write-timed-text") == 0)
    return Write_Timed_Text(argv[2], std::atoi(argv[3]), std::atof(argv[4]));
  return lyricanvas::bench::Run_Benchmarks(argc, argv);
}
