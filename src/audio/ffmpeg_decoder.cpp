#include "audio/ffmpeg_decoder.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

namespace lyricanvas {

struct Audio_Decoder {
  AVFormatContext* format = nullptr;
  AVIOContext* io = nullptr;  ///< reads `bytes` when decoding from memory
  std::span<const std::uint8_t> bytes;
  std::int64_t offset = 0;
  AVCodecContext* codec = nullptr;
  int stream = -1;

  // The resampler, set up for the format of the frames met so far.
  SwrContext* swr = nullptr;
  int in_format = -1;
  int in_rate = 0;
  AVChannelLayout in_layout{};

  ~Audio_Decoder() {
    swr_free(&swr);
    av_channel_layout_uninit(&in_layout);
    avcodec_free_context(&codec);
    avformat_close_input(&format);
    if (io != nullptr) {
      av_freep(&io->buffer);
      avio_context_free(&io);
    }
  }
};

void Audio_Decoder_Deleter::operator()(Audio_Decoder* decoder) const { delete decoder; }

namespace {

constexpr int Io_Buffer_Size = 64 * 1024;

Audio_Error Av_Error(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return {code, text};
}

void Quiet_Ffmpeg() {
  static std::once_flag once;
  std::call_once(once, [] { av_log_set_level(AV_LOG_QUIET); });
}

int Read_Memory(void* opaque, std::uint8_t* buffer, int size) {
  auto& d = *static_cast<Audio_Decoder*>(opaque);
  std::int64_t left = static_cast<std::int64_t>(d.bytes.size()) - d.offset;
  if (left <= 0) return AVERROR_EOF;
  int count = static_cast<int>(std::min<std::int64_t>(size, left));
  std::memcpy(buffer, d.bytes.data() + d.offset, static_cast<std::size_t>(count));
  d.offset += count;
  return count;
}

std::int64_t Seek_Memory(void* opaque, std::int64_t offset, int whence) {
  auto& d = *static_cast<Audio_Decoder*>(opaque);
  auto size = static_cast<std::int64_t>(d.bytes.size());
  if (whence & AVSEEK_SIZE) return size;
  whence &= ~AVSEEK_FORCE;
  std::int64_t base = whence == SEEK_CUR ? d.offset : whence == SEEK_END ? size : 0;
  if (whence != SEEK_SET && whence != SEEK_CUR && whence != SEEK_END) return AVERROR(EINVAL);
  if (offset < -base || offset > size - base) return AVERROR(EINVAL);
  d.offset = base + offset;
  return d.offset;
}

/// Opens the container. Only `protocols` may be used to reach what a playlist names inside it,
/// so a song file can never make the decoder fetch from the network.
int Open_Container(Audio_Decoder& d, const char* url, const char* protocols) {
  AVDictionary* options = nullptr;
  av_dict_set(&options, "protocol_whitelist", protocols, 0);
  int rc = avformat_open_input(&d.format, url, nullptr, &options);
  av_dict_free(&options);
  return rc;
}

/// After the container is open: the best audio stream and its decoder.
Audio_Decoder_Ptr Open_Stream(Audio_Decoder_Ptr d, Audio_Error& error) {
  int rc = avformat_find_stream_info(d->format, nullptr);
  const AVCodec* codec = nullptr;
  if (rc >= 0) rc = av_find_best_stream(d->format, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
  if (rc < 0) {
    error = Av_Error(rc);
    return nullptr;
  }
  d->stream = rc;
  d->codec = avcodec_alloc_context3(codec);
  if (d->codec == nullptr) rc = AVERROR(ENOMEM);
  if (rc >= 0) rc = avcodec_parameters_to_context(d->codec, d->format->streams[d->stream]->codecpar);
  if (rc >= 0) rc = avcodec_open2(d->codec, codec, nullptr);
  if (rc < 0) {
    error = Av_Error(rc);
    return nullptr;
  }
  return d;
}

/// Sets the resampler up for a frame's format; false when the frame cannot be converted.
bool Configure(Audio_Decoder& d, const AVFrame& frame) {
  if (d.swr != nullptr && frame.format == d.in_format && frame.sample_rate == d.in_rate &&
      av_channel_layout_compare(&frame.ch_layout, &d.in_layout) == 0)
    return true;
  swr_free(&d.swr);
  av_channel_layout_uninit(&d.in_layout);
  d.in_format = frame.format;
  d.in_rate = frame.sample_rate;
  if (av_channel_layout_copy(&d.in_layout, &frame.ch_layout) < 0) return false;
  int channels = frame.ch_layout.nb_channels;
  if (channels <= 0 || frame.sample_rate <= 0 || frame.format < 0) return false;
  AVChannelLayout in{};
  if (frame.ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
    av_channel_layout_default(&in, channels);
  else
    av_channel_layout_copy(&in, &frame.ch_layout);
  AVChannelLayout out = AV_CHANNEL_LAYOUT_STEREO;
  int rc = swr_alloc_set_opts2(&d.swr, &out, AV_SAMPLE_FMT_S16, Audio_Sample_Rate, &in,
                               static_cast<AVSampleFormat>(frame.format), frame.sample_rate, 0,
                               nullptr);
  av_channel_layout_uninit(&in);
  if (rc < 0 || swr_init(d.swr) < 0) {
    swr_free(&d.swr);
    return false;
  }
  return true;
}

/// Resamples a frame (or, with none, what the resampler still holds) into the song; false once
/// the song is full.
bool Convert(Audio_Decoder& d, const AVFrame* frame, Pcm_Buffer& pcm, std::vector<std::int16_t>& out) {
  if (frame != nullptr && !Configure(d, *frame)) return true;
  if (d.swr == nullptr) return true;
  int in_count = frame != nullptr ? frame->nb_samples : 0;
  int capacity = swr_get_out_samples(d.swr, in_count);
  if (capacity <= 0) return true;
  out.resize(static_cast<std::size_t>(capacity) * Audio_Channels);
  auto* target = reinterpret_cast<std::uint8_t*>(out.data());
  int count = swr_convert(d.swr, &target, capacity,
                          frame != nullptr ? const_cast<const std::uint8_t**>(frame->extended_data) : nullptr,
                          in_count);
  if (count <= 0) return true;
  return pcm.Append({out.data(), static_cast<std::size_t>(count) * Audio_Channels});
}

/// Takes every frame the decoder has ready; false once the song is full.
bool Receive(Audio_Decoder& d, AVFrame* frame, Pcm_Buffer& pcm, std::vector<std::int16_t>& out) {
  while (avcodec_receive_frame(d.codec, frame) == 0) {
    bool room = Convert(d, frame, pcm, out);
    av_frame_unref(frame);
    if (!room) return false;
  }
  return true;
}

}  // namespace

Audio_Decoder_Ptr Open_Audio_Decoder(const std::string& path, Audio_Error& error) {
  Quiet_Ffmpeg();
  Audio_Decoder_Ptr d(new Audio_Decoder);
  int rc = Open_Container(*d, path.c_str(), "file");
  if (rc < 0) {
    error = Av_Error(rc);
    return nullptr;
  }
  return Open_Stream(std::move(d), error);
}

Audio_Decoder_Ptr Open_Audio_Decoder(std::span<const std::uint8_t> bytes, Audio_Error& error) {
  Quiet_Ffmpeg();
  Audio_Decoder_Ptr d(new Audio_Decoder);
  d->bytes = bytes;
  auto* buffer = static_cast<std::uint8_t*>(av_malloc(Io_Buffer_Size));
  d->io = buffer != nullptr ? avio_alloc_context(buffer, Io_Buffer_Size, 0, d.get(), Read_Memory,
                                                 nullptr, Seek_Memory)
                            : nullptr;
  d->format = avformat_alloc_context();
  if (d->io == nullptr || d->format == nullptr) {
    if (d->io == nullptr) av_free(buffer);
    error = Av_Error(AVERROR(ENOMEM));
    return nullptr;
  }
  d->format->pb = d->io;
  int rc = Open_Container(*d, nullptr, "none");
  if (rc < 0) {
    error = Av_Error(rc);
    return nullptr;
  }
  return Open_Stream(std::move(d), error);
}

double Declared_Seconds(const Audio_Decoder& decoder) {
  if (decoder.format->duration > 0 && decoder.format->duration != AV_NOPTS_VALUE)
    return double(decoder.format->duration) / AV_TIME_BASE;
  const AVStream& stream = *decoder.format->streams[decoder.stream];
  if (stream.duration > 0 && stream.duration != AV_NOPTS_VALUE)
    return double(stream.duration) * av_q2d(stream.time_base);
  return 0;
}

void Decode_All(Audio_Decoder& d, Pcm_Buffer& pcm, std::stop_token stop, std::int64_t max_frames) {
  AVPacket* packet = av_packet_alloc();
  AVFrame* frame = av_frame_alloc();
  std::vector<std::int16_t> out;
  bool room = packet != nullptr && frame != nullptr;
  while (room && !stop.stop_requested() && pcm.Frames() < max_frames &&
         av_read_frame(d.format, packet) >= 0) {
    if (packet->stream_index == d.stream && avcodec_send_packet(d.codec, packet) >= 0)
      room = Receive(d, frame, pcm, out);
    av_packet_unref(packet);
  }
  if (room && !stop.stop_requested() && pcm.Frames() < max_frames && avcodec_send_packet(d.codec, nullptr) >= 0 &&
      Receive(d, frame, pcm, out))
    Convert(d, nullptr, pcm, out);
  av_frame_free(&frame);
  av_packet_free(&packet);
  pcm.Finish();
}

}  // namespace lyricanvas
