#include "cdg/output_files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <memory>

#include "support/test_support.h"

namespace lyricanvas {
namespace {

using testing::Read_File;
using testing::Temp_Dir;
using testing::Test_Data;
using testing::Write_File;

std::span<const std::uint8_t> Bytes(const std::string& s) {
  return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

/// A pack that tells its slot: bytes 4..7 hold the slot number.
std::string Pack_Bytes(std::int64_t slot) {
  Pack p{};
  p[0] = 9;
  for (int i = 0; i < 4; ++i) p[4 + i] = static_cast<std::uint8_t>(slot >> (8 * i));
  return std::string(p.begin(), p.end());
}

/// A run with slots 0 .. last_slot, every occupied_every-th slot holding its marked pack.
std::unique_ptr<Creation_Run> Run_With_Packs(std::int64_t last_slot, std::int64_t last_pack,
                                             int occupied_every = 1) {
  auto run = std::make_unique<Creation_Run>();
  run->Pack_Buffer.Resize(last_slot);
  for (std::int64_t s = 0; s <= last_slot; s += occupied_every) {
    Pack p;
    std::string bytes = Pack_Bytes(s);
    std::copy(bytes.begin(), bytes.end(), p.begin());
    run->Pack_Buffer.Put(s, p);
  }
  run->Last_Pack = last_pack;
  return run;
}

std::string Audio_Bytes(std::size_t n) {
  std::string s(n, '\0');
  for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>(1 + i % 251);  // never zero
  return s;
}

/// A WAV file: the RIFF header, a "LIST" chunk of list_bytes, and a data chunk of the audio.
std::string Wav_File(const std::string& audio, std::uint32_t list_bytes = 0) {
  auto le32 = [](std::uint32_t v) {
    return std::string{static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                       static_cast<char>(v >> 24)};
  };
  std::string list = list_bytes ? "LIST" + le32(list_bytes) + std::string(list_bytes, 'L') : "";
  std::string body = "WAVE" + list + "data" + le32(static_cast<std::uint32_t>(audio.size())) + audio;
  return "RIFF" + le32(static_cast<std::uint32_t>(body.size())) + body;
}

TEST(WavHeader, FindsTheAudioOrTheReasonItCannot) {
  struct Case {
    const char* file;
    std::int64_t patched_length;  ///< -1: as stored; else written over the plain file's data length
    Wav_Layout layout;   ///< {0, 0}: refused with the reason
    const char* reason;
  };
  const std::size_t plain = 3 * 2352 + 100;
  const Case cases[] = {
      {"three_sectors_and_a_bit.wav", -1, {44, plain}, ""},
      // RIFF 12 + fmt 8+18 + LIST 8+7+1 pad = 54, the data header 8 more; metadata follows.
      {"extended_format_with_metadata.wav", -1, {62, 2 * 2352}, ""},
      // An unset or oversized data length runs to the end of the file.
      {"three_sectors_and_a_bit.wav", 0, {44, plain}, ""},
      {"three_sectors_and_a_bit.wav", 0xFFFFFFFF, {44, plain}, ""},
      {"not_riff.wav", -1, {}, "it is not a RIFF WAVE file"},
      {"no_data_chunk.wav", -1, {}, "it has no \"data\" chunk"},
      {"truncated_header.wav", -1, {}, "its chunk \"fmt \" runs past the end of the file"},
      {"chunk_past_end.wav", -1, {}, "its chunk \"junk\" runs past the end of the file"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.file) + " " + std::to_string(c.patched_length));
    std::string wav = Read_File(Test_Data(std::string("cdg/wav/") + c.file));
    if (c.patched_length >= 0)
      for (int i = 0; i < 4; ++i) wav[40 + i] = static_cast<char>(c.patched_length >> (8 * i));
    std::string error;
    auto layout = Read_Wav_Header(Bytes(wav), error);
    EXPECT_EQ(layout.value_or(Wav_Layout{}), c.layout) << error;
    EXPECT_EQ(error, c.reason);
  }
}

TEST(WavHeader, EveryTruncationIsAnErrorOrStaysInsideTheFile) {
  std::string wav = Read_File(Test_Data("cdg/wav/extended_format_with_metadata.wav"));
  for (std::size_t n = 0; n <= wav.size(); ++n) {
    std::string error;
    auto layout = Read_Wav_Header(Bytes(wav).first(n), error);
    if (!layout) {
      EXPECT_FALSE(error.empty()) << n;
      continue;
    }
    EXPECT_GE(n, 62u);
    EXPECT_LE(layout->data_offset + layout->data_size, n);
  }
}

TEST(CdgStream, WritesSlotsUpToLastPackLoweredToTheBufferWithEmptySlotsAsZeros) {
  struct Case { std::int64_t last_slot, last_pack; int every; std::int64_t written; };
  for (Case c : {Case{99, 10, 3, 10}, {49, 500, 1, 49}}) {
    auto run = Run_With_Packs(c.last_slot, c.last_pack, c.every);
    std::string out;
    Cdg_Stream(*run, [&](std::span<const std::uint8_t> b) { out.append(b.begin(), b.end()); });
    EXPECT_EQ(run->Last_Pack, c.written);
    ASSERT_EQ(out.size(), static_cast<std::size_t>(c.written + 1) * 24);
    for (std::int64_t s = 0; s <= c.written; ++s)
      EXPECT_EQ(out.substr(s * 24, 24), s % c.every == 0 ? Pack_Bytes(s) : std::string(24, '\0')) << s;
  }
}

// Each sector holds the next 2352 bytes of silence-then-audio (zeros when blank) and the packs of
// its four slots (zeros past the last pack or the buffer); a trailing partial sector is dropped.
TEST(BinStream, SectorsInterleaveSilenceAudioAndTheirFourPacks) {
  struct Case {
    std::size_t audio_bytes;
    std::int64_t silence_packs;
    bool blank;
    std::int64_t last_slot, last_pack;
    std::size_t sectors;
  };
  const Case cases[] = {
      {5 * 2352, 0, false, 999, 999, 5},
      {2 * 2352, 300, false, 999, 999, 77},        // one second of silence in whole sectors
      {3 * 2352, 301, false, 999, 999, 78},        // a partial silence sector takes audio
      {3 * 2352, 0, true, 999, 999, 3},            // blank audio keeps the packs
      {2 * 2352 + 2351, 0, false, 999, 999, 2},
      {100, 0, false, 999, 999, 0},
      {2 * 2352, 0, false, 5, 2, 2},               // packs beyond the last one are zero
      {0, 40, false, 999, 999, 0},                 // no audio, no sectors, whatever the silence
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.audio_bytes) + " bytes after " + std::to_string(c.silence_packs));
    auto run = Run_With_Packs(c.last_slot, c.last_pack);
    run->Settings.intro_silence_packs = c.silence_packs;
    run->Settings.Blank_Audio = c.blank;
    const std::string audio = Audio_Bytes(c.audio_bytes);
    std::string image;
    Bin_Stream(*run, Bytes(audio), [&](std::span<const std::uint8_t> b) { image.append(b.begin(), b.end()); });
    ASSERT_EQ(image.size(), c.sectors * Sector_Bytes);
    const std::string heard = std::string(static_cast<std::size_t>(c.silence_packs) * 588, '\0') + audio;
    for (std::size_t n = 0; n < c.sectors; ++n) {
      EXPECT_EQ(image.substr(n * Sector_Bytes, 2352),
                c.blank ? std::string(2352, '\0') : heard.substr(n * 2352, 2352)) << n;
      std::string packs;
      for (std::int64_t s = 4 * static_cast<std::int64_t>(n); s < 4 * static_cast<std::int64_t>(n) + 4; ++s)
        packs += s <= std::min(c.last_pack, c.last_slot) ? Pack_Bytes(s) : std::string(24, '\0');
      EXPECT_EQ(image.substr(n * Sector_Bytes + 2352, 96), packs) << n;
    }
    if (c.sectors > 0) { EXPECT_EQ(run->Pack_Pointer, 4 * static_cast<std::int64_t>(c.sectors)); }
  }
}

