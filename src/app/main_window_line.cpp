// The window and its port: the one path to the line, what the window shows of the
// connection, and what a port that goes or appears does to the arm.
#include "com_send.h"
#include "jog_pad.h"
#include "main_window.h"
#include "servo_link.h"
#include "table_check.h"
#include "ui_main_window.h"

namespace {
// Looked up when shown, so they speak the language of the translator installed by then.
QString NotConnected() {
  return TfrmVantrel::tr("Not connected: the arm was not moved");
}
QString TickStopped() {
  return TfrmVantrel::tr("Tick stopped: press Options, then OK, to start it");
}
}  // namespace

void TfrmVantrel::ShowConnection() {
  const bool connected = ComPort1.Connected();
  setWindowTitle(connected ? tr("Vantrel control") : tr("Vantrel control - not connected"));
  if (!connected && !connectedSaid_.isEmpty() && status.Text() == connectedSaid_) status.Say({});
}

void TfrmVantrel::EndMotion() {
  Timer1.Stop();
  jog_->Release();
  stopRequested = 1;  // a script playing ends
}

void TfrmVantrel::PortAppeared() {
  // Nothing the operator did before goes out now: the next frame waits for a new touch.
  jog_->Release();
  connectedSaid_ = tr("Connected to %1").arg(QString::fromStdString(ComPort1.DevicePath()));
  status.Say(connectedSaid_);
  Timer1.Start();
}

void TfrmVantrel::RestartTick() {
  if (status.Text() == TickStopped()) status.Say({});
  Timer1.Start();
}

void TfrmVantrel::RestoreSentPose() {
  std::copy(sent_.begin(), sent_.end(), std::begin(state.position));
  UpdateGauges();
}

void TfrmVantrel::SendFrames(const ByteString& frames) {
  if (frames.empty()) {
    // Nothing goes out: a running timer keeps its period, a stopped one starts.
    if (!Timer1.Enabled()) RestartTick();
    return;
  }
  // The positions shown are what the controller received: frames that did not all go out
  // leave them as they were.
  if (!ComPort1.Connected()) {
    RestoreSentPose();
    status.Say(NotConnected());
    stopRequested = 1;
    if (!Timer1.Enabled()) Timer1.Start();
    return;
  }
  Timer1.Stop();
  try {
    WriteServoFrames(ComPort1, state, frames, *clock);
  } catch (const EComWriteTimeout&) {
    RestoreSentPose();
    status.Say(TickStopped());
    throw;
  } catch (...) {
    RestoreSentPose();
    throw;
  }
  std::copy(std::begin(state.position), std::end(state.position), sent_.begin());
  const auto due = poseKeeper_.Sent(frames, servoTables(), TPoseKeeper::Clock::now());
  // While frames keep coming, the first one after the pose is due writes it, right after its
  // own write; the timer, a second later, only keeps the pose the last frame left. Fired
  // when due, it would write the file at any moment, also just as the next frame is due.
  if (due && !poseTimer_.isActive()) {
    poseTimer_.start(
        std::chrono::ceil<std::chrono::milliseconds>(*due + TPoseKeeper::kWriteInterval));
  }
  status.Say({});  // the arm has moved: what the bar said is over
  RestartTick();
}

void TfrmVantrel::btPlayClick() {
  teach_->Stop();
  if (!ComPort1.Connected()) {
    status.Say(NotConnected());
    return;
  }
  RefuseTableCrossing(script, state, workspace());
  BeginRun();
  PlayOptions play;
  play.speedPercent = ui->sbSpeed->value();
  play.repeat = ui->sbRepeat->value();
  PlayScript(script, *this, stopRequested, play);
}
