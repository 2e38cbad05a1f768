#pragma once
// The output files: the .cdg pack stream and the .bin CD image with the WAV's audio. Files are
// written through Atomic_File and take their place only when complete, so a failed or killed
// run never leaves a truncated file where a good one stood.
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

#include "cdg/run_state.h"

namespace lyricanvas {

constexpr std::size_t Sector_Audio_Bytes = 2352;  ///< 588 stereo frames of 16 bits, 1/75 s
constexpr int Packs_Per_Sector = 4;
constexpr std::size_t Sector_Bytes = Sector_Audio_Bytes + Packs_Per_Sector * 24;  ///< 2448
constexpr double Wav_Bytes_Per_Second = 176400;  ///< 44 100 frames of 4 bytes

/// Where the audio of a WAV file lies.
struct Wav_Layout {
  std::size_t data_offset = 0;  ///< the byte after the "data" chunk header
  std::size_t data_size = 0;    ///< bytes of audio from data_offset on
  bool operator==(const Wav_Layout&) const = default;
};

/// Up to count bytes of a file from offset on; fewer only at its end.
using Byte_Reader = std::function<std::string(std::uint64_t offset, std::size_t count)>;

/// Reads the RIFF header and the chunk headers up to "data" (other chunks are skipped by their
/// length) of a file of `size` bytes. A file that is not RIFF WAVE, is truncated, has a chunk
/// running past its end or has no "data" chunk gives std::nullopt and the reason in error. The
/// sample format is not checked: the audio is taken to be 44.1 kHz, 2 channels, 16 bit.
std::optional<Wav_Layout> Read_Wav_Header(const Byte_Reader& read, std::uint64_t size,
                                          std::string& error);
std::optional<Wav_Layout> Read_Wav_Header(std::span<const std::uint8_t> bytes, std::string& error);

/// A failure to write an output file.
struct Output_Error {
  enum Kind {
    None,
    Bad_Wav,        ///< the WAV input cannot be used; description says why
    Bad_Name,       ///< the output's name or volume is not usable
    Access,         ///< a path is missing
    Cannot_Write,   ///< the target or its disk refuses the file (read-only, full, not a
                    ///< regular file, no permission); description says why
    Other           ///< anything else the system reports (I/O error, ...)
  };
  Kind kind = None;
  std::string description;  ///< names the file and gives the system's reason
};

/// Receives the bytes of an output file in order.
using Byte_Sink = std::function<void(std::span<const std::uint8_t>)>;
/// Fills `into` with the next audio bytes and returns how many; fewer only at the end.
using Audio_Source = std::function<std::size_t(std::span<std::uint8_t> into)>;

/// The .cdg stream: slots 0 .. Last_Pack, an empty slot as 24 zero bytes. Last_Pack is first
/// lowered to the buffer's last slot.
void Cdg_Stream(Creation_Run& run, const Byte_Sink& sink);

/// The .bin image: 2448-byte sectors of 2352 audio bytes and the four packs of that 1/75 s.
/// The introductory silence precedes the audio in whole and partial sectors; with
/// Settings.Blank_Audio every audio part is zero. The image ends with the last whole sector of
/// audio. Leaves Pack_Pointer after the last sector's packs.
void Bin_Stream(Creation_Run& run, const Audio_Source& audio, const Byte_Sink& sink);
void Bin_Stream(Creation_Run& run, std::span<const std::uint8_t> audio, const Byte_Sink& sink);

bool Write_Cdg_File(Creation_Run& run, const std::string& path, Output_Error& error);
/// The audio is read as it is written, never whole. A WAV too short for one sector of the image
/// is refused (Bad_Wav) and nothing is written.
bool Write_Bin_File(Creation_Run& run, const std::string& wav_path, const std::string& path,
                    Output_Error& error);

}  // namespace lyricanvas
