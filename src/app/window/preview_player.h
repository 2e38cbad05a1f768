#pragma once
// A small player for a written .cdg or .bin file: our own CD+G decoder draws the frames at
// 300 x 216, shown twice the size, with play/pause and a position slider. The song plays along
// when there is one, and then its clock leads the pictures.
#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>
#include <memory>
#include <string>

#include "cdg/cdg_decoder.h"
#include "timing/audio_player.h"

class QLabel;
class QPushButton;
class QSlider;

namespace lyricanvas {

/// The pack stream of a written file: a .cdg file is all packs; a .bin image holds 96 bytes of
/// packs after each 2352 bytes of audio. A trailing partial sector or pack is dropped.
std::string Packs_Of_Output(const std::string& bytes, bool is_bin);

/// The song that goes with a written file.
struct Preview_Audio {
  std::string path;    ///< "" for none
  double offset = 0;   ///< seconds into the stream at which the song's first sample plays
};

class Preview_Player : public QDialog {
 public:
  /// player plays audio.path; the machine's sound output when none is given.
  Preview_Player(const QString& path, Preview_Audio audio = {},
                 std::unique_ptr<Audio_Player> player = nullptr, QWidget* parent = nullptr);
  ~Preview_Player() override;
  /// Shows the frame at a time of the stream, in seconds.
  void Show_At(double seconds);
  void Play();
  void Pause();
  double Duration() const;  ///< seconds
  double Position() const { return position_; }
  const Cdg_Decoder& Decoder() const { return decoder_; }
  /// Whether the song is playing along right now.
  bool Audio_Playing() const { return audio_running_; }

 private:
  void Tick();
  /// Where playing has got to: the song's clock while it plays, the window's timer otherwise.
  double Playing_Position() const;
  void Stop_Audio();
  std::string packs_;
  Cdg_Decoder decoder_;
  double position_ = 0;
  double play_from_ = 0;
  QElapsedTimer clock_;
  std::unique_ptr<Audio_Player> player_;  ///< null when there is no song to play along
  double audio_offset_ = 0;
  bool audio_running_ = false;
  QTimer timer_;
  QLabel* screen_ = nullptr;
  QPushButton* play_ = nullptr;
  QSlider* slider_ = nullptr;
};

}  // namespace lyricanvas
