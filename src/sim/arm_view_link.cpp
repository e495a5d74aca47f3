#include "arm_view_link.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <algorithm>
#include <atomic>
#include <memory>

#include "virtual_controller.h"
#include "window_placement.h"

TArmViewLink::~TArmViewLink() {
  if (view_) TVirtualServoController::Instance().SetListener({});
}

void TArmViewLink::MakeView(QWidget* owner) {
  view_ = new TArmView(owner);
  PlaceWindowBeside(view_, owner, {Side::Right, Side::Left});
  // Frames arrive on the controller's thread; the view follows on the main thread, one
  // refresh at a time however fast frames come.
  auto pending = std::make_shared<std::atomic<bool>>(false);
  QPointer<TArmView> view = view_;
  // A limp bus servo of the virtual board follows a drag of its joint; a held one does not
  // give way, nor does a real arm.
  QObject::connect(view_, &TArmView::handMoved, view_, [this](int servo, int32_t position) {
    if (virtual_) TVirtualServoController::Instance().MoveByHand(servo, position);
  });
  TVirtualServoController::Instance().SetListener([this, view, pending] {
    if (pending->exchange(true)) return;
    QMetaObject::invokeMethod(
        view.data(),
        [this, pending] {
          pending->store(false);
          Refresh();
        },
        Qt::QueuedConnection);
  });
  view_->SetLinks(arm_.H, arm_.L1, arm_.L2, arm_.L3);
  view_->SetMeasured(measured_);
}

void TArmViewLink::Follow(bool virtualPort, QWidget* owner, const ServoTables& tables,
                          const ArmGeometry& arm) {
  virtual_ = virtualPort;
  arm_ = arm;
  if (virtualPort) TVirtualServoController::Instance().SetAddresses(tables.Address);
  if (!view_ && virtualPort) MakeView(owner);
  if (!view_) return;
  view_->SetLinks(arm.H, arm.L1, arm.L2, arm.L3);
  view_->SetVirtual(virtualPort);
  Refresh();
  if (virtualPort) view_->show();
}

void TArmViewLink::Toggle(QWidget* owner) {
  if (view_ && view_->isVisible()) {
    view_->hide();
    return;
  }
  if (!view_) MakeView(owner);
  view_->SetVirtual(virtual_);
  Refresh();
  view_->show();
}

void TArmViewLink::SetSent(const int32_t positions[7]) {
  std::copy(positions, positions + kServoCount + 1, sent_.begin());
  if (virtual_ || !view_ || !view_->isVisible()) return;
  Refresh();
  view_->repaint();  // playback's sleeps leave no event loop to paint it later
}

void TArmViewLink::SetMeasured(
    const std::optional<std::array<int32_t, kServoCount + 1>>& positions) {
  measured_ = positions;
  if (view_) view_->SetMeasured(positions);
}

void TArmViewLink::Refresh() {
  if (!view_) return;
  if (!virtual_) {
    view_->SetServos(sent_.data());
    return;
  }
  const auto s = TVirtualServoController::Instance().State();
  view_->SetServos(s.position, s.frames, s.badFrames);
  shown_ = s.frames + s.badFrames;
}

void TArmViewLink::SleepUntil(TimePoint when) {
  if (!virtual_ || !view_ || !view_->isVisible()) {
    SteadyScheduleClock().SleepUntil(when);
    return;
  }
  const TVirtualServoController& controller = TVirtualServoController::Instance();
  for (;;) {
    const uint64_t taken = controller.WaitForFrames(shown_, when);
    if (taken != shown_) {
      Refresh();
      view_->repaint();  // now, not from the event loop that does not run meanwhile
    }
    if (Now() >= when) return;
  }
}
