#include "cdg/output_files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

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
Pack Marked_Pack(std::int64_t slot) {
  Pack p{};
  p[0] = 9;
  for (int i = 0; i < 4; ++i) p[4 + i] = static_cast<std::uint8_t>(slot >> (8 * i));
  return p;
}

/// A run with slots 0 .. last_slot, every slot in occupied_every-th position holding its pack.
std::unique_ptr<Creation_Run> Run_With_Packs(std::int64_t last_slot, std::int64_t last_pack,
                                             int occupied_every = 1) {
  auto run = std::make_unique<Creation_Run>();
  run->Pack_Buffer.Resize(last_slot);
  for (std::int64_t s = 0; s <= last_slot; s += occupied_every) run->Pack_Buffer.Put(s, Marked_Pack(s));
  run->Last_Pack = last_pack;
  return run;
}

std::string Collect_Cdg(Creation_Run& run) {
  std::string out;
  Cdg_Stream(run, [&](std::span<const std::uint8_t> b) { out.append(b.begin(), b.end()); });
  return out;
}

std::string Collect_Bin(Creation_Run& run, const std::string& audio) {
  std::string out;
  Bin_Stream(run, Bytes(audio), [&](std::span<const std::uint8_t> b) { out.append(b.begin(), b.end()); });
  return out;
}

std::string Audio_Bytes(std::size_t n) {
  std::string s(n, '\0');
  for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>(1 + i % 251);  // never zero
  return s;
}

std::string Sector_Packs(const std::string& image, std::size_t sector) {
  return image.substr(sector * Sector_Bytes + Sector_Audio_Bytes, 96);
}
std::string Sector_Audio(const std::string& image, std::size_t sector) {
  return image.substr(sector * Sector_Bytes, Sector_Audio_Bytes);
}
std::string Pack_Bytes(std::int64_t slot) {
  Pack p = Marked_Pack(slot);
  return std::string(p.begin(), p.end());
}

// WAV header ----------------------------------------------------------------------------------

TEST(WavHeader, FindsTheAudioOfAPlainFile) {
  std::string wav = Read_File(Test_Data("cdg/wav/three_sectors_and_a_bit.wav"));
  std::string error;
  auto layout = Read_Wav_Header(Bytes(wav), error);
  ASSERT_TRUE(layout) << error;
  EXPECT_EQ(*layout, (Wav_Layout{44, 3 * 2352 + 100}));
}

TEST(WavHeader, SkipsLongFormatAndOddChunksAndStopsAtTheDataLength) {
  std::string wav = Read_File(Test_Data("cdg/wav/extended_format_with_metadata.wav"));
  std::string error;
  auto layout = Read_Wav_Header(Bytes(wav), error);
  ASSERT_TRUE(layout) << error;
  // RIFF 12 + fmt 8+18 + LIST 8+7+1 pad = 54; the data header takes 8 more.
  EXPECT_EQ(layout->data_offset, 62u);
  EXPECT_EQ(layout->data_size, 2u * 2352);  // the trailing metadata chunk is not audio
}

TEST(WavHeader, AnUnsetOrOversizedDataLengthRunsToTheEnd) {
  std::string wav = Read_File(Test_Data("cdg/wav/three_sectors_and_a_bit.wav"));
  std::string error;
  for (std::uint32_t length : {0u, 0xFFFFFFFFu}) {
    for (int i = 0; i < 4; ++i) wav[40 + i] = static_cast<char>(length >> (8 * i));
    auto layout = Read_Wav_Header(Bytes(wav), error);
    ASSERT_TRUE(layout) << error;
    EXPECT_EQ(layout->data_size, wav.size() - 44);
  }
}

