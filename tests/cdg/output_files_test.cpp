#include "cdg/output_files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <memory>

#include "support/test_support.h"

namespace lyricanvas {
namespace {

using testing::Bytes;
using testing::Le;
using testing::Read_File;
using testing::Temp_Dir;
using testing::Test_Data;
using testing::Write_File;

/// The 24 bytes of a pack that tells its slot in bytes 4..7.
std::string Pack_Bytes(std::int64_t slot) {
  return std::string("\x09\0\0\0", 4) + Le(static_cast<std::uint64_t>(slot), 4) +
         std::string(16, '\0');
}

/// A run with slots 0 .. last_slot, every every-th slot holding its pack.
std::unique_ptr<Creation_Run> Run_With_Packs(std::int64_t last_slot, std::int64_t last_pack,
                                             int every = 1) {
  auto run = std::make_unique<Creation_Run>();
  run->Pack_Buffer.Resize(last_slot);
  for (std::int64_t s = 0; s <= last_slot; s += every) {
    Pack p;
    std::ranges::copy(Pack_Bytes(s), p.begin());
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
  const std::string list =
      list_bytes ? "LIST" + Le(list_bytes, 4) + std::string(list_bytes, 'L') : "";
  const std::string body = "WAVE" + list + "data" + Le(audio.size(), 4) + audio;
  return "RIFF" + Le(body.size(), 4) + body;
}

TEST(WavHeader, FindsTheAudioOrTheReasonItCannot) {
  struct Case {
    const char* file;
    std::int64_t patched_length;  ///< -1: as stored; else written over the plain file's length
    Wav_Layout layout;            ///< {0, 0}: refused with the reason
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
  // Every truncation is refused with a reason or finds audio inside what is left.
  const std::string wav = Read_File(Test_Data("cdg/wav/extended_format_with_metadata.wav"));
  for (std::size_t n = 0; n <= wav.size(); ++n) {
    std::string error;
    const auto layout = Read_Wav_Header(Bytes(wav).first(n), error);
    if (!layout) {
      EXPECT_FALSE(error.empty()) << n;
      continue;
    }
    EXPECT_GE(n, 62u);
    EXPECT_LE(layout->data_offset + layout->data_size, n);
  }
}

bool Only_File_Left(const Temp_Dir& dir, const std::string& name) {
  const auto entries = std::filesystem::directory_iterator(dir.path);
  return std::distance(begin(entries), end(entries)) == 1 &&
         std::filesystem::exists(dir.path / name);
}

// A .cdg holds the slots up to the last pack (lowered to the buffer), empty ones as zeros. Each
// sector of a .bin holds the next 2352 bytes of silence-then-audio (zeros when blank) and the
// packs of its four slots (zeros past the last pack or the buffer); a trailing partial sector is
// dropped. A file replaces an older one and leaves no temporary file behind.
TEST(OutputFiles, ImagesHoldTheirPacksAndAudioAndReplaceAnOlderFile) {
  struct Case {
    std::string wav;  ///< "": a .cdg; else the audio of a written WAV
    std::int64_t silence_packs, last_slot, last_pack;
    int every;  ///< every every-th slot holds a pack
    std::size_t packs_or_sectors;
    bool blank = false;
    std::uint32_t list_bytes = 0;  ///< a chunk before the audio; 3 MiB is more than one read
  };
  const Case cases[] = {
      {"", 0, 99, 10, 3, 11},
      {"", 0, 49, 500, 1, 50},
      {Audio_Bytes(2 * 2352), 300, 999, 999, 1, 77},  // one second of silence in whole sectors
      {Audio_Bytes(3 * 2352), 301, 999, 999, 1, 78},  // a partial silence sector takes audio
      {Audio_Bytes(3 * 2352), 0, 999, 999, 1, 3, true},
      {Audio_Bytes(2 * 2352 + 2351), 0, 999, 999, 1, 2},
      {Audio_Bytes(2 * 2352), 0, 5, 2, 1, 2},
      {Audio_Bytes(1176), 2, 99, 99, 1, 1},
      {Audio_Bytes(2 * 2352), 0, 99, 99, 1, 2, false, 3 << 20},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(&c - cases);
    Temp_Dir wav_dir, dir;
    const std::string path = dir.File("song.out");
    const std::string wav = wav_dir.File("in.wav");
    Write_File(wav, Wav_File(c.wav, c.list_bytes));
    Write_File(path, "old contents");
    auto run = Run_With_Packs(c.last_slot, c.last_pack, c.every);
    run->Settings.intro_silence_packs = c.silence_packs;
    run->Settings.Blank_Audio = c.blank;
    Output_Error error;
    ASSERT_TRUE(c.wav.empty() ? Write_Cdg_File(*run, path, error)
                              : Write_Bin_File(*run, wav, path, error))
        << error.description;
    EXPECT_TRUE(Only_File_Left(dir, "song.out"));
    const std::string image = Read_File(path);
    const std::int64_t last = std::min(c.last_pack, c.last_slot);
    auto slot = [&](std::int64_t s) {
      return s <= last && s % c.every == 0 ? Pack_Bytes(s) : std::string(24, '\0');
    };
    if (c.wav.empty()) {
      ASSERT_EQ(image.size(), c.packs_or_sectors * 24);
      EXPECT_EQ(run->Last_Pack, last);
      for (std::int64_t s = 0; s <= last; ++s) EXPECT_EQ(image.substr(s * 24, 24), slot(s)) << s;
      continue;
    }
    ASSERT_EQ(image.size(), c.packs_or_sectors * Sector_Bytes);
    EXPECT_EQ(run->Pack_Pointer, 4 * static_cast<std::int64_t>(c.packs_or_sectors));
    // Each pack of silence before the audio is 588 bytes.
    const std::string heard =
        std::string(static_cast<std::size_t>(c.silence_packs) * 588, '\0') + c.wav;
    for (std::size_t n = 0; n < c.packs_or_sectors; ++n) {
      const std::string sector = image.substr(n * Sector_Bytes, Sector_Bytes);
      EXPECT_EQ(sector.substr(0, 2352),
                c.blank ? std::string(2352, '\0') : heard.substr(n * 2352, 2352))
          << n;
      const auto s = 4 * static_cast<std::int64_t>(n);
      EXPECT_EQ(sector.substr(2352), slot(s) + slot(s + 1) + slot(s + 2) + slot(s + 3)) << n;
    }
  }
}

// Every refusal names its reason and leaves the old image (or no file) where it was. (The
// click's tests take a WAV that is no RIFF file and a target that is a folder.)
TEST(OutputFiles, RefusalsKeepTheOldImageAndSayWhy) {
  enum Wav_Kind { No_Wav, Written, Folder, Missing };
  struct Case {
    Wav_Kind wav_kind;
    std::string wav;     ///< the written file's bytes
    std::string target;  ///< "song.bin" holds an old image; "fifo" is made as such
    std::int64_t silence_packs;
    Output_Error::Kind kind;
    std::string says;  ///< part of the description
  };
  const Case cases[] = {
      // Two packs of silence leave 1176 bytes of the first sector for audio.
      {Written, Audio_Bytes(2351), "song.bin", 0, Output_Error::Bad_Wav, "do not fill one sector"},
      {Written, Audio_Bytes(1175), "song.bin", 2, Output_Error::Bad_Wav, "do not fill one sector"},
      {Folder, "", "song.bin", 0, Output_Error::Bad_Wav, "it is a directory, not a regular file"},
      {Missing, "", "song.bin", 0, Output_Error::Access, "gone.wav"},
      {No_Wav, "", "fifo", 0, Output_Error::Cannot_Write,
       "fifo': it is a FIFO, not a regular file"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.says);
    Temp_Dir wav_dir, dir;
    const std::string path = dir.File(c.target);
    std::string wav = wav_dir.File("gone.wav");
    if (c.wav_kind == Written) Write_File(wav, Wav_File(c.wav));
    if (c.wav_kind == Folder) std::filesystem::create_directory(wav);
    if (c.target == "song.bin") Write_File(path, "a good image");
    ASSERT_TRUE(c.target != "fifo" || ::mkfifo(path.c_str(), 0600) == 0);
    auto run = Run_With_Packs(99, 99);
    run->Settings.intro_silence_packs = c.silence_packs;
    Output_Error error;
    EXPECT_FALSE(c.wav_kind == No_Wav ? Write_Cdg_File(*run, path, error)
                                      : Write_Bin_File(*run, wav, path, error));
    EXPECT_EQ(error.kind, c.kind);
    EXPECT_NE(error.description.find(c.says), std::string::npos) << error.description;
    if (c.target == "song.bin") EXPECT_EQ(Read_File(path), "a good image");
    EXPECT_TRUE(Only_File_Left(dir, c.target));
  }
}

}  // namespace
}  // namespace lyricanvas
