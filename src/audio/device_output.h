#pragma once
// The system's sound output: a Qt audio sink that pulls 44.1 kHz stereo 16-bit frames from a
// callback. Lives on the thread that created it (the window's), whose event loop drives it.
#include <QIODevice>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>

class QAudioSink;

namespace lyricanvas {

/// Fills the span with the next frames (silence where there is no song).
using Frame_Source = std::function<void(std::span<std::int16_t> out)>;

/// The sink reads through this device; every read is answered in full.
class Sink_Feed : public QIODevice {
 public:
  explicit Sink_Feed(Frame_Source source);
  bool isSequential() const override { return true; }
  qint64 bytesAvailable() const override;

 protected:
  qint64 readData(char* data, qint64 max_size) override;
  qint64 writeData(const char*, qint64) override { return -1; }

 private:
  Frame_Source source_;
};

class Device_Output {
 public:
  /// An output on the default device; Usable() is false when there is none that takes our format.
  explicit Device_Output(Frame_Source source);
  ~Device_Output();
  bool Usable() const { return sink_ != nullptr; }
  void Start();
  void Stop();
  /// Frames handed to the sink that it has not played yet.
  std::int64_t Buffered_Frames() const;

 private:
  Sink_Feed feed_;
  std::unique_ptr<QAudioSink> sink_;
};

}  // namespace lyricanvas
