#include "own_paper.h"

#include <QPainter>
#include <QWidget>

void TOwnPaper::SetOpaque(bool opaque) {
  opaque_ = opaque;
  Update();
  widget_->update();
}

void TOwnPaper::PaletteChanged() {
  if (opaque_) Update();
}

void TOwnPaper::Fill(QPainter& painter) const {
  painter.fillRect(widget_->rect(), widget_->palette().brush(widget_->backgroundRole()));
}

void TOwnPaper::Update() {
  bool solid = true;
  for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    const QBrush& paper = widget_->palette().brush(group, widget_->backgroundRole());
    solid = solid && paper.style() == Qt::SolidPattern && paper.isOpaque();
  }
  // Anything but one opaque colour is left to Qt.
  fills_ = opaque_ && solid;
  widget_->setAttribute(Qt::WA_OpaquePaintEvent, fills_);
  widget_->setAutoFillBackground(opaque_ && !fills_);
}
