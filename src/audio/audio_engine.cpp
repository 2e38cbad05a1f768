#include "audio/audio_engine.h"

#include <QCoreApplication>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <thread>
#include <vector>

#include "audio/device_output.h"
#include "audio/ffmpeg_decoder.h"
#include "audio/midi_renderer.h"
#include "audio/playback_stream.h"

namespace lyricanvas {

namespace {

constexpr std::size_t Silent_Chunk_Frames = 8192;
constexpr std::streamsize Max_Midi_Bytes = 64 * 1024 * 1024;

/// The first `limit` bytes of a file (fewer when it is shorter).
std::vector<std::uint8_t> Read_Head(const std::string& path, std::streamsize limit) {
  std::error_code failed;
  auto size = static_cast<std::streamsize>(std::filesystem::file_size(path, failed));
  std::ifstream file(path, std::ios::binary);
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(failed ? 0 : std::min(size, limit)));
  file.read(reinterpret_cast<char*>(bytes.data()), limit);
  bytes.resize(static_cast<std::size_t>(std::max<std::streamsize>(file.gcount(), 0)));
  return bytes;
}

}  // namespace

struct Audio_Engine::State {
  Steady_Clock now;
  mutable std::recursive_mutex mutex;
  std::shared_ptr<Pcm_Buffer> pcm;
  std::unique_ptr<Playback_Stream> stream;
  std::jthread worker;
  std::unique_ptr<Device_Output> device;
  bool running = false;
  double rate = 1;
  // The silent output takes frames for the steady-clock time passed since it last took some.
  double last_take = 0;
  double carry = 0;
  std::vector<std::int16_t> scratch = std::vector<std::int16_t>(Silent_Chunk_Frames * Audio_Channels);

  void Feed_Device(std::span<std::int16_t> out) {
    std::lock_guard lock(mutex);
    if (stream && running)
      stream->Pull(out);
    else
      std::fill(out.begin(), out.end(), std::int16_t{0});
  }

  void Catch_Up() {
    if (!running || device || !stream) return;
    double t = now();
    double due = (t - last_take) * Audio_Sample_Rate + carry;
    last_take = t;
    auto frames = static_cast<std::int64_t>(std::floor(std::max(due, 0.0)));
    carry = std::max(due, 0.0) - double(frames);
    while (frames > 0 && !stream->Drained()) {
      auto chunk = std::min<std::int64_t>(frames, Silent_Chunk_Frames);
      stream->Pull(std::span(scratch).first(static_cast<std::size_t>(chunk) * Audio_Channels));
      frames -= chunk;
    }
  }

  std::int64_t Buffered() const { return device ? device->Buffered_Frames() : 0; }

  double Position() {
    if (!stream) return 0;
    Catch_Up();
    return std::min(stream->Position(Buffered()), pcm->Duration());
  }

  /// Plays on from `seconds` at the current rate; the output starts afresh.
  void Restart(double seconds) {
    if (running && device) device->Stop();
    stream->Start_Segment(seconds, rate);
    last_take = now();
    carry = 0;
    if (running && device) device->Start();
  }
};

Audio_Engine::Audio_Engine(Audio_Output output, Steady_Clock now) : state_(std::make_unique<State>()) {
  state_->now = std::move(now);
  if (output == Audio_Output::Automatic && QCoreApplication::instance() != nullptr) {
    State* state = state_.get();
    state_->device = std::make_unique<Device_Output>([state](std::span<std::int16_t> out) { state->Feed_Device(out); });
    if (!state_->device->Usable()) state_->device.reset();
  }
}

Audio_Engine::~Audio_Engine() { Close(); }

