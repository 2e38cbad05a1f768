#include "app/window/preview_player.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>
#include <algorithm>
#include <span>

#include "audio/audio_engine.h"
#include "model/file_io.h"

namespace lyricanvas {

namespace {

constexpr std::size_t Sector_Audio = 2352;
constexpr std::size_t Sector_Packs = 96;
constexpr int Slider_Steps_Per_Second = 10;
constexpr int Frame_Interval_Ms = 33;

}  // namespace

std::string Packs_Of_Output(const std::string& bytes, bool is_bin) {
  if (!is_bin) return bytes.substr(0, bytes.size() - bytes.size() % Cdg_Pack_Bytes);
  std::string packs;
  const std::size_t sector = Sector_Audio + Sector_Packs;
  packs.reserve(bytes.size() / sector * Sector_Packs);
  for (std::size_t at = 0; at + sector <= bytes.size(); at += sector)
    packs.append(bytes, at + Sector_Audio, Sector_Packs);
  return packs;
}

Preview_Player::Preview_Player(const QString& path, Preview_Audio audio,
                               std::unique_ptr<Audio_Player> player, QWidget* parent)
    : QDialog(parent), audio_offset_(audio.offset) {
  setObjectName(QStringLiteral("frm_Preview"));
  setWindowTitle(QStringLiteral("Preview - ") + QFileInfo(path).fileName());
  const std::string bytes = Read_Whole_File(path.toStdString()).value_or(std::string());
  packs_ = Packs_Of_Output(bytes, path.endsWith(QLatin1String(".bin"), Qt::CaseInsensitive));

  auto* layout = new QVBoxLayout(this);
  screen_ = new QLabel(this);
  screen_->setObjectName(QStringLiteral("Pic_Preview"));
  screen_->setFixedSize(2 * Cdg_Width, 2 * Cdg_Height);
  layout->addWidget(screen_);
  auto* controls = new QHBoxLayout;
  play_ = new QPushButton(QStringLiteral("&Play"), this);
  play_->setObjectName(QStringLiteral("But_Play"));
  slider_ = new QSlider(Qt::Horizontal, this);
  slider_->setObjectName(QStringLiteral("Hsc_Preview"));
  slider_->setRange(0, static_cast<int>(Duration() * Slider_Steps_Per_Second));
  controls->addWidget(play_);
  controls->addWidget(slider_, 1);
  layout->addLayout(controls);

  timer_.setInterval(Frame_Interval_Ms);
  if (!audio.path.empty()) {
    player_ = player ? std::move(player) : std::make_unique<Audio_Engine>();
    Audio_Error error;
    if (!player_->Open(audio.path, error)) player_.reset();  // the pictures play without it
  }
  connect(&timer_, &QTimer::timeout, this, [this] { Tick(); });
  connect(play_, &QPushButton::clicked, this, [this] { timer_.isActive() ? Pause() : Play(); });
  connect(slider_, &QSlider::valueChanged, this, [this](int value) {
    if (timer_.isActive()) return;  // the player moves the slider itself
    Show_At(static_cast<double>(value) / Slider_Steps_Per_Second);
  });
  connect(slider_, &QSlider::sliderMoved, this, [this](int value) {
    Show_At(static_cast<double>(value) / Slider_Steps_Per_Second);
    play_from_ = position_;
    clock_.restart();
    Stop_Audio();  // the next tick starts it at the new place
  });
  Show_At(0);
}

Preview_Player::~Preview_Player() { Stop_Audio(); }

double Preview_Player::Duration() const {
  return static_cast<double>(Cdg_Pack_Count(std::span(
             reinterpret_cast<const std::uint8_t*>(packs_.data()), packs_.size()))) /
         Cdg_Packs_Per_Second;
}

void Preview_Player::Show_At(double seconds) {
  position_ = std::clamp(seconds, 0.0, Duration());
  const std::int64_t pack = std::min(Cdg_Pack_At(position_),
                                     static_cast<std::int64_t>(packs_.size() / Cdg_Pack_Bytes) - 1);
  // Going back means starting again from the first pack; going on feeds only the new packs.
  if (pack + 1 < decoder_.packs_fed) decoder_ = Cdg_Decoder{};
  const auto* data = reinterpret_cast<const std::uint8_t*>(packs_.data());
  const std::int64_t from = decoder_.packs_fed;
  if (pack >= from)
    Cdg_Decode_Packs(decoder_, std::span(data + from * Cdg_Pack_Bytes,
                                         static_cast<std::size_t>(pack + 1 - from) * Cdg_Pack_Bytes));
  screen_->setPixmap(QPixmap::fromImage(Cdg_Image(decoder_).scaled(2 * Cdg_Width, 2 * Cdg_Height)));
}

void Preview_Player::Play() {
  if (position_ >= Duration()) Show_At(0);
  play_from_ = position_;
  clock_.start();
  timer_.start();
  play_->setText(QStringLiteral("&Pause"));
}

void Preview_Player::Pause() {
  timer_.stop();
  Stop_Audio();
  play_->setText(QStringLiteral("&Play"));
}

void Preview_Player::Stop_Audio() {
  if (player_ && audio_running_) player_->Stop();
  audio_running_ = false;
}

double Preview_Player::Playing_Position() const {
  if (audio_running_) return audio_offset_ + player_->Position();
  return play_from_ + clock_.elapsed() / 1000.0;
}

void Preview_Player::Tick() {
  const double t = Playing_Position();
  if (player_ && !audio_running_ && t >= audio_offset_ && t - audio_offset_ < player_->Duration()) {
    player_->Set_Position(t - audio_offset_);
    player_->Run();
    audio_running_ = true;
  }
  Show_At(t);
  slider_->setValue(static_cast<int>(position_ * Slider_Steps_Per_Second));
  if (position_ >= Duration()) Pause();
}

}  // namespace lyricanvas
