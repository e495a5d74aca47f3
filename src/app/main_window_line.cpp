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
  limp_->Show();
}

void TfrmVantrel::EndMotion() {
  // Until it is back the bar says what happens then, so no one restarts the program for it.
  status.Say(tr("Port lost: Vantrel reconnects by itself when it comes back"));
  Timer1.Stop();
  jog_->Release();
  stopRequested = 1;  // a script playing ends
}

void TfrmVantrel::PortAppeared() {
  // Nothing the operator did before goes out now: the next frame waits for a new touch.
  jog_->Release();
  connectedSaid_ = tr("Connected to %1").arg(QString::fromStdString(ComPort1.DevicePath()));
  status.Say(connectedSaid_);
  WatchBoard();
  Timer1.Start();
}

void TfrmVantrel::RestartTick() {
  if (status.Text() == TickStopped()) status.Say({});
  Timer1.Start();
}

void TfrmVantrel::RestoreSentPose() {
  std::copy(gate_.received().begin(), gate_.received().end(), std::begin(state.position));
  UpdateGauges();
}

ServoState TfrmVantrel::ReceivedState() const {
  ServoState received = state;
  std::copy(gate_.received().begin(), gate_.received().end(), std::begin(received.position));
  return received;
}

bool TfrmVantrel::Write(const ByteString& frames) {
  if (limp_->RefuseMotion()) {
    stopRequested = 1;
    return false;
  }
  if (!ComPort1.Connected()) {
    status.Say(NotConnected());
    stopRequested = 1;
    if (!Timer1.Enabled()) Timer1.Start();
    return false;
  }
  Timer1.Stop();
  try {
    WriteServoFrames(ComPort1, state, frames, *clock, board_);
  } catch (const EComWriteTimeout&) {
    status.Say(TickStopped());
    throw;
  }
  const auto due = poseKeeper_.Sent(frames, servoTables(), TPoseKeeper::Clock::now());
  // While frames keep coming, the first one after the pose is due writes it, right after its
  // own write; the timer, a second later, only keeps the pose the last frame left. Fired
  // when due, it would write the file at any moment, also just as the next frame is due.
  if (due && !poseTimer_.isActive()) {
    poseTimer_.start(
        std::chrono::ceil<std::chrono::milliseconds>(*due + TPoseKeeper::kWriteInterval));
  }
  // The arm has moved: what the bar said is over, but for a jog held back at the table, whose
  // other servos still go out, and for reading back gone off.
  if (status.Text() != jog_->said() && !watch_.Says(status.Text().toStdString())) status.Say({});
  // A run (playback, Move, Home) starts the tick when it ends: a tick between its frames would
  // do its work just as the next frame is due.
  if (!gate_.busy()) RestartTick();
  return true;
}

void TfrmVantrel::Received(const Pose& before, const Pose& now) {
  // The gauges follow what each write took to the arm; a jog's other servos keep their step.
  for (int s = 1; s <= kServoCount; ++s) {
    if (now[s] != before[s]) state.position[s] = now[s];
  }
  UpdateGauges();
  armLink_.SetSent(now.data());
  watch_.ReadNext();
  // In a run, what the write set going (the gauges' repaint, the lamp) is handled while the
  // arm travels; left to the pumps after the wait, it would hold up the next frame.
  if (gate_.busy()) PumpEvents();
}

void TfrmVantrel::btPlayClick() {
  teach_->Stop();
  if (!ComPort1.Connected()) {
    status.Say(NotConnected());
    return;
  }
  if (BusyRefused()) return;
  RefuseTableCrossing(script, gate_.received(), gate_.settings());
  BeginRun();
  PlayOptions play;
  play.speedPercent = ui->sbSpeed->value();
  play.repeat = ui->sbRepeat->value();
  PlayScript(script, gate_, *this, play);
}
