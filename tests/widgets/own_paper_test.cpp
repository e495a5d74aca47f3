#include "own_paper.h"

#include <gtest/gtest.h>

#include <QEvent>
#include <QLinearGradient>
#include <QPainter>
#include <QWidget>

#include "paint_counter.h"

namespace {

// A widget that paints nothing but the background it is given to fill.
class Plain : public QWidget {
 public:
  Plain() { resize(20, 20); }
  TOwnPaper paper{this};

 protected:
  void changeEvent(QEvent* event) override {
    if (event->type() == QEvent::PaletteChange) paper.PaletteChanged();
    QWidget::changeEvent(event);
  }
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    if (paper.Fills()) paper.Fill(painter);
  }
};

void SetWindow(QWidget& widget, const QBrush& brush, QPalette::ColorGroup group = QPalette::All) {
  QPalette palette = widget.palette();
  palette.setBrush(group, QPalette::Window, brush);
  widget.setPalette(palette);
}

// Filled here, by Qt, or not at all: what Qt is told decides what it draws beneath.
void ExpectFilled(const Plain& widget, bool here, bool byQt, const char* what) {
  EXPECT_EQ(widget.paper.Fills(), here) << what;
  EXPECT_EQ(widget.testAttribute(Qt::WA_OpaquePaintEvent), here) << what;
  EXPECT_EQ(widget.autoFillBackground(), byQt) << what;
}

TEST(OwnPaper, OnlyOneOpaqueColourInEveryStateIsFilledByTheWidget) {
  Plain widget;
  SetWindow(widget, QColor(206, 239, 236));
  ExpectFilled(widget, false, false, "not opaque");
  widget.paper.SetOpaque(true);
  ExpectFilled(widget, true, false, "one colour");
  EXPECT_EQ(widget.grab().toImage().pixelColor(10, 10), QColor(206, 239, 236));

  SetWindow(widget, QColor(255, 0, 0, 100), QPalette::Disabled);
  ExpectFilled(widget, false, true, "see-through when disabled");
  QLinearGradient shade(0, 0, 0, 20);
  shade.setColorAt(0, Qt::yellow);
  shade.setColorAt(1, Qt::darkGreen);
  SetWindow(widget, shade);
  ExpectFilled(widget, false, true, "a gradient");
  SetWindow(widget, Qt::yellow);
  ExpectFilled(widget, true, false, "one colour again");
  EXPECT_EQ(widget.grab().toImage().pixelColor(10, 10), QColor(Qt::yellow));
}

TEST(OwnPaper, NotOpaqueTheWidgetKeepsTheBackgroundItsOwnerChose) {
  Plain widget;
  widget.paper.SetOpaque(true);
  widget.show();
  PaintCounter counter{&widget};
  ExpectEachRedrawn(counter, {{"no longer opaque", [&] { widget.paper.SetOpaque(false); }}});
  ExpectFilled(widget, false, false, "no longer opaque");
  widget.setAutoFillBackground(true);
  SetWindow(widget, Qt::cyan);
  ExpectFilled(widget, false, true, "filled by its owner");
}

}  // namespace
