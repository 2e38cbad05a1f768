#include "app/window/colors_tab.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QVBoxLayout>

#include "model/palette_edit.h"
#include "app/window/widgets.h"

namespace lyricanvas {

namespace {

constexpr int Swatch_Size = 56;

void Paint_Swatch(QFrame* swatch, QRgb color) {
  swatch->setStyleSheet(QStringLiteral("QFrame { background-color: %1; border: 1px solid gray; }"
                                       "QFrame:focus { border: 3px solid palette(highlight); }")
                            .arg(QColor(color).name()));
}

}  // namespace

Colors_Tab::Colors_Tab(Window_Context& context, QWidget* parent)
    : QWidget(parent), context_(context) {
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(
      QStringLiteral("Double-click a colour (or press Enter on it) to change it."), this));
  auto* grid = new QGridLayout;
  grid->setSpacing(8);
  for (int k = 0; k < 16; ++k) {
    auto* swatch = new QFrame(this);
    swatch->setObjectName(Control_Key("Sha_Color", k));
    swatch->setFixedSize(Swatch_Size, Swatch_Size);
    swatch->setFocusPolicy(Qt::StrongFocus);
    swatch->setToolTip(QStringLiteral("Palette entry %1").arg(k));
    // The tab itself decides which swatch a double-click hits.
    swatch->setAttribute(Qt::WA_TransparentForMouseEvents);
    grid->addWidget(swatch, k / 4, k % 4);
    swatches_[static_cast<std::size_t>(k)] = swatch;
  }
  auto* row = new QHBoxLayout;
  row->addLayout(grid);
  row->addStretch(1);
  layout->addLayout(row);
  layout->addStretch(1);
  Enter();
}

void Colors_Tab::Enter() {
  for (int k = 0; k < 16; ++k)
    Paint_Swatch(swatches_[static_cast<std::size_t>(k)], context_.song.Palette_RGB[k]);
}

int Colors_Tab::Entry_At(const QPoint& point) const {
  Swatch_Grid grid;
  for (int i = 0; i < 4; ++i) {
    grid.left[i] = swatches_[static_cast<std::size_t>(i)]->geometry().left();
    grid.top[i] = swatches_[static_cast<std::size_t>(4 * i)]->geometry().top();
  }
  grid.width = swatches_[0]->width() - 1;
  grid.height = swatches_[0]->height() - 1;
  return Swatch_At(grid, point.x(), point.y());
}

void Colors_Tab::Edit_Entry(int k) {
  if (k < 0 || k > 15) return;
  std::string custom = Palette_Custom_Colors(context_.song.Palette);
  const Dialog_Color chosen =
      context_.dialogs.color(Palette_Dialog_Color(context_.song.Palette, k), custom);
  const Palette_Table before = context_.song.Palette;
  Apply_Color_Dialog(context_.song, k, chosen, custom);
  Enter();
  if (context_.song.Palette != before) context_.edited();
}

void Colors_Tab::mouseDoubleClickEvent(QMouseEvent* event) {
  Edit_Entry(Entry_At(event->position().toPoint()));
}

void Colors_Tab::keyPressEvent(QKeyEvent* event) {
  const bool activate = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
                        event->key() == Qt::Key_Space;
  for (int k = 0; activate && k < 16; ++k)
    if (swatches_[static_cast<std::size_t>(k)]->hasFocus()) return Edit_Entry(k);
  QWidget::keyPressEvent(event);
}

}  // namespace lyricanvas
