// Importing a 4-minute karaoke file with 400 syllables (tempo, melody and words tracks, built in
// memory): opening such a file must feel instant, under 20 ms. And a file of one-letter lyric
// events at one tick, up to a million of them: the import grows linearly (under 2 s for 10^6).
#include "bench_support.h"

#include <cstdlib>
#include <memory>
#include <string>

#include "project/midi_import.h"

namespace {

constexpr int Syllables = 400;
constexpr int Ticks_Per_Quarter = 480;
constexpr int Ticks_Per_Syllable = 576;  // 0.6 s at 120 beats per minute: 400 x 0.6 s = 4 min

std::string Var(std::uint32_t value) {
  std::string out(1, static_cast<char>(value & 0x7F));
  while (value >>= 7) out.insert(out.begin(), static_cast<char>(0x80 | (value & 0x7F)));
  return out;
}

std::string Meta(std::uint32_t delta, int type, const std::string& data) {
  return Var(delta) + '\xFF' + static_cast<char>(type) +
         Var(static_cast<std::uint32_t>(data.size())) + data;
}

std::string Chunk(const std::string& id, const std::string& data) {
  std::string size;
  for (int k = 3; k >= 0; --k) size += static_cast<char>(data.size() >> (8 * k) & 0xFF);
  return id + size + data;
}

std::string Melody() {
  std::string events = std::string("\x00\xC0\x00", 3);  // piano on channel 1
  for (int k = 0; k < Syllables; ++k) {
    std::string on = k == 0 ? std::string("\x90", 1) : std::string();  // then running status
    events += Var(k == 0 ? 0 : 36) + on + static_cast<char>(60 + k % 12) + '\x60';
    events += Var(Ticks_Per_Syllable - 36) + static_cast<char>(60 + k % 12) + '\x00';
  }
  return events + Meta(0, 0x2F, "");
}

std::string Words() {
  std::string events = Meta(0, 1, "@KMIDI KARAOKE FILE") + Meta(0, 1, "@TBench Song");
  static const char* const syllables[] = {"Sing", "ing ",  "all ", "the ",
                                          "day ", "long ", "la ",  "la"};
  for (int k = 0; k < Syllables; ++k) {
    std::string mark = k % 32 == 0 ? "\\" : k % 8 == 0 ? "/" : "";
    events += Meta(k == 0 ? 0 : Ticks_Per_Syllable, 1, mark + syllables[k % 8]);
  }
  return events + Meta(0, 0x2F, "");
}

std::string Kar_File() {
  std::string header("\x00\x01\x00\x03", 4);  // format 1, three tracks
  header += static_cast<char>(Ticks_Per_Quarter >> 8);
  header += static_cast<char>(Ticks_Per_Quarter & 0xFF);
  std::string tempo = Meta(0, 0x51, std::string("\x07\xA1\x20", 3)) + Meta(0, 0x2F, "");
  return Chunk("MThd", header) + Chunk("MTrk", tempo) + Chunk("MTrk", Melody()) +
         Chunk("MTrk", Words());
}

void Import_Four_Minute_Kar(benchmark::State& state) {
  const std::string file = Kar_File();
  std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(file.data()),
                                      file.size());
  auto song = std::make_unique<lyricanvas::Song>();
  lyricanvas::Ui quiet;
  for (auto _ : state) {
    if (lyricanvas::Import_Midi(*song, bytes, "bench.kar", quiet) != lyricanvas::Read_Status::Complete)
      state.SkipWithError("refused");
    benchmark::DoNotOptimize(song->Field_Count);
  }
  state.counters["fields"] = song->Field_Count;
}
BENCHMARK(Import_Four_Minute_Kar)->Unit(benchmark::kMillisecond);

/// One track of n one-letter lyric events at one tick, a paragraph separator every 64th.
std::string One_Letter_File(int n) {
  std::string events;
  events.reserve(static_cast<std::size_t>(n) * 6);
  for (int k = 0; k < n; ++k)
    events += Meta(0, 5, k % 64 == 63 ? std::string("x\xE2\x80\xA9") : std::string("x"));
  std::string header("\x00\x00\x00\x01", 4);
  header += static_cast<char>(Ticks_Per_Quarter >> 8);
  header += static_cast<char>(Ticks_Per_Quarter & 0xFF);
  return Chunk("MThd", header) + Chunk("MTrk", events + Meta(0, 0x2F, ""));
}

void Import_One_Letter_Events(benchmark::State& state) {
  const std::string file = One_Letter_File(static_cast<int>(state.range(0)));
  std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(file.data()),
                                      file.size());
  lyricanvas::Ui quiet;
  for (auto _ : state) {
    auto song = std::make_unique<lyricanvas::Song>();
    if (lyricanvas::Import_Midi(*song, bytes, "bench.kar", quiet) == lyricanvas::Read_Status::Failed)
      state.SkipWithError("refused");
    benchmark::DoNotOptimize(song->Field_Count);
  }
}
BENCHMARK(Import_One_Letter_Events)
    ->Arg(125'000)
    ->Arg(250'000)
    ->Arg(500'000)
    ->Arg(1'000'000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

}  // namespace

LYRICANVAS_BENCHMARK_MAIN()
