// Writing the .bin image of a 10-minute song: 180 000 packs and 26 MB of audio become 45 000
// sectors (110 MB/s would be 1 s; the writer must stay far below that, bound by the disk).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <random>

#include "cdg/output_files.h"

namespace {

constexpr std::int64_t Song_Packs = 10 * 60 * 300;
constexpr std::size_t Audio_Bytes = Song_Packs / 4 * 2352;

std::filesystem::path Scratch_Dir() {
  auto dir = std::filesystem::temp_directory_path() / "lyricanvas-bin-bench";
  std::filesystem::create_directories(dir);
  return dir;
}

std::string Make_Wav(const std::filesystem::path& dir) {
  std::string path = (dir / "song.wav").string();
  static const char canonical[] =
      "RIFF\0\0\0\0WAVEfmt \x10\0\0\0\x01\0\x02\0\x44\xac\0\0\x10\xb1\x02\0\x04\0\x10\0data\0\0\0\0";
  std::string header(canonical, sizeof canonical - 1);
  std::string samples(Audio_Bytes, '\0');
  std::mt19937 random(3);
  for (auto& b : samples) b = static_cast<char>(random());
  std::ofstream(path, std::ios::binary) << header << samples;
  return path;
}

std::unique_ptr<lyricanvas::Creation_Run> Make_Run() {
  auto run = std::make_unique<lyricanvas::Creation_Run>();
  run->Pack_Buffer.Resize(Song_Packs + 20 * 300);
  lyricanvas::Pack pack{};
  pack[0] = 9;
  for (std::int64_t s = 0; s < Song_Packs; s += 2) run->Pack_Buffer.Put(s, pack);
  run->Last_Pack = Song_Packs;
  return run;
}

void Bin_Writer(benchmark::State& state) {
  auto dir = Scratch_Dir();
  std::string wav = Make_Wav(dir);
  auto run = Make_Run();
  std::string out = (dir / "song.bin").string();
  for (auto _ : state) {
    lyricanvas::Output_Error error;
    if (!lyricanvas::Write_Bin_File(*run, wav, out, error)) state.SkipWithError(error.description.c_str());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(Audio_Bytes / 2352 * 2448));
  std::filesystem::remove_all(dir);
}
BENCHMARK(Bin_Writer)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
