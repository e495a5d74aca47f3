#include "limp_control.h"

#include <QAbstractButton>

#include "arm_gate.h"
#include "board_line.h"
#include "board_watch.h"
#include "com_port.h"
#include "port_reply_line.h"
#include "teach_control.h"
#include "translate.h"

namespace {

QString Text(const std::string& text) {
  return QString::fromStdString(text);
}

}  // namespace

TLimpControl::TLimpControl(QAbstractButton* toggle, TCustomComPort& port, const BoardLine& board,
                           ArmGate& gate, TBoardWatch& watch,
                           std::function<void(const QString&)> say)
    : toggle_(toggle),
      port_(port),
      board_(board),
      gate_(gate),
      watch_(watch),
      say_(std::move(say)) {
  toggle_->setCheckable(true);
  Show();
}

bool TLimpControl::CanSwitch() const {
  return port_.Connected() && !board_.board().TorqueCommand(false).empty();
}

void TLimpControl::Show() {
  // The button toggles itself before its click arrives; it must say what is so.
  toggle_->setChecked(limp_);
  toggle_->setEnabled(!busy_ && CanSwitch());
}

void TLimpControl::SetBusy(bool busy) {
  busy_ = busy;
  Show();
}

bool TLimpControl::RefuseMotion() {
  if (!limp_ || holding_) return false;
  say_(Text(Tr("The arm is limp: Limp (F9) holds it")));
  return true;
}

void TLimpControl::GoLimp() {
  if (busy_ || !CanSwitch()) {
    Show();
    return;
  }
  PortReplyLine(port_).Send(board_.board().TorqueCommand(false));
  limp_ = true;
  say_(Text(Tr("Limp: move the arm by hand")));
  Show();
}

std::optional<ServoPose> TLimpControl::Read(std::string& fault) {
  const auto reading = watch_.ReadAll();
  const auto pose = reading ? MeasuredPose(*reading) : std::nullopt;
  if (pose) return pose;
  if (reading) {
    fault = Tr("a servo has no target yet");
  } else {
    fault = watch_.fault().empty() ? Tr("the board does not tell its pose") : watch_.fault();
  }
  return std::nullopt;
}

bool TLimpControl::Hold() {
  std::string fault;
  const auto pose = Read(fault);
  if (!pose) {
    say_(Text(TrFormat("Still limp: {1}", {fault})));
    Show();
    return false;
  }
  // Held within the limits a servo the hand took beyond them would be driven back to them.
  const ServoTables& tables = gate_.tables();
  const Pose held = HeldWithin(*pose, tables);
  for (int s = 1; s <= kServoCount; ++s) {
    if (held[s] == (*pose)[s]) continue;
    say_(Text(TrFormat("Still limp: servo {1} at {2}, outside {3}..{4}",
                       {std::to_string(s), std::to_string((*pose)[s]),
                        std::to_string(tables.Minval[s]), std::to_string(tables.Maxval[s])})));
    Show();
    return false;
  }
  static constexpr int kAll[] = {1, 2, 3, 4, 5, 6};
  holding_ = true;
  try {
    gate_.Place(*pose);
    // The targets first: the torque then holds each servo where it stands.
    if (!gate_.Jog(*pose, kAll)) {
      holding_ = false;
      Show();
      return false;
    }
    PortReplyLine(port_).Send(board_.board().TorqueCommand(true));
  } catch (...) {
    holding_ = false;
    Show();
    throw;
  }
  holding_ = false;
  limp_ = false;
  say_(QString());
  Show();
  return true;
}

bool TLimpControl::PortOpened() {
  // Still limp out there while the port is closed; a board without a torque switch has nothing
  // to hold.
  if (limp_ && port_.Connected() && board_.board().TorqueCommand(true).empty()) limp_ = false;
  const bool held = limp_ && port_.Connected() && Hold();
  Show();
  return held;
}

bool TLimpControl::ReadInto(ServoState& state, const char* failed) {
  std::string fault;
  const auto pose = Read(fault);
  if (!pose) {
    say_(Text(TrFormat(failed, {fault})));
    return false;
  }
  // Recorded as the script will play it: within each servo's limits.
  const Pose held = HeldWithin(*pose, gate_.tables());
  std::copy(held.begin() + 1, held.end(), std::begin(state.position) + 1);
  return true;
}

bool TLimpControl::Tick(TTeachControl& teach, ServoState& state) {
  if (!teach.SampleDue()) return false;
  ServoState measured = state;
  if (!ReadInto(measured, TrNoop("Teaching ended: {1}"))) {
    // One message, and the reading is not tried again.
    teach.Stop();
    return false;
  }
  state = measured;
  teach.Tick(state);
  return true;
}
