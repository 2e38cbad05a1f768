#pragma once
// A small player for a written .cdg or .bin file: our own CD+G decoder draws the frames at
// 300 x 216, shown twice the size, with play/pause and a position slider.
#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>
#include <string>

#include "cdg/cdg_decoder.h"

class QLabel;
class QPushButton;
class QSlider;

namespace lyricanvas {

/// The pack stream of a written file: a .cdg file is all packs; a .bin image holds 96 bytes of
/// packs after each 2352 bytes of audio. A trailing partial sector or pack is dropped.
std::string Packs_Of_Output(const std::string& bytes, bool is_bin);

class Preview_Player : public QDialog {
 public:
  Preview_Player(const QString& path, QWidget* parent = nullptr);
  /// Shows the frame at a time of the stream, in seconds.
  void Show_At(double seconds);
  void Play();
  void Pause();
  double Duration() const;  ///< seconds
  double Position() const { return position_; }
  const Cdg_Decoder& Decoder() const { return decoder_; }

 private:
  void Tick();
  std::string packs_;
  Cdg_Decoder decoder_;
  double position_ = 0;
  double play_from_ = 0;
  QElapsedTimer clock_;
  QTimer timer_;
  QLabel* screen_ = nullptr;
  QPushButton* play_ = nullptr;
  QSlider* slider_ = nullptr;
};

}  // namespace lyricanvas
