#include "arm_view_link.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <atomic>
#include <memory>

#include "virtual_controller.h"
#include "window_placement.h"

TArmViewLink::~TArmViewLink() {
  if (view_) TVirtualServoController::Instance().SetListener({});
}

void TArmViewLink::Follow(bool on, QWidget* owner, const ServoTables& tables,
                          const ArmGeometry& arm) {
  TVirtualServoController& controller = TVirtualServoController::Instance();
  if (!on) {
    if (view_) view_->hide();
    return;
  }
  controller.SetAddresses(tables.Address);
  if (!view_) {
    view_ = new TArmView(owner);
    PlaceWindowBeside(view_, owner, {Side::Right, Side::Left});
    // Frames arrive on the controller's thread; the view follows on the main thread, one
    // refresh at a time however fast frames come.
    auto pending = std::make_shared<std::atomic<bool>>(false);
    QPointer<TArmView> view = view_;
    // A limp bus servo follows a drag of its joint; a held one does not give way.
    QObject::connect(view_, &TArmView::handMoved, view_, [](int servo, int32_t position) {
      TVirtualServoController::Instance().MoveByHand(servo, position);
    });
    controller.SetListener([this, view, pending] {
      if (pending->exchange(true)) return;
      QMetaObject::invokeMethod(
          view.data(),
          [this, pending] {
            pending->store(false);
            Refresh();
          },
          Qt::QueuedConnection);
    });
  }
  view_->SetLinks(arm.H, arm.L1, arm.L2, arm.L3);
  Refresh();
  view_->show();
}

void TArmViewLink::Refresh() {
  if (!view_) return;
  const auto s = TVirtualServoController::Instance().State();
  view_->SetServos(s.position, s.frames, s.badFrames);
  shown_ = s.frames + s.badFrames;
}

void TArmViewLink::SleepUntil(TimePoint when) {
  if (!view_ || !view_->isVisible()) {
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
