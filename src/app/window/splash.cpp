#include "app/window/splash.h"

#include <QEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/window/main_window.h"

namespace lyricanvas {

Splash::Splash(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frm_Splash"));
  setWindowTitle(QStringLiteral("Lyricanvas"));
  auto* layout = new QVBoxLayout(this);
  auto* label = new QLabel(QStringLiteral("Lyricanvas Karaoke Authoring Tool\nVersion ") +
                               QString::fromLatin1(Version),
                           this);
  label->setAlignment(Qt::AlignCenter);
  QFont font = label->font();
  font.setPointSizeF(font.pointSizeF() * 1.6);
  label->setFont(font);
  layout->addWidget(label);
  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setDefault(true);
  layout->addWidget(ok, 0, Qt::AlignCenter);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  setAttribute(Qt::WA_DeleteOnClose);
}

void Splash::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  if (event->type() != QEvent::ActivationChange) return;
  // Only a splash that had the focus can lose it; without a window manager it never gets it.
  if (isActiveWindow())
    had_focus_ = true;
  else if (had_focus_ && isVisible())
    close();
}

}  // namespace lyricanvas
