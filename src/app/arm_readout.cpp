#include "arm_readout.h"

#include <QCoreApplication>
#include <QLabel>

#include "arm_pose.h"

QString TArmReadout::Text(const ServoState& state, const ArmGeometry& arm) {
  QString positions;
  for (int s = 1; s <= kServoCount; ++s) {
    if (s > 1) positions += QLatin1Char(' ');
    positions += QStringLiteral("%1:%2").arg(s).arg(state.position[s]);
  }
  const ToolPoint tool = ToolPointFromPositions(state.position, arm);
  return positions + QLatin1Char('\n') +
         QCoreApplication::translate("TfrmVantrel", "X %1  Y %2  Z %3 cm")
             .arg(tool.X, 0, 'f', 1)
             .arg(tool.Y, 0, 'f', 1)
             .arg(tool.Z, 0, 'f', 1);
}

void TArmReadout::Show(const ServoState& state, const ArmGeometry& arm) {
  const QString now = Text(state, arm);
  if (now == shown_) return;
  shown_ = now;
  label_->setText(now);
}
