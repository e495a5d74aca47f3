#include "gauge_surface.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPixmap>

#include "paint_counter.h"

namespace {

// A panel of the window's colour with a gauge on it, 53 by 52 like the window's first one.
struct Panel {
  Panel() {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, QColor(206, 239, 236));
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
    widget.resize(70, 70);
  }
  QImage Drawn() { return widget.grab().toImage().convertToFormat(QImage::Format_RGB32); }
  QWidget widget;
};

const QRect kGauge(8, 9, 53, 52);

TEST(GaugeSurface, GivenItsDialItLooksLikeTheDialWithTheNeedleOver) {
  const QPixmap dial(QStringLiteral(":/pictures/dial"));
  ASSERT_FALSE(dial.isNull());
  const NeedleLine needle = *GaugeNeedle(kGauge.width(), kGauge.height(), 30);

  // The picture in a stretched label, the needle on a transparent surface over it.
  Panel layered;
  QLabel picture(&layered.widget);
  picture.setGeometry(kGauge);
  picture.setScaledContents(true);
  picture.setPixmap(dial);
  TGaugeSurface over(&layered.widget);
  over.setGeometry(kGauge);
  over.SetNeedle(needle);

  Panel own;
  TGaugeSurface gauge(&own.widget);
  gauge.setGeometry(kGauge);
  gauge.SetDial(dial);
  gauge.SetNeedle(needle);
  EXPECT_EQ(own.Drawn(), layered.Drawn());

  // The dial's corners show the window colour, also after it changed.
  for (Panel* panel : {&own, &layered}) {
    QPalette yellow = panel->widget.palette();
    yellow.setColor(QPalette::Window, Qt::yellow);
    panel->widget.setPalette(yellow);
  }
  EXPECT_EQ(own.Drawn(), layered.Drawn());

  // Without a needle it is the dial alone.
  TGaugeSurface bare(&own.widget);
  bare.setGeometry(kGauge);
  bare.SetDial(dial);
  gauge.hide();
  over.hide();
  EXPECT_EQ(own.Drawn(), layered.Drawn());
}

// What a gauge shows, drawn by a gauge that has shown nothing before.
QImage Fresh(const QPixmap& dial, const QRect& area, const NeedleLine& needle) {
  Panel panel;
  TGaugeSurface gauge(&panel.widget);
  gauge.setGeometry(area);
  gauge.SetDial(dial);
  gauge.SetNeedle(needle);
  return panel.Drawn();
}

TEST(GaugeSurface, ANeedleShownAgainLooksAsItDidAfterTheDialOrTheSizeChanged) {
  const QPixmap dial(QStringLiteral(":/pictures/dial"));
  ASSERT_FALSE(dial.isNull());
  Panel panel;
  TGaugeSurface gauge(&panel.widget);
  gauge.setGeometry(kGauge);
  gauge.SetDial(dial);
  const auto needle = [](int value) {
    return *GaugeNeedle(kGauge.width(), kGauge.height(), value);
  };
  for (const int value : {10, 50, 10}) {
    gauge.SetNeedle(needle(value));
    EXPECT_EQ(panel.Drawn(), Fresh(dial, kGauge, needle(value))) << value;
  }

  QPixmap darker = dial;
  darker.fill(QColor(20, 60, 90));
  gauge.SetDial(darker);
  EXPECT_EQ(panel.Drawn(), Fresh(darker, kGauge, needle(10)));

  // A larger gauge keeps its needle until the next value comes, over a dial stretched anew.
  const QRect larger(4, 4, 60, 60);
  gauge.setGeometry(larger);
  EXPECT_EQ(panel.Drawn(), Fresh(darker, larger, needle(10)));
}

TEST(GaugeSurface, ANeedleThatMovesOverItsOwnDialLeavesThePanelUndrawn) {
  Panel panel;
  TGaugeSurface gauge(&panel.widget);
  gauge.setGeometry(kGauge);
  gauge.SetDial(QPixmap(QStringLiteral(":/pictures/dial")));
  panel.widget.show();
  QCoreApplication::processEvents();
  PaintCounter under{&panel.widget};
  PaintCounter over{&gauge};
  for (const int value : {10, 50, 90}) {
    gauge.SetNeedle(*GaugeNeedle(kGauge.width(), kGauge.height(), value));
    QCoreApplication::processEvents();
  }
  EXPECT_EQ(over.paints, 3);
  EXPECT_EQ(under.paints, 0);
}

TEST(GaugeSurface, TheNeedleIsARedLineTwoPixelsWideAndFollowsEveryMove) {
  TGaugeSurface gauge;
  gauge.resize(53, 52);
  QPalette palette = gauge.palette();
  palette.setColor(QPalette::Window, Qt::white);
  gauge.setPalette(palette);
  gauge.setAutoFillBackground(true);
  gauge.SetNeedle({26, 40, 26, 5});  // straight up
  const QImage image = gauge.grab().toImage();
  // Across the needle, half-way up: two pixels' worth of red, however it is smoothed.
  double ink = 0;
  for (int x = 20; x <= 32; ++x) ink += (255 - image.pixelColor(x, 22).green()) / 255.0;
  EXPECT_NEAR(ink, 2, 0.4);
  EXPECT_EQ(image.pixelColor(26, 22), QColor(Qt::red));  // pure red where it covers a whole pixel

  // A move of the tip along one axis only is a move too.
  gauge.SetNeedle({26, 40, 26, 10});
  EXPECT_EQ(gauge.needle()->endY, 10);
  gauge.SetNeedle({26, 40, 30, 10});
  EXPECT_EQ(gauge.needle()->endX, 30);
}

}  // namespace
