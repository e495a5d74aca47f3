#include "status_line.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QLabel>

namespace {

constexpr int kLargestPixels = 12;
constexpr int kSmallestPixels = 8;

// The bar is one line of bold text: a long message gets a smaller font rather than being cut.
int FittingPixelSize(const QLabel& label, const QString& text) {
  QFont font = label.font();
  font.setBold(true);
  const int room = label.width() - 4;
  for (int pixels = kLargestPixels; pixels > kSmallestPixels; --pixels) {
    font.setPixelSize(pixels);
    if (QFontMetrics(font).horizontalAdvance(text) <= room) return pixels;
  }
  return kSmallestPixels;
}

}  // namespace

void TStatusLine::Say(const QString& text) {
  if (text == text_) return;
  text_ = text;
  Show();
}

void TStatusLine::SetPlaying(bool playing) {
  playing_ = playing;
  Show();
}

void TStatusLine::SetWaiting(bool waiting) {
  waiting_ = waiting;
  Show();
}

void TStatusLine::SetActivity(const QString& text) {
  if (text == activity_) return;
  activity_ = text;
  Show();
}

void TStatusLine::Show() {
  const QString text =
      waiting_   ? QCoreApplication::translate("Vantrel", "Waiting: press Continue (Space)")
      : playing_ ? QCoreApplication::translate("Vantrel", "Playing.....")
                 : (activity_.isEmpty() ? text_ : activity_);
  if (text.isEmpty()) {
    label_->hide();
    return;
  }
  const int pixels = FittingPixelSize(*label_, text);
  label_->setStyleSheet(
      QStringLiteral("background-color: rgb(255, 255, 128); color: red; font-weight: bold; "
                     "font-size: %1px;")
          .arg(pixels));
  // Too long even so (a long device path): its middle goes, so both ends stay readable; the
  // whole text is the tooltip.
  QFont font = label_->font();
  font.setBold(true);
  font.setPixelSize(pixels);
  label_->setText(QFontMetrics(font).elidedText(text, Qt::ElideMiddle, label_->width() - 4));
  label_->setToolTip(text);
  label_->show();
}