bool Only_File_Left(const Temp_Dir& dir, const std::string& name) {
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path)) {
    ++count;
    if (entry.path().filename() != name) return false;
  }
  return count == 1;
}

TEST(OutputFiles, FilesReplaceAnOlderOneAndLeaveNoTemporaryFile) {
  struct Case {
    bool bin;
    std::string audio;
    std::uint32_t list_bytes;  ///< a chunk before the audio; 3 MiB is larger than one read
    std::int64_t silence_packs;
    std::size_t sectors;
  };
  for (const Case& c : {Case{false, "", 0, 0, 0}, {true, Audio_Bytes(2 * 2352), 0, 0, 2},
                        {true, Audio_Bytes(2 * 2352), 3 << 20, 0, 2}, {true, Audio_Bytes(1176), 0, 2, 1}}) {
    SCOPED_TRACE(c.sectors);
    Temp_Dir wav_dir, dir;
    const std::string path = dir.File("song.out"), wav = wav_dir.File("in.wav");
    Write_File(path, "old contents");
    Write_File(wav, Wav_File(c.audio, c.list_bytes));
    auto run = Run_With_Packs(99, 99);
    run->Settings.intro_silence_packs = c.silence_packs;
    Output_Error error;
    ASSERT_TRUE(c.bin ? Write_Bin_File(*run, wav, path, error) : Write_Cdg_File(*run, path, error))
        << error.description;
    std::string image = Read_File(path);
    EXPECT_TRUE(Only_File_Left(dir, "song.out"));
    if (!c.bin) {
      EXPECT_EQ(image.size(), 100u * 24);
      EXPECT_EQ(image.substr(99 * 24), Pack_Bytes(99));
      continue;
    }
    ASSERT_EQ(image.size(), c.sectors * Sector_Bytes);
    const std::string heard = std::string(static_cast<std::size_t>(c.silence_packs) * 588, '\0') + c.audio;
    EXPECT_EQ(image.substr((c.sectors - 1) * Sector_Bytes, 2352), heard.substr((c.sectors - 1) * 2352, 2352));
  }
  // A real file's audio starts after its 44-byte header.
  Temp_Dir dir;
  std::string wav = Test_Data("cdg/wav/three_sectors_and_a_bit.wav");
  auto run = Run_With_Packs(99, 99);
  Output_Error error;
  ASSERT_TRUE(Write_Bin_File(*run, wav, dir.File("song.bin"), error)) << error.description;
  EXPECT_EQ(Read_File(dir.File("song.bin")).substr(2 * Sector_Bytes, 2352), Read_File(wav).substr(44 + 2 * 2352, 2352));
}