TEST(WavHeader, BadFilesAreRefusedWithTheirReason) {
  struct Case {
    const char* file;
    const char* reason;
  };
  for (Case c : {Case{"not_riff.wav", "it is not a RIFF WAVE file"},
                 {"no_data_chunk.wav", "it has no \"data\" chunk"},
                 {"truncated_header.wav", "its chunk \"fmt \" runs past the end of the file"},
                 {"chunk_past_end.wav", "its chunk \"junk\" runs past the end of the file"}}) {
    std::string wav = Read_File(Test_Data(std::string("cdg/wav/") + c.file));
    std::string error;
    EXPECT_FALSE(Read_Wav_Header(Bytes(wav), error)) << c.file;
    EXPECT_EQ(error, c.reason) << c.file;
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

// .cdg stream ---------------------------------------------------------------------------------

TEST(CdgStream, WritesSlotsUpToLastPackWithEmptySlotsAsZeros) {
  auto run = Run_With_Packs(99, 10, 3);
  std::string out = Collect_Cdg(*run);
  ASSERT_EQ(out.size(), 11u * 24);
  for (std::int64_t s = 0; s <= 10; ++s)
    EXPECT_EQ(out.substr(s * 24, 24), s % 3 == 0 ? Pack_Bytes(s) : std::string(24, '\0')) << s;
}

TEST(CdgStream, LastPackIsLoweredToTheBuffer) {
  auto run = Run_With_Packs(49, 500);
  EXPECT_EQ(Collect_Cdg(*run).size(), 50u * 24);
  EXPECT_EQ(run->Last_Pack, 49);
}

// .bin stream ---------------------------------------------------------------------------------

TEST(BinStream, WholeSectorsOfAudioEachCarryTheirFourPacks) {
  auto run = Run_With_Packs(999, 999);
  std::string audio = Audio_Bytes(5 * 2352);
  std::string image = Collect_Bin(*run, audio);
  ASSERT_EQ(image.size(), 5u * 2448);
  for (std::size_t n = 0; n < 5; ++n) {
    EXPECT_EQ(Sector_Audio(image, n), audio.substr(n * 2352, 2352));
    EXPECT_EQ(Sector_Packs(image, n), Pack_Bytes(4 * n) + Pack_Bytes(4 * n + 1) +
                                          Pack_Bytes(4 * n + 2) + Pack_Bytes(4 * n + 3));
  }
  EXPECT_EQ(run->Pack_Pointer, 20);
}

TEST(BinStream, ASilenceOfOneSecondPrecedesTheAudioInWholeSectors) {
  auto run = Run_With_Packs(999, 999);
  run->Settings.intro_silence_packs = 300;
  std::string audio = Audio_Bytes(2 * 2352);
  std::string image = Collect_Bin(*run, audio);
  ASSERT_EQ(image.size(), 77u * 2448);
  for (std::size_t n = 0; n < 75; ++n) EXPECT_EQ(Sector_Audio(image, n), std::string(2352, '\0'));
  EXPECT_EQ(Sector_Audio(image, 75), audio.substr(0, 2352));
  EXPECT_EQ(Sector_Packs(image, 75).substr(0, 24), Pack_Bytes(300));
}

TEST(BinStream, APartialSilenceSectorIsFilledWithTheFirstAudio) {
  auto run = Run_With_Packs(999, 999);
  run->Settings.intro_silence_packs = 301;
  std::string audio = Audio_Bytes(3 * 2352);
  std::string image = Collect_Bin(*run, audio);
  EXPECT_EQ(Sector_Audio(image, 74), std::string(2352, '\0'));
  EXPECT_EQ(Sector_Audio(image, 75), std::string(588, '\0') + audio.substr(0, 1764));
  EXPECT_EQ(Sector_Audio(image, 76), audio.substr(1764, 2352));
  // 3 sectors of audio less the 1764 bytes already placed leave 2 whole sectors and a tail.
  EXPECT_EQ(image.size(), 78u * 2448);
}

TEST(BinStream, BlankAudioZeroesTheAudioButKeepsThePacks) {
  auto run = Run_With_Packs(999, 999);
  std::string audio = Audio_Bytes(3 * 2352);
  std::string image = Collect_Bin(*run, audio);
  auto blank_run = Run_With_Packs(999, 999);
  blank_run->Settings.Blank_Audio = true;
  std::string blank = Collect_Bin(*blank_run, audio);
  ASSERT_EQ(blank.size(), image.size());
  for (std::size_t n = 0; n < 3; ++n) {
    EXPECT_EQ(Sector_Audio(blank, n), std::string(2352, '\0'));
    EXPECT_EQ(Sector_Packs(blank, n), Sector_Packs(image, n));
  }
}

TEST(BinStream, ATrailingPartialSectorEndsTheImage) {
  auto run = Run_With_Packs(999, 999);
  EXPECT_EQ(Collect_Bin(*run, Audio_Bytes(2 * 2352 + 2351)).size(), 2u * 2448);
  auto short_run = Run_With_Packs(999, 999);
  EXPECT_EQ(Collect_Bin(*short_run, Audio_Bytes(100)).size(), 0u);
}

TEST(BinStream, SlotsBeyondLastPackOrTheBufferAreZero) {
  auto run = Run_With_Packs(5, 2);
  std::string image = Collect_Bin(*run, Audio_Bytes(2 * 2352));
  EXPECT_EQ(Sector_Packs(image, 0), Pack_Bytes(0) + Pack_Bytes(1) + Pack_Bytes(2) + std::string(24, '\0'));
  EXPECT_EQ(Sector_Packs(image, 1), std::string(96, '\0'));
}

TEST(BinStream, NoAudioGivesNoSectorsWhateverTheSilence) {
  auto run = Run_With_Packs(999, 999);
  run->Settings.intro_silence_packs = 40;
  EXPECT_EQ(Collect_Bin(*run, "").size(), 0u);
}

// Files ---------------------------------------------------------------------------------------

bool Only_File_Left(const Temp_Dir& dir, const std::string& name) {
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path)) {
    ++count;
    if (entry.path().filename() != name) return false;
  }
  return count == 1;
}

