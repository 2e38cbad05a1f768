#pragma once
// Audio files (WAV, MP3, OGG, FLAC, WMA, M4A, ...) decoded with FFmpeg to 44.1 kHz stereo.
// Opening reads the headers at once, so a file that cannot be played is reported before
// anything plays; decoding then runs on a worker thread and fills the song's buffer.
#include <cstdint>
#include <memory>
#include <span>
#include <stop_token>
#include <string>

#include "audio/pcm_buffer.h"
#include "timing/audio_player.h"

namespace lyricanvas {

struct Audio_Decoder;
struct Audio_Decoder_Deleter {
  void operator()(Audio_Decoder* decoder) const;
};
using Audio_Decoder_Ptr = std::unique_ptr<Audio_Decoder, Audio_Decoder_Deleter>;

/// Opens the first audio stream of a file; nothing, with `error` set, when there is none that
/// can be decoded.
Audio_Decoder_Ptr Open_Audio_Decoder(const std::string& path, Audio_Error& error);
/// The same over bytes in memory, which must outlive the decoder.
Audio_Decoder_Ptr Open_Audio_Decoder(std::span<const std::uint8_t> bytes, Audio_Error& error);

/// The length the file declares in seconds, 0 when it does not say.
double Declared_Seconds(const Audio_Decoder& decoder);

/// Decodes to the end, until a stop is requested or `max_frames` are decoded, into `pcm` and
/// then finishes it. Damaged packets are skipped; an unreadable rest ends the song there.
void Decode_All(Audio_Decoder& decoder, Pcm_Buffer& pcm, std::stop_token stop,
                std::int64_t max_frames = Max_Song_Frames);

}  // namespace lyricanvas
