#pragma once
// The output files: the .cdg pack stream and the .bin CD image with the WAV's audio. Files are
// written to a temporary file beside the target and renamed into place only when complete.
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "cdg/run_state.h"

namespace lyricanvas {

/// Where the audio of a WAV file starts: the byte after the "data" chunk header.
struct Wav_Layout {
  std::size_t data_offset = 0;
};

/// Reads the RIFF header, the format chunk and chunk headers up to "data". A file that is not
/// RIFF, is truncated or has no "data" chunk gives std::nullopt and an explanation in error.
std::optional<Wav_Layout> Read_Wav_Header(std::span<const std::uint8_t> bytes, std::string& error);

/// The stream's bytes, slots 0 .. Last_Pack (an empty slot as 24 zero bytes).
std::string Cdg_Bytes(const Creation_Run& run);

bool Write_Cdg_File(Creation_Run& run, const std::string& path, std::string& error);
bool Write_Bin_File(Creation_Run& run, const std::string& wav_path, const std::string& path,
                    std::string& error);

}  // namespace lyricanvas