TEST(OutputFiles, CdgFileReplacesAnOlderOneAndLeavesNoTemporaryFile) {
  Temp_Dir dir;
  std::string path = dir.File("song.cdg");
  Write_File(path, "old contents");
  auto run = Run_With_Packs(20, 20);
  Output_Error error;
  ASSERT_TRUE(Write_Cdg_File(*run, path, error)) << error.description;
  EXPECT_EQ(Read_File(path), Collect_Cdg(*run));
  EXPECT_TRUE(Only_File_Left(dir, "song.cdg"));
}

TEST(OutputFiles, BinFileInterleavesTheWavAudio) {
  Temp_Dir dir;
  std::string wav = Test_Data("cdg/wav/three_sectors_and_a_bit.wav");
  auto run = Run_With_Packs(99, 99);
  Output_Error error;
  ASSERT_TRUE(Write_Bin_File(*run, wav, dir.File("song.bin"), error)) << error.description;
  std::string image = Read_File(dir.File("song.bin"));
  ASSERT_EQ(image.size(), 3u * 2448);
  EXPECT_EQ(Sector_Audio(image, 2), Read_File(wav).substr(44 + 2 * 2352, 2352));
}

TEST(OutputFiles, BadWavLeavesAnExistingImageIntact) {
  for (const char* bad : {"not_riff.wav", "no_data_chunk.wav", "truncated_header.wav",
                          "chunk_past_end.wav"}) {
    Temp_Dir dir;
    std::string path = dir.File("song.bin");
    Write_File(path, "a good image");
    auto run = Run_With_Packs(99, 99);
    Output_Error error;
    EXPECT_FALSE(Write_Bin_File(*run, Test_Data(std::string("cdg/wav/") + bad), path, error));
    EXPECT_EQ(error.kind, Output_Error::Bad_Wav);
    EXPECT_NE(error.description.find(bad), std::string::npos) << error.description;
    EXPECT_EQ(Read_File(path), "a good image");
    EXPECT_TRUE(Only_File_Left(dir, "song.bin")) << bad;
  }
}

