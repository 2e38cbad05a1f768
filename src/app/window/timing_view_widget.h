#pragma once
// Pic_Indication: shows the timing view that the core draws and hands the mouse to the core's
// handlers with the song time of each event. Pic_Waveform: the strip of the song's peaks above it.
#include <QWidget>
#include <functional>

namespace lyricanvas {

class Surface;

enum class Mouse_Button;

class Surface_Widget : public QWidget {
 public:
  Surface_Widget(const Surface& surface, const QString& name, QWidget* parent = nullptr);

  /// Press, move and release at view pixels, with the event's steady-clock time.
  std::function<void(Mouse_Button button, int x, int y, double at)> pressed;
  std::function<void(int x, double at)> moved;
  std::function<void()> released;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  const Surface& surface_;
};

}  // namespace lyricanvas
