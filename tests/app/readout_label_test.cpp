// The readout label's quick drawing against a plain label's own, and its pictures kept in step
// with the text, the colours and the font.
#include <gtest/gtest.h>

#include <QImage>

#include "readout_label.h"

namespace {

QImage Grab(QLabel& label, const QString& text) {
  label.setText(text);
  return label.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// Where the ink is (left, top, right, bottom), and how much of it.
std::array<int, 5> InkOf(const QImage& image) {
  QRect box;
  int pixels = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (image.pixel(x, y) == image.pixel(0, 0)) continue;
      box |= QRect(x, y, 1, 1);
      ++pixels;
    }
  }
  return {box.left(), box.top(), box.right(), box.bottom(), pixels};
}

void Dress(QLabel& label, QColor ink = Qt::black, int pixelSize = 10) {
  QFont font(QStringLiteral("Sans Serif"));
  font.setPixelSize(pixelSize);
  label.setFont(font);
  label.setAlignment(Qt::AlignCenter);
  label.setFixedSize(241, 32);
  QPalette palette = label.palette();
  palette.setColor(QPalette::Window, QColor(206, 239, 236));
  palette.setColor(QPalette::WindowText, ink);
  label.setPalette(palette);
  label.setAutoFillBackground(true);
  if (auto* readout = qobject_cast<TReadoutLabel*>(&label)) readout->SetOpaque(true);
}

class QuickAgainstLabel : public testing::TestWithParam<const char*> {};

TEST_P(QuickAgainstLabel, InkStandsWhereTheLabelPutsIt) {
  TReadoutLabel quick;
  QLabel plain;
  Dress(quick);
  Dress(plain);
  const auto mine = InkOf(Grab(quick, QString::fromUtf8(GetParam())));
  const auto theirs = InkOf(Grab(plain, QString::fromUtf8(GetParam())));
  ASSERT_GT(theirs[4], 0);
  for (int i = 0; i < 4; ++i) EXPECT_NEAR(mine[i], theirs[i], 2) << GetParam() << " side " << i;
  EXPECT_NEAR(mine[4], theirs[4], theirs[4] * 0.2) << GetParam();
}

INSTANTIATE_TEST_SUITE_P(
    Texts, QuickAgainstLabel,
    testing::Values("1:127 2:127 3:127 4:127 5:127 6:127\nX 12.3  Y 4.5  Z 6.7 cm",
                    "1:0 2:254 3:9 4:10 5:127 6:1\nX -0.0  Y -21.7  Z 100.0 cm",
                    // drawn the label's own way: another script, too wide, too many lines
                    "Längs 12,3 cm", "1:127 2:127 3:127 4:127 5:127 6:127 7:127 8:127 9:127",
                    "1\n2\n3\n4\n5"));

TEST(ReadoutLabel, ANewTextColourOrFontDrawsAsAFreshLabelWould) {
  const QString first = QStringLiteral("1:127 2:127\nX 12.3  Y 4.5  Z 6.7 cm");
  const QString second = QStringLiteral("1:128 2:126\nX 12.4  Y 4.4  Z 6.9 cm");
  TReadoutLabel used;
  Dress(used);
  Grab(used, first);
  Dress(used, Qt::red, 11);
  TReadoutLabel fresh;
  Dress(fresh, Qt::red, 11);
  const QImage shown = Grab(used, second);
  EXPECT_EQ(shown, Grab(fresh, second));
  EXPECT_NE(shown, Grab(fresh, first));
}

}  // namespace