// Every refusal names its reason and leaves the old image (or no file) where it was.
TEST(OutputFiles, RefusalsKeepTheOldImageAndSayWhy) {
  enum Wav_Kind { No_Wav, Fixture, Written, Folder, Missing };
  struct Case {
    Wav_Kind wav_kind;
    std::string wav;     ///< a fixture's name or the written file's bytes
    std::string target;  ///< "song.bin" holds an old image; "fifo" and "folder" are made as such
    std::int64_t silence_packs;
    Output_Error::Kind kind;
    std::string says;    ///< part of the description; "@" stands for the target's path
  };
  const Case cases[] = {
      {Fixture, "not_riff.wav", "song.bin", 0, Output_Error::Bad_Wav, "not_riff.wav"},
      {Fixture, "no_data_chunk.wav", "song.bin", 0, Output_Error::Bad_Wav, "no_data_chunk.wav"},
      {Fixture, "truncated_header.wav", "song.bin", 0, Output_Error::Bad_Wav, "truncated_header.wav"},
      {Fixture, "chunk_past_end.wav", "song.bin", 0, Output_Error::Bad_Wav, "chunk_past_end.wav"},
      // Two packs of silence leave 1176 bytes of the first sector for audio.
      {Written, "", "song.bin", 0, Output_Error::Bad_Wav, "do not fill one sector"},
      {Written, Audio_Bytes(2351), "song.bin", 0, Output_Error::Bad_Wav, "do not fill one sector"},
      {Written, Audio_Bytes(1175), "song.bin", 2, Output_Error::Bad_Wav, "do not fill one sector"},
      {Folder, "", "song.bin", 0, Output_Error::Bad_Wav, "it is a directory, not a regular file"},
      {Missing, "", "song.bin", 0, Output_Error::Access, "gone.wav"},
      {No_Wav, "", "plain/song.cdg", 0, Output_Error::Access, "plain/song.cdg': Not a directory"},
      {No_Wav, "", "fifo", 0, Output_Error::Cannot_Write,
       "Cannot replace '@': it is a FIFO, not a regular file"},
      {No_Wav, "", "folder", 0, Output_Error::Cannot_Write,
       "Cannot replace '@': it is a directory, not a regular file"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.says);
    Temp_Dir wav_dir, dir;
    const std::string path = dir.File(c.target);
    std::string wav = wav_dir.File("gone.wav");
    if (c.wav_kind == Fixture) wav = Test_Data("cdg/wav/" + c.wav);
    if (c.wav_kind == Written) Write_File(wav, Wav_File(c.wav));
    if (c.wav_kind == Folder) std::filesystem::create_directory(wav);
    if (c.target == "song.bin") Write_File(path, "a good image");
    if (c.target == "fifo") { ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0); }
    if (c.target == "folder") std::filesystem::create_directory(path);
    if (c.target.starts_with("plain")) Write_File(dir.File("plain"), "x");
    auto run = Run_With_Packs(99, 99);
    run->Settings.intro_silence_packs = c.silence_packs;
    Output_Error error;
    EXPECT_FALSE(c.wav_kind == No_Wav ? Write_Cdg_File(*run, path, error)
                                      : Write_Bin_File(*run, wav, path, error));
    EXPECT_EQ(error.kind, c.kind);
    std::string says = c.says;
    if (auto at = says.find('@'); at != std::string::npos) says.replace(at, 1, path);
    EXPECT_NE(error.description.find(says), std::string::npos) << error.description;
    if (c.target == "song.bin") { EXPECT_EQ(Read_File(path), "a good image"); }
    EXPECT_TRUE(Only_File_Left(dir, c.target.substr(0, c.target.find('/'))));
  }
}

}  // namespace
}  // namespace lyricanvas
