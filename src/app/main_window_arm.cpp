// The window and the arm: the pose a port's arm was left in, and the arm view of the virtual
// controller with the outline of the point typed into the coordinate boxes.
#include "home_pose.h"
#include "main_window.h"
#include "move_to_point.h"
#include "options_form.h"
#include "ui_main_window.h"
#include "virtual_controller.h"

void TfrmVantrel::FollowPort() {
  const std::string path = ComPort1.DevicePath();
  if (path == poseKeeper_.portPath()) return;
  SetStartPose(state, StartPose(options_->store(), path));
  std::copy(std::begin(state.position), std::end(state.position), sent_.begin());
  poseKeeper_.Follow(PoseFolder(), path, state);
}

void TfrmVantrel::UpdateArmView() {
  armLink_.Follow(IsVirtualPortName(ComPort1.Port()), this, servoTables(), arm);
  if (armView()) armView()->SetTable(minToolY_);
}

void TfrmVantrel::UpdatePreview() {
  TArmView* view = armView();
  if (!view) return;
  try {
    const ToolPoint target =
        ParseTarget(ui->Xcoord->text().toStdString(), ui->Ycoord->text().toStdString(),
                    ui->Zcoord->text().toStdString());
    view->SetPreview(PlanMove(target, workspace()));
  } catch (const std::exception&) {
    // Not a point yet, or one the arm cannot be solved for: nothing to draw.
    view->ClearPreview();
  }
}
