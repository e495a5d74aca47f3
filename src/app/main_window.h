// The main window: owner of everything that runs. It composes the pieces that do the work
// (settings, serial port, tick arithmetic, joystick, scripts, kinematics) and wires them to
// its controls.
#pragma once

#include <QTimer>
#include <QWidget>
#include <array>
#include <memory>
#include <optional>
#include <string>

#include "arm_gate.h"
#include "arm_readout.h"
#include "arm_view_link.h"
#include "board_line.h"
#include "board_watch.h"
#include "com_port.h"
#include "file_process.h"
#include "halting_clock.h"
#include "jog_controller.h"
#include "limp_control.h"
#include "playback.h"
#include "pose_store.h"
#include "script_model.h"
#include "servo_state.h"
#include "status_line.h"
#include "teach_control.h"
#include "tick_timer.h"
#include "unMoveLibrary.h"
#include "workspace_jog.h"

namespace Ui {
class TfrmVantrel;
}
class TComLed;
class TGaugePanel;
class TKeyRouter;
class TfrmJoy;
class TfrmVTOptions;
class TGaugeSurface;
class TfrmTimeline;
class TWindowRemote;

class TfrmVantrel : public QWidget, public PlaybackHost, public ArmLine {
  Q_OBJECT

 public:
  // Loads the settings from `settingsPath` and starts up; a port that cannot be opened is
  // reported once start-up is complete, and opened as soon as it appears.
  explicit TfrmVantrel(const std::string& settingsPath, QWidget* parent = nullptr);
  ~TfrmVantrel() override;

  void ApplySettings();
  void UpdateGauges();
  void Timer1Timer();
  void JoystickToDirections(uint16_t buttons, double axisX, double axisY);
  void LoadJoystickCalibration();
  void FormKeyPress(const QString& key);

  void optionsClick();
  void joyConfigureClick();
  void exitClick();
  void btmoveClick();
  // Home and the Home key: every servo to its svNInitial.
  void btHomeClick();
  // Esc, in any window of the program: what moves stops at once.
  void Halt();
  void btPlayClick();
  void btStopClick();
  // Continue and Space: a script waiting for the operator goes on.
  void btContinueClick() { continued_ = true; }
  void btClearScriptClick();
  void btLoadClick();
  void btSaveClick();
  void btEditClick();
  // Teach on or off (F8).
  void btTeachClick();
  // Shows the timeline of the script.
  void btTimelineClick();
  // Limp and F9: torque off to move the arm by hand, or on again where the arm stands.
  void btLimpClick();

  const ServoTables& servoTables() const;

  // PlaybackHost
  void StopTick() override { Timer1.Stop(); }
  void StartTick() override { RestartTick(); }
  void ShowPlaying(bool playing) override;
  void PumpEvents() override;
  void CommandStarting(int index, int count) override;
  bool WaitForOperator() override;

  // ArmLine: the gate's way to the port. A write goes out in one piece, the gauges follow
  // it and the tick runs again after it, or, in a run, once the run is over.
  bool Write(const ByteString& frames) override;
  ScheduleClock& Clock() override { return *clock; }
  void Received(const Pose& before, const Pose& now) override;
  // A servo out of bounds halts every run until a reading says otherwise.
  bool Halted() override { return halt_ || stopRequested == 1 || !watch_.alarm().empty(); }
  ArmGate& gate() { return gate_; }

  ServoState state;
  TComPort ComPort1;
  TTickTimer Timer1;
  TRoboPath script;
  TFileProcess FileProcess1;
  ArmGeometry arm;
  int stopRequested = 0;
  // Playback's waits and the pause after each write go by it; tests put in their own.
  // The arm view follows the frames during its sleeps, and a halt ends them.
  ScheduleClock* clock = &haltClock_;

