#pragma once
// The ffmpeg command as an independent CD+G decoder for the tests: it was written by others, so
// agreeing with it means our streams play as other players show them.
#include <cstdint>
#include <string>
#include <vector>

namespace lyricanvas::testing {

constexpr int Ffmpeg_Frame_Width = 300;  ///< whole display, border included
constexpr int Ffmpeg_Frame_Height = 216;
constexpr std::size_t Ffmpeg_Frame_Bytes = Ffmpeg_Frame_Width * Ffmpeg_Frame_Height * 3;

bool Have_Ffmpeg();

/// The rgb24 frames showing the state after each of the given packs (ascending, distinct), in
/// one run of ffmpeg. On trouble, fewer frames come back and error says what ffmpeg said.
std::vector<std::string> Ffmpeg_Frames(const std::string& cdg_path,
                                       const std::vector<std::int64_t>& packs,
                                       std::string* error = nullptr);

}  // namespace lyricanvas::testing
