#include "app/window/timing_view_widget.h"

#include <QMouseEvent>
#include <QPainter>

#include "model/surface.h"
#include "timing/mouse_wiping.h"
#include "timing/steady_clock.h"

namespace lyricanvas {

namespace {

Mouse_Button Button_Of(Qt::MouseButton button) {
  switch (button) {
    case Qt::RightButton: return Mouse_Button::Right;
    case Qt::MiddleButton: return Mouse_Button::Middle;
    default: return Mouse_Button::Left;
  }
}

}  // namespace

Surface_Widget::Surface_Widget(const Surface& surface, const QString& name, QWidget* parent)
    : QWidget(parent), surface_(surface) {
  setObjectName(name);
  setFixedSize(surface.Width(), surface.Height());
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void Surface_Widget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawImage(0, 0, surface_.Image());
}

void Surface_Widget::mousePressEvent(QMouseEvent* event) {
  if (pressed)
    pressed(Button_Of(event->button()), event->position().toPoint().x(),
            event->position().toPoint().y(), Event_Steady_Seconds(event->timestamp(), Steady_Seconds()));
}

void Surface_Widget::mouseMoveEvent(QMouseEvent* event) {
  if (moved && event->buttons() != Qt::NoButton)
    moved(event->position().toPoint().x(), Event_Steady_Seconds(event->timestamp(), Steady_Seconds()));
}

void Surface_Widget::mouseReleaseEvent(QMouseEvent*) {
  if (released) released();
}

}  // namespace lyricanvas
