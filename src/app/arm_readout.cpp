#include "arm_readout.h"

#include <QCoreApplication>
#include <algorithm>

#include "arm_pose.h"
#include "readout_label.h"

TArmReadout::TArmReadout(TReadoutLabel* label) : label_(label) {
  if (!label_) return;
  // Nothing lays the readout out: a fixed size spares the window a layout request with every
  // new text, and drawing its own background spares a repaint of the window beneath it.
  label_->setFixedSize(label_->size());
  label_->SetOpaque(true);
}

QString TArmReadout::Text(const ServoState& state, const ArmGeometry& arm) {
  QString text;
  text.reserve(64);
  for (int s = 1; s <= kServoCount; ++s) {
    if (s > 1) text += QLatin1Char(' ');
    text += QString::number(s);
    text += QLatin1Char(':');
    text += QString::number(state.position[s]);
  }
  const ToolPoint tool = ToolPointFromPositions(state.position, arm);
  text += QLatin1Char('\n');
  text += QCoreApplication::translate("TfrmVantrel", "X %1  Y %2  Z %3 cm")
              .arg(QString::number(tool.X, 'f', 1), QString::number(tool.Y, 'f', 1),
                   QString::number(tool.Z, 'f', 1));
  return text;
}

void TArmReadout::Show(const ServoState& state, const ArmGeometry& arm) {
  const std::array<float, 4> geometry{arm.H, arm.L1, arm.L2, arm.L3};
  if (shown_ && geometry == arm_ &&
      std::equal(positions_.begin(), positions_.end(), std::begin(state.position))) {
    return;
  }
  shown_ = true;
  arm_ = geometry;
  std::copy(std::begin(state.position), std::end(state.position), positions_.begin());
  const QString now = Text(state, arm);
  if (now != label_->text()) label_->setText(now);
}
