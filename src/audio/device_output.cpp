#include "audio/device_output.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QMediaDevices>

#include "timing/audio_player.h"

namespace lyricanvas {

namespace {

constexpr int Frame_Bytes = Audio_Channels * 2;

}  // namespace

Sink_Feed::Sink_Feed(Frame_Source source) : source_(std::move(source)) {}

qint64 Sink_Feed::bytesAvailable() const { return 16384 + QIODevice::bytesAvailable(); }

qint64 Sink_Feed::readData(char* data, qint64 max_size) {
  qint64 frames = max_size / Frame_Bytes;
  source_(std::span(reinterpret_cast<std::int16_t*>(data), static_cast<std::size_t>(frames) * Audio_Channels));
  return frames * Frame_Bytes;
}

Device_Output::Device_Output(Frame_Source source) : feed_(std::move(source)) {
  QAudioDevice device = QMediaDevices::defaultAudioOutput();
  if (device.isNull()) return;
  QAudioFormat format;
  format.setSampleRate(Audio_Sample_Rate);
  format.setChannelCount(Audio_Channels);
  format.setSampleFormat(QAudioFormat::Int16);
  if (!device.isFormatSupported(format)) return;
  sink_ = std::make_unique<QAudioSink>(device, format);
  // A short buffer keeps the clock close to what is heard and seeks quick.
  sink_->setBufferSize(Audio_Sample_Rate / 10 * Frame_Bytes);
  feed_.open(QIODevice::ReadOnly);
}

Device_Output::~Device_Output() {
  if (sink_) sink_->stop();
}

void Device_Output::Start() {
  if (sink_) sink_->start(&feed_);
}

void Device_Output::Stop() {
  if (sink_) sink_->stop();
}

std::int64_t Device_Output::Buffered_Frames() const {
  if (!sink_ || sink_->state() == QAudio::StoppedState) return 0;
  return std::max<qint64>(0, sink_->bufferSize() - sink_->bytesFree()) / Frame_Bytes;
}

}  // namespace lyricanvas