TEST(OutputFiles, AnUnwritableTargetIsReportedWithItsReason) {
  Temp_Dir dir;
  Write_File(dir.File("plain"), "x");
  auto run = Run_With_Packs(9, 9);
  Output_Error error;
  EXPECT_FALSE(Write_Cdg_File(*run, dir.File("plain/song.cdg"), error));
  EXPECT_EQ(error.kind, Output_Error::Access);
  EXPECT_NE(error.description.find("plain/song.cdg"), std::string::npos);
  EXPECT_NE(error.description.find("Not a directory"), std::string::npos) << error.description;
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

TEST(OutputFiles, AWavTooShortForOneSectorIsRefusedAndTheOldImageKept) {
  struct Case {
    std::size_t audio_bytes;
    std::int64_t silence_packs;
    std::size_t sectors;  ///< 0: refused
  };
  // Two packs of silence leave 1176 bytes of the first sector for audio.
  for (Case c : {Case{0, 0, 0}, {2351, 0, 0}, {1175, 2, 0}, {2352, 0, 1}, {1176, 2, 1}}) {
    SCOPED_TRACE(std::to_string(c.audio_bytes) + " bytes after " + std::to_string(c.silence_packs));
    Temp_Dir dir;
    std::string wav = dir.File("in.wav"), path = dir.File("song.bin");
    Write_File(wav, Wav_File(Audio_Bytes(c.audio_bytes)));
    Write_File(path, "a good image");
    auto run = Run_With_Packs(99, 99);
    run->Settings.intro_silence_packs = c.silence_packs;
    Output_Error error;
    bool written = Write_Bin_File(*run, wav, path, error);
    EXPECT_EQ(written, c.sectors > 0) << error.description;
    if (written) {
      EXPECT_EQ(Read_File(path).size(), c.sectors * Sector_Bytes);
      continue;
    }
    EXPECT_EQ(error.kind, Output_Error::Bad_Wav);
    EXPECT_NE(error.description.find("do not fill one sector"), std::string::npos) << error.description;
    EXPECT_EQ(Read_File(path), "a good image");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path), {}), 2);
  }
}

TEST(OutputFiles, AudioAfterAChunkLargerThanOneReadIsFound) {
  Temp_Dir dir;
  std::string audio = Audio_Bytes(2 * 2352);
  Write_File(dir.File("in.wav"), Wav_File(audio, 3 << 20));
  auto run = Run_With_Packs(99, 99);
  Output_Error error;
  ASSERT_TRUE(Write_Bin_File(*run, dir.File("in.wav"), dir.File("song.bin"), error)) << error.description;
  std::string image = Read_File(dir.File("song.bin"));
  ASSERT_EQ(image.size(), 2 * Sector_Bytes);
  EXPECT_EQ(Sector_Audio(image, 1), audio.substr(2352));
}

TEST(OutputFiles, AWavThatIsNoRegularFileIsRefused) {
  Temp_Dir dir;
  std::filesystem::create_directory(dir.File("in.wav"));
  auto run = Run_With_Packs(9, 9);
  Output_Error error;
  EXPECT_FALSE(Write_Bin_File(*run, dir.File("in.wav"), dir.File("song.bin"), error));
  EXPECT_EQ(error.kind, Output_Error::Bad_Wav);
  EXPECT_NE(error.description.find("it is a directory, not a regular file"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir.File("song.bin")));
}

TEST(OutputFiles, ATargetThatIsNoRegularFileIsRefusedAsSuch) {
  Temp_Dir dir;
  ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0600), 0);
  std::filesystem::create_directory(dir.File("folder"));
  for (const char* name : {"fifo", "folder"}) {
    auto run = Run_With_Packs(9, 9);
    Output_Error error;
    EXPECT_FALSE(Write_Cdg_File(*run, dir.File(name), error));
    EXPECT_EQ(error.kind, Output_Error::Cannot_Write) << name;
    EXPECT_EQ(error.description, "Cannot replace '" + dir.File(name) + "': it is a " +
                                     (name[1] == 'i' ? "FIFO" : "directory") + ", not a regular file");
  }
  EXPECT_TRUE(std::filesystem::is_fifo(dir.File("fifo")));
}

TEST(OutputFiles, AMissingWavIsReported) {
  Temp_Dir dir;
  auto run = Run_With_Packs(9, 9);
  Output_Error error;
  EXPECT_FALSE(Write_Bin_File(*run, dir.File("gone.wav"), dir.File("song.bin"), error));
  EXPECT_EQ(error.kind, Output_Error::Access);
  EXPECT_FALSE(std::filesystem::exists(dir.File("song.bin")));
}

}  // namespace
}  // namespace lyricanvas
