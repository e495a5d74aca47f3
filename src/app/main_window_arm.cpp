// The window and the arm: the pose a port's arm was left in, Move and Home through the gate,
// one motion at a time, and the arm view (of the virtual controller, or of the pose sent to a
// real arm) with the outline of the point typed into the coordinate boxes.
#include <QLocale>
#include <QScopeGuard>

#include "error_report.h"
#include "home_pose.h"
#include "main_window.h"
#include "move_to_point.h"
#include "options_form.h"
#include "ui_main_window.h"
#include "virtual_controller.h"

void TfrmVantrel::FollowPort() {
  const std::string path = ComPort1.DevicePath();
  if (path == poseKeeper_.portPath()) return;
  // The arm is taken to stand where the gate holds it: within the limits; where the board can
  // tell, where it says, not where it was left.
  const auto measured = watch_.measured();
  gate_.Place(measured ? *measured : StartPose(options_->store(), path));
  SetStartPose(state, gate_.received());
  // The virtual arm stands where this one is taken to stand, not in the middle.
  if (IsVirtualPortName(ComPort1.Port()) && !measured) {
    TVirtualServoController::Instance().SetPose(state.position);
    if (armView()) armLink_.Refresh();
  }
  poseKeeper_.Follow(PoseFolder(), path, state);
}

void TfrmVantrel::WatchBoard() {
  watch_.Start(board_, options_->store().ReadOptionInt("maxServoTemp"));
  watch_.ReadAll();
  // A port back under a limp arm holds it where it stands.
  if (limp_->PortOpened()) RestoreSentPose();
}

TBoardWatch::Hooks TfrmVantrel::WatchHooks() {
  TBoardWatch::Hooks hooks;
  hooks.say = [this](const std::string& text) { status.Say(QString::fromStdString(text)); };
  hooks.unsay = [this](const std::string& text) {
    if (status.Text() == QString::fromStdString(text)) status.Say({});
  };
  hooks.halt = [this](const std::string& text, bool first) {
    Halt();
    jog_->Release();
    status.Say(QString::fromStdString(text));
    if (first) ReportError(text);
  };
  hooks.measured = [this](const std::optional<ServoPose>& pose) { armLink_.SetMeasured(pose); };
  return hooks;
}

void TfrmVantrel::UpdateArmView() {
  armLink_.Follow(IsVirtualPortName(ComPort1.Port()), this, servoTables(), arm);
  armLink_.SetSent(gate_.received().data());
  if (armView()) armView()->SetTable(minToolY_);
}

void TfrmVantrel::ToggleArmView() {
  armLink_.Toggle(this);
  if (armView()) armView()->SetTable(minToolY_);
  UpdatePreview();
}

void TfrmVantrel::UpdatePreview() {
  TArmView* view = armView();
  if (!view) return;
  try {
    const auto [x, y, z] = TypedPoint();
    const ToolPoint target = ParseTarget(x, y, z);
    view->SetPreview(PlanMove(target, workspace()));
  } catch (const std::exception&) {
    // Not a point yet, or one the arm cannot be solved for: nothing to draw.
    view->ClearPreview();
  }
}

bool TfrmVantrel::BusyRefused() {
  if (limp_->RefuseMotion()) return true;
  if (state.runState != 2 && !gate_.busy()) return false;
  status.Say(QString::fromStdString(EArmBusy().what()));
  return true;
}

void TfrmVantrel::ShowBusy(bool busy) {
  for (QWidget* control : std::initializer_list<QWidget*>{ui->btmove, ui->btHome, ui->btTeach,
                                                          ui->btLoad, ui->btEdit}) {
    control->setEnabled(!busy);
  }
  limp_->SetBusy(busy);
}

void TfrmVantrel::GoTo(const Pose& target, const std::optional<ToolPoint>& along,
                       const int32_t (&directions)[kServoCount + 1]) {
  Timer1.Stop();
  // The tick would jog the servos beside the move: it waits until the move is over.
  const QSignalBlocker noTicks(&Timer1);
  ShowBusy(true);
  const auto idle = qScopeGuard([this] { ShowBusy(false); });
  int32_t jogging[kServoCount + 1];
  std::copy(std::begin(state.direction), std::end(state.direction), std::begin(jogging));
  std::copy(std::begin(directions), std::end(directions), std::begin(state.direction));
  const auto refused = [&] {
    // Nothing moved: jogging goes on as it was.
    std::copy(std::begin(jogging), std::end(jogging), std::begin(state.direction));
    RestartTick();
  };
  try {
    gate_.MoveTo(target, along);
  } catch (const EMoveRefused&) {
    refused();
    throw;
  } catch (const EArmBusy&) {
    refused();
    throw;
  } catch (...) {
    RestoreSentPose();
    throw;
  }
  RestoreSentPose();
  RestartTick();
}

std::array<std::string, 3> TfrmVantrel::TypedPoint() const {
  const bool commaDecimal = QLocale().decimalPoint() == QStringLiteral(",");
  return {PointDecimal(ui->Xcoord->text().toStdString(), commaDecimal, "X"),
          PointDecimal(ui->Ycoord->text().toStdString(), commaDecimal, "Y"),
          PointDecimal(ui->Zcoord->text().toStdString(), commaDecimal, "Z")};
}

void TfrmVantrel::btLimpClick() {
  if (limp_->active()) {
    // Held where the hand left it: the gauges show the pose the arm now holds.
    if (limp_->Hold()) RestoreSentPose();
    return;
  }
  if (BusyRefused()) {
    limp_->SetBusy(gate_.busy());
    return;
  }
  jog_->Release();
  limp_->GoLimp();
}

void TfrmVantrel::LimpTick() {
  if (limp_->Tick(*teach_, state)) {
    UpdateGauges();
  } else {
    watch_.ReadNext();  // the arm view follows the hand
  }
}