  std::unique_ptr<Ui::TfrmVantrel> ui;
  TfrmVTOptions* options() const { return options_.get(); }
  TfrmJoy* joystick() const { return joy_.get(); }
  TArmView* armView() const { return armLink_.view(); }
  TfrmJogPad* jogPad() const { return jog_->pad(); }
  TTeachControl& teach() { return *teach_; }
  TLimpControl& limp() { return *limp_; }
  // The board read back while connected: the last reading, the measured pose, a read now.
  TBoardWatch& boardWatch() { return watch_; }
  TfrmTimeline* timeline() const { return timeline_; }
  // F5: shows the jog pad beside the window, or hides it.
  void ToggleJogPad() { jog_->TogglePad(); }
  // Arm view and F7: shows the arm as sent to it (and as read back, where the controller says),
  // or hides it.
  void ToggleArmView();
  // The arm, its limits and the table plane, as last applied.
  Workspace workspace() const { return {arm, servoTables(), minToolY_}; }
  TComLed* ComLed1 = nullptr;
  TComLed* ComLed2 = nullptr;
  TStatusLine status;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void FormCreate(const std::string& settingsPath);
  void ComPort1TxEmpty() { state.txEmpty = true; }
  // The title says whether the port is open.
  void ShowConnection();
  // The device vanished: whatever moved stops, and nothing moves again by itself.
  void EndMotion();
  // The port opened by itself (back, or there at last).
  void PortAppeared();
  // Starts the tick; a message that it is stopped goes.
  void RestartTick();
  // The positions go back to what the controller last received.
  void RestoreSentPose();
  // The live state with the positions the arm received.
  ServoState ReceivedState() const;
  void ConnectControls();
  void UpdateArmView();
  // While the arm plays or moves, nothing else may start a motion.
  void ShowBusy(bool busy);
  // The X, Y and Z boxes' texts, a decimal comma read as the desktop's language writes it.
  std::array<std::string, 3> TypedPoint() const;
  // A run of the arm (playback, Move, Home) begins: an earlier Esc no longer counts.
  void BeginRun();
  // Move and Home: the arm to `target` through the gate, the tick held off meanwhile; the
  // positions shown are then what the arm received. The jog directions become `directions`
  // once the move has begun: a refused one leaves jogging as it was.
  void GoTo(const Pose& target, const std::optional<ToolPoint>& along,
            const int32_t (&directions)[kServoCount + 1]);
  // True, with the reason on the status line, while a motion runs: a second one is refused.
  bool BusyRefused();
  // The servos the tick sends: those the tool jog moved, then the jogged ones in servo order.
  std::vector<int> TickServos(const ServoState& stepped, bool horizontalMode);
  // A tick while the arm is limp: nothing is written; Teach samples what the board reports.
  void LimpTick();
  // Lets keys and clicks in during a long wait, with no tick.
  void PumpDuringWait();
  // Follows the port's arm after the port (re)opened: a new port's arm is where it was left.
  void FollowPort();
  // The port opened: the board is read back afresh, the whole pose at once.
  void WatchBoard();
  // What the window does with what the board tells.
  TBoardWatch::Hooks WatchHooks();
  // The keys of this window, and Esc in every window of the program.
  void RouteKeys();
  // The arm view's outline of the point typed into the coordinate boxes.
  void UpdatePreview();
  // Asks before a changed, non-empty script is thrown away; true to go on.
  bool DiscardAllowed();

  // How playback moves the arm, as the settings last applied say.
  MotionConfig motion_;
  // The servo board the settings name: every frame reaches the line in its bytes.
  BoardLine board_;
  bool moveLine_ = false;
  std::unique_ptr<TfrmVTOptions> options_;
  std::unique_ptr<TfrmJoy> joy_;
  TArmViewLink armLink_;
  // Set by Esc; the next run of the arm clears it.
  bool halt_ = false;
  // A W line holds playback until Continue sets this.
  bool waiting_ = false;
  bool continued_ = false;
  // Long waits are cut into slices, between which keys (Esc) and clicks are handled.
  HaltingClock haltClock_;
  // The pose sent, remembered for the port; written at most once a second.
  TPoseKeeper poseKeeper_;
  QTimer poseTimer_;
  std::unique_ptr<TGaugePanel> gauges_;
  std::unique_ptr<TJogController> jog_;
  std::unique_ptr<TKeyRouter> keys_;
  std::unique_ptr<TTeachControl> teach_;
  TfrmTimeline* timeline_ = nullptr;
  // Every motion of the arm goes through it; it knows what the arm received.
  ArmGate gate_{*this};
  std::unique_ptr<TLimpControl> limp_;
  TArmReadout readout_{nullptr};
  TBoardWatch watch_{ComPort1, WatchHooks()};
  float minToolY_ = 0;
  QString connectedSaid_;  // the last "Connected to" message, taken back when the port goes
  // The arm on the broker; last, so it goes first, while what it drives is still there.
  friend class TWindowRemote;
  std::unique_ptr<TWindowRemote> remote_;
};