bool Audio_Engine::Open(const std::string& path, Audio_Error& error) {
  Close();
  auto pcm = std::make_shared<Pcm_Buffer>();
  std::vector<std::uint8_t> head = Read_Head(path, 4);
  std::jthread worker;
  if (Is_Midi(head)) {
    Midi_Renderer_Ptr renderer = Open_Midi_Renderer(Read_Head(path, Max_Midi_Bytes), error);
    if (!renderer) return false;
    worker = std::jthread([renderer = std::move(renderer), pcm](std::stop_token stop) {
      Render_All(*renderer, *pcm, stop);
    });
  } else {
    Audio_Decoder_Ptr decoder = Open_Audio_Decoder(path, error);
    if (!decoder) return false;
    pcm->Expect_Seconds(Declared_Seconds(*decoder));
    worker = std::jthread([decoder = std::move(decoder), pcm](std::stop_token stop) {
      Decode_All(*decoder, *pcm, stop);
    });
  }
  std::lock_guard lock(state_->mutex);
  state_->pcm = pcm;
  state_->stream = std::make_unique<Playback_Stream>(pcm);
  state_->worker = std::move(worker);
  state_->Restart(0);
  return true;
}

void Audio_Engine::Close() {
  Stop();
  std::jthread worker;
  {
    std::lock_guard lock(state_->mutex);
    worker = std::move(state_->worker);
    state_->stream.reset();
    state_->pcm.reset();
  }
}

bool Audio_Engine::Is_Open() const {
  std::lock_guard lock(state_->mutex);
  return state_->stream != nullptr;
}

void Audio_Engine::Run() {
  std::lock_guard lock(state_->mutex);
  if (!state_->stream || state_->running) return;
  double position = state_->Position();
  state_->running = true;
  state_->Restart(position);
}

void Audio_Engine::Stop() {
  std::lock_guard lock(state_->mutex);
  if (!state_->stream || !state_->running) return;
  double position = state_->Position();
  if (state_->device) state_->device->Stop();
  state_->running = false;
  state_->Restart(position);
}

bool Audio_Engine::Is_Running() const {
  std::lock_guard lock(state_->mutex);
  if (!state_->stream || !state_->running) return false;
  state_->Catch_Up();
  return !state_->stream->All_Heard(state_->Buffered());
}

double Audio_Engine::Duration() const {
  std::lock_guard lock(state_->mutex);
  return state_->pcm ? state_->pcm->Duration() : 0;
}

double Audio_Engine::Position() const {
  std::lock_guard lock(state_->mutex);
  return state_->Position();
}

void Audio_Engine::Set_Position(double seconds) {
  std::lock_guard lock(state_->mutex);
  if (!state_->stream) return;
  state_->Restart(std::clamp(seconds, 0.0, state_->pcm->Duration()));
}

double Audio_Engine::Rate() const {
  std::lock_guard lock(state_->mutex);
  return state_->rate;
}

void Audio_Engine::Set_Rate(double rate) {
  std::lock_guard lock(state_->mutex);
  if (!(rate > 0) || rate == state_->rate) return;
  double position = state_->Position();
  state_->rate = rate;
  if (state_->stream) state_->Restart(position);
}

std::int64_t Audio_Engine::Decoded_Frames() const {
  std::lock_guard lock(state_->mutex);
  return state_->pcm ? state_->pcm->Frames() : 0;
}

std::int64_t Audio_Engine::Copy_Frames(std::int64_t first, std::span<std::int16_t> out) const {
  std::shared_ptr<const Pcm_Buffer> pcm;
  {
    std::lock_guard lock(state_->mutex);
    pcm = state_->pcm;
  }
  return pcm ? pcm->Copy(first, out) : 0;
}

bool Audio_Engine::Plays_On_Device() const { return state_->device != nullptr; }

bool Audio_Engine::Wait_Decoded(double seconds, double timeout_seconds) const {
  std::shared_ptr<const Pcm_Buffer> pcm;
  {
    std::lock_guard lock(state_->mutex);
    pcm = state_->pcm;
  }
  return pcm && pcm->Wait_For(std::llround(seconds * Audio_Sample_Rate), timeout_seconds);
}

bool Audio_Engine::Decoding_Finished() const {
  std::lock_guard lock(state_->mutex);
  return state_->pcm && state_->pcm->Finished();
}

}  // namespace lyricanvas
