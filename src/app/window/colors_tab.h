#pragma once
// "Select Colors": the 16 palette colours as a 4 x 4 grid of swatches Sha_Color(0..15). A
// double-click on a swatch (or Enter on the focused one) opens the colour dialog for it.
#include <QWidget>
#include <array>

#include "app/window/window_context.h"

class QFrame;

namespace lyricanvas {

class Colors_Tab : public QWidget {
 public:
  explicit Colors_Tab(Window_Context& context, QWidget* parent = nullptr);
  /// The tab is shown: every swatch shows its palette entry.
  void Enter();
  /// Edits palette entry k with the colour dialog.
  void Edit_Entry(int k);
  /// The entry under a point of the tab, -1 between or outside the swatches.
  int Entry_At(const QPoint& point) const;

 protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  Window_Context& context_;
  std::array<QFrame*, 16> swatches_{};
};

}  // namespace lyricanvas
