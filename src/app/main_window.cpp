#include "main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QScreen>

#include "applied_settings.h"
#include "com_led.h"
#include "error_report.h"
#include "errors.h"
#include "gauge_surface.h"
#include "home_pose.h"
#include "joy_form.h"
#include "joy_mapping.h"
#include "move_to_point.h"
#include "options_form.h"
#include "servo_link.h"
#include "smooth_move.h"
#include "straight_line.h"
#include "timeline_window.h"
#include "ui_main_window.h"
#include "vantrel_application.h"
#include "virtual_controller.h"
#include "window_placement.h"

namespace {
// How often a long wait looks at the keys: Esc ends it within this.
constexpr std::chrono::milliseconds kHaltPoll{20};
}  // namespace

TfrmVantrel::TfrmVantrel(const std::string& settingsPath, QWidget* parent)
    : QWidget(parent),
      ui(std::make_unique<Ui::TfrmVantrel>()),
      haltClock_(
          armLink_, [this] { return halt_; }, kHaltPoll, [this] { PumpDuringWait(); }) {
  ui->setupUi(this);
  status = TStatusLine(ui->lbMessage);
  setWindowFlags(Qt::Tool | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  setFixedSize(268, 358);
  // Qt leaves tool windows out of "last window closed"; this one is the program.
  setAttribute(Qt::WA_QuitOnClose, true);
  QFont small(QStringLiteral("Sans Serif"));
  small.setStyleHint(QFont::SansSerif);
  small.setPixelSize(10);
  setFont(small);
  // The servo labels stand 58 pixels apart; the system sans-serif is wider than the classic
  // one, so they use its narrow cut where the system has one.
  QFont narrow = small;
  narrow.setStretch(QFont::SemiCondensed);
  for (QLabel* label : {ui->lbServo1, ui->lbServo2, ui->lbServo3}) label->setFont(narrow);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
  // The port name "sim" opens the virtual controller that the arm view draws.
  RegisterVirtualServoController();

  // The port as placed on the window, before the settings are applied.
  PlaceServoPort(ComPort1);
  ComPort1.OnTxEmpty = [this](TCustomComPort*) { ComPort1TxEmpty(); };
  // A vanished device stops the ticks and what moved (before its report's box opens); back,
  // or there at last, the ticks run again.
  ComPort1.OnDeviceLost = [this](TCustomComPort*) { EndMotion(); };
  ComPort1.OnReconnect = [this](TCustomComPort*) { PortAppeared(); };
  ComPort1.OnAfterOpen = ComPort1.OnAfterClose = [this](TCustomComPort*) { ShowConnection(); };

  // The gauge panel takes its colours from a palette, not a style sheet: under a style sheet
  // each tick's redraw of the needles and captions cost several times as much.
  QPalette panel = ui->Panel1->palette();
  panel.setColor(QPalette::Window, QColor(206, 239, 236));
  panel.setColor(QPalette::WindowText, Qt::black);
  ui->Panel1->setPalette(panel);
  // What moves each tick (needles, captions, lamps) paints its own background, so the panel
  // and the dials beneath are not redrawn with it.
  for (const auto& [gauge, dial] :
       {std::pair{ui->gauge1, ui->bkgauge1}, std::pair{ui->gauge2, ui->bkgauge2},
        std::pair{ui->gauge3, ui->bkgauge3}}) {
    gauge->SetDial(dial->pixmap());
  }
  for (TCaptionLabel* label : {ui->lbServo1, ui->lbServo2, ui->lbServo3}) {
    label->SetOpaque(true);
    // Nothing lays the captions out: a fixed size spares the panel a layout request, and
    // the loop a wake-up, with every new text.
    label->setFixedSize(label->size());
  }

  ComLed1 = new TComLed(ui->Panel1);
  ComLed1->setGeometry(189, 46, 20, 19);
  ComLed1->SetKind(lkRedLight);
  ComLed1->SetLedSignal(lsTx);
  ComLed1->SetComPort(&ComPort1);
  ComLed2 = new TComLed(ui->Panel1);
  ComLed2->setGeometry(215, 46, 20, 19);
  ComLed2->SetKind(lkGreenLight);
  ComLed2->SetLedSignal(lsRx);
  ComLed2->SetComPort(&ComPort1);
  ComLed1->SetOpaque(true);
  ComLed2->SetOpaque(true);

  jogPad_ = new TfrmJogPad(this);
  teach_ = std::make_unique<TTeachControl>(
      ui->btTeach, [this](const QString& text) { status.SetActivity(text); }, script);
  // Timelines opened from the editor picture the script on this arm, from where it stands.
  SetTimelineArmSource([this] {
    return TimelineArm{state, servoTables(), Motion(), TablePlaneOf(workspace())};
  });
  poseTimer_.setSingleShot(true);
  poseTimer_.setTimerType(Qt::PreciseTimer);  // never early, so the pose is due when it fires
  connect(&poseTimer_, &QTimer::timeout, this,
          [this] { poseKeeper_.FlushIfDue(TPoseKeeper::Clock::now()); });
  ConnectControls();
  // Keys go to the focus widget first, so watching it and the window (for keys typed with no
  // focus widget and keys left to it) sees every key typed here; the rest of the program's
  // events, the ticks among them, pass by without a filter.
  installEventFilter(this);
  connect(qApp, &QApplication::focusChanged, this, &TfrmVantrel::WatchFocus);

  try {
    FormCreate(settingsPath);
  } catch (const std::exception& e) {
    // Creation goes on without the remaining steps; the operator sees why.
    ShowErrorMessage(QString::fromStdString(e.what()), QString::fromStdString(DetailOf(e)));
  }
  // Also after a failed start: the pad is needed once the options name a working port.
  if (options_ && joy_) RunGuarded([this] { ShowJogPadAtStart(); });
}

TfrmVantrel::~TfrmVantrel() {
  // Closing the window moves the focus; the part of it that watches focus is gone by then.
  disconnect(qApp, &QApplication::focusChanged, this, nullptr);
  // The port closes after the window's other parts are gone: it must not tell them.
  ComPort1.OnAfterOpen = ComPort1.OnAfterClose = nullptr;
  ComPort1.OnDeviceLost = ComPort1.OnReconnect = nullptr;
  SetTimelineArmSource({});
  Timer1.Stop();
  poseKeeper_.Flush();
  // Newest first: the joystick form, then the options form, which writes the settings file.
  joy_.reset();
  options_.reset();
  delete ComLed1;
  delete ComLed2;
}

void TfrmVantrel::FormCreate(const std::string& settingsPath) {
  options_ = std::make_unique<TfrmVTOptions>(settingsPath, this);
  joy_ = std::make_unique<TfrmJoy>(this);
  joy_->onJoystick = [this](uint16_t buttons, double axisX, double axisY) {
    JoystickToDirections(buttons, axisX, axisY);
  };
  joy_->onNoJoystick = [this] { StopJog(); };
  joy_->SetPolling(false);
  script.clear();
  // A port that does not open is reported once the rest of start-up has run.
  std::exception_ptr portError;
  try {
    ApplySettings();
  } catch (const std::exception&) {
    portError = std::current_exception();
  }
  FollowPort();  // also when the settings stopped before the port
  UpdateGauges();
  std::copy(std::begin(state.position), std::end(state.position), sent_.begin());
  LoadJoystickCalibration();
  show();
  Timer1.Start();
  ui->lbMessage->hide();
  state.runState = 1;
  ShowConnection();
  if (portError) std::rethrow_exception(portError);
}

void TfrmVantrel::ConnectControls() {
  // Every handler goes through the one error path.
  auto on = [this](auto* sender, auto signal, auto handler) {
    connect(sender, signal, this, [handler] { RunGuarded(handler); });
  };
  on(&Timer1, &TTickTimer::Tick, [this] { Timer1Timer(); });
  on(ui->options, &QPushButton::clicked, [this] { optionsClick(); });
  on(ui->joyConfigure, &QPushButton::clicked, [this] { joyConfigureClick(); });
  on(ui->exit, &QPushButton::clicked, [this] { exitClick(); });
  on(ui->btmove, &QPushButton::clicked, [this] { btmoveClick(); });
  on(ui->btHome, &QPushButton::clicked, [this] { btHomeClick(); });
  QPushButton* servoButtons[] = {ui->btSv1, ui->btSv2, ui->btSv3, ui->btSv4, ui->btSv5, ui->btSv6};
  for (int i = 0; i < kServoCount; ++i) {
    on(servoButtons[i], &QPushButton::clicked, [this, i] { RecordServo(script, state, i + 1); });
  }
  on(ui->btSvAll, &QPushButton::clicked, [this] { RecordAll(script, state); });
  on(ui->btPause10, &QPushButton::clicked, [this] { RecordPause(script); });
  on(ui->btPlay, &QToolButton::clicked, [this] { btPlayClick(); });
  on(ui->btStop, &QToolButton::clicked, [this] { btStopClick(); });
  on(ui->btClearScript, &QToolButton::clicked, [this] { btClearScriptClick(); });
  on(ui->btEdit, &QToolButton::clicked, [this] { btEditClick(); });
  on(ui->btLoad, &QPushButton::clicked, [this] { btLoadClick(); });
  on(ui->btSave, &QPushButton::clicked, [this] { btSaveClick(); });
  connect(ui->cbJogTool, &QCheckBox::toggled, this, [this](bool on) {
    jog_.toolMode = on;
    StopJog();
  });
  for (QLineEdit* box : {ui->Xcoord, ui->Ycoord, ui->Zcoord}) {
    on(box, &QLineEdit::textChanged, [this] { UpdatePreview(); });
  }
  on(ui->btTeach, &QPushButton::clicked, [this] { btTeachClick(); });
  on(ui->btTimeline, &QPushButton::clicked, [this] { btTimelineClick(); });
}

const ServoTables& TfrmVantrel::servoTables() const {
  return options_->tables();
}

void TfrmVantrel::ApplySettings() {
  const AppliedSettings settings = ReadAppliedSettings(options_->store());
  motion_ = settings.motion;
  moveLine_ = settings.moveLine;
  // The rest applies whether the port opens or not; one that does not opens when it appears.
  std::exception_ptr portError;
  try {
    ConnectServoPort(ComPort1, settings.line);
  } catch (const std::exception&) {
    portError = std::current_exception();
    ComPort1.OpenWhenPresent();
  }
  state.servoIncr = settings.servoIncr;
  arm = settings.arm;
  minToolY_ = settings.minToolY;
  jogStep_ = settings.jogStep;
  Timer1.SetInterval(settings.servoComInterval);
  FollowPort();
  UpdateArmView();
  if (portError) std::rethrow_exception(portError);
}

void TfrmVantrel::FollowPort() {
  const std::string path = ComPort1.DevicePath();
  if (path == poseKeeper_.portPath()) return;
  SetStartPose(state, StartPose(options_->store(), path));
  std::copy(std::begin(state.position), std::end(state.position), sent_.begin());
  poseKeeper_.Follow(PoseFolder(), path, state);
}

TGaugeSurface* TfrmVantrel::Gauge(int k) const {
  TGaugeSurface* gauges[] = {ui->gauge1, ui->gauge2, ui->gauge3};
  return gauges[k - 1];
}

void TfrmVantrel::UpdateGauges() {
  QLabel* labels[] = {ui->lbServo1, ui->lbServo2, ui->lbServo3};
  for (int k = 1; k <= 3; ++k) {
    const int s = state.jogGroup + k;
    const Shown now{s, state.position[s]};
    if (shown_[k - 1] == now) continue;
    shown_[k - 1] = now;
    labels[k - 1]->setText(
        tr("servo%1: %2").arg(QString::number(s), QString::number(state.position[s])));
    DrawGauge(Gauge(k), GaugeValue(state.position[s]));
  }
}

void TfrmVantrel::Timer1Timer() {
  if (state.runState == 1) ReadJogInput();
  const ServoState before = state;
  for (int i = 1; i <= kServoCount; ++i) {
    StepServo(state, i);
    ClampServo(state, servoTables(), i);
  }
  const bool horizontalMode = ui->cbHoriz->isChecked() && !jog_.toolMode;
  const ByteString toolFrames =
      jog_.AfterStep(state, before, workspace(), horizontalMode, jogStep_);
  ShowJogStatus();
  teach_->Tick(state);
  UpdateGauges();
  std::function<ByteString()> horizontal;
  if (horizontalMode) {
    horizontal = [this] { return HorizontalFrame(state, options_->tables()); };
  }
  SendFrames(toolFrames + BuildTickFrames(state, servoTables(), horizontal));
  // Handling one pending event here is left to Qt: this handler returns to the event loop,
  // which serves every pending click, key and repaint before the next timer event, so a long
  // tick never starves the window.
}

void TfrmVantrel::ReadJogInput() {
  // While the pad is used it wins over a real stick; let go, the stick is read again.
  if (jogPad_->Engaged()) {
    const JogPadInput input = jogPad_->TakeInput();
    JoystickToDirections(input.buttons, input.axisX, input.axisY);
    return;
  }
  const auto reading = joy_->PollJoystick();
  teach_->StickRead(reading.has_value());
  if (reading && jogPadMode_ == JogPadMode::Auto && !jogPadByKey_) jogPad_->hide();
}

void TfrmVantrel::ShowJogPadAtStart() {
  jogPadMode_ = ParseJogPadMode(options_->ReadOption("jogPad"));
  if (jogPadMode_ == JogPadMode::Always ||
      (jogPadMode_ == JogPadMode::Auto && !joy_->JoystickAttached())) {
    ShowJogPad();
  }
}

void TfrmVantrel::ShowJogPad() {
  jogPad_->adjustSize();
  PlaceWindowBeside(jogPad_, this, {Side::Left});
  jogPad_->show();
}

void TfrmVantrel::ToggleJogPad() {
  if (jogPad_->isVisible()) {
    jogPad_->hide();
    return;
  }
  jogPadByKey_ = true;
  ShowJogPad();
}

void TfrmVantrel::JoystickToDirections(uint16_t buttons, double axisX, double axisY) {
  if (jog_.toolMode) {
    // The stick moves the tool point: X and Y as pushed, the first two buttons Z.
    const JogInputDirections d = JogDirectionsOf(buttons, axisX, axisY);
    jog_.direction = {d.x, d.y, d.buttons};
    return;
  }
  ::JoystickToDirections(state, buttons, axisX, axisY);
  if (state.jogGroup == shownGroup_) return;
  shownGroup_ = state.jogGroup;
  ui->lbGroup->setText(state.jogGroup == 0 ? QStringLiteral("0") : QStringLiteral("1"));
}

void TfrmVantrel::LoadJoystickCalibration() {
  joy_->LoadJoystickCalibration(options_->store());
}

bool TfrmVantrel::IsCoordinateBox(const QWidget* widget) const {
  // A Move target typed there must not add commands to the script.
  return widget == ui->Xcoord || widget == ui->Ycoord || widget == ui->Zcoord;
}

bool TfrmVantrel::IsTextBox(const QWidget* widget) const {
  if (IsCoordinateBox(widget)) return true;
  // A spin box types into the line edit inside it.
  for (const QWidget* box :
       {static_cast<QWidget*>(ui->sbSpeed), static_cast<QWidget*>(ui->sbRepeat)}) {
    if (widget == box || (widget && widget->parentWidget() == box)) return true;
  }
  return false;
}

void TfrmVantrel::WatchFocus(QWidget* old, QWidget* now) {
  if (old && old != this) old->removeEventFilter(this);
  // Esc halts from every window of the program, so every focus widget is watched; a window
  // without one gets the keys itself.
  if (!now) now = QApplication::activeWindow();
  if (now && now != this) now->installEventFilter(this);
}

bool TfrmVantrel::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
    // Seen on its first delivery only; a dialog still closes on it.
    QWidget* target = QApplication::focusWidget();
    if (!target) target = QApplication::activeWindow();
    if (watched == target) Halt();
    return QWidget::eventFilter(watched, event);
  }
  if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Home &&
      watched->isWidgetType() && static_cast<QWidget*>(watched)->window() == this &&
      !IsTextBox(static_cast<QWidget*>(watched))) {
    // Taken where it is first seen; in a text box it keeps its meaning there.
    RunGuarded([this] { btHomeClick(); });
    return true;
  }
  if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
      static_cast<QWidget*>(watched)->window() == this) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_F5) {
      ToggleJogPad();
      return true;
    }
    if (key == Qt::Key_F6) {
      ui->cbJogTool->toggle();
      return true;
    }
    if (key == Qt::Key_F8) {
      RunGuarded([this] { btTeachClick(); });
      return true;
    }
  }
  if (event->type() == QEvent::KeyPress) {
    // The key goes to the focus widget first (then to its parents): act on that first delivery
    // only, and only for keys typed in this window. The key is never consumed.
    QWidget* target = QApplication::focusWidget();
    if (!target) target = QApplication::activeWindow();
    if (watched == target && target && target->window() == this && !IsTextBox(target)) {
      const QString key = static_cast<QKeyEvent*>(event)->text();
      RunGuarded([&] { FormKeyPress(key); });
    }
  }
  return QWidget::eventFilter(watched, event);
}

void TfrmVantrel::FormKeyPress(const QString& key) {
  if (key.size() != 1) return;
  const QChar c = key.front();
  if (c >= QLatin1Char('1') && c <= QLatin1Char('6')) {
    RecordServo(script, state, c.digitValue());
  } else if (c == QLatin1Char('a')) {
    RecordAll(script, state);
  } else if (c == QLatin1Char('p')) {
    RecordPause(script);
  }
}

void TfrmVantrel::optionsClick() {
  Timer1.Stop();
  options_->exec();
  // The tick runs also when the port did not reopen: the arm is not moved, and the port
  // opens when it appears.
  try {
    ApplySettings();
  } catch (...) {
    RestartTick();
    throw;
  }
  RestartTick();
}

void TfrmVantrel::joyConfigureClick() {
  RunJoystickCalibration(
      *joy_, options_->store(), [this] { Timer1.Stop(); }, [this] { RestartTick(); });
}

void TfrmVantrel::exitClick() {
  close();
}

void TfrmVantrel::closeEvent(QCloseEvent* event) {
  bool discard = false;
  RunGuarded([&] { discard = DiscardAllowed(); });
  if (!discard) {
    event->ignore();
    return;
  }
  // The close box and Exit end the program, also while the arm view is open; a script that
  // is playing stops after its current command.
  stopRequested = 1;
  event->accept();
  QCoreApplication::quit();
}

void TfrmVantrel::btmoveClick() {
  BeginRun();
  Timer1.Stop();
  ServoState solved = state;
  ByteString frames;
  try {
    frames = MoveWithin(ui->Xcoord->text().toStdString(), ui->Ycoord->text().toStdString(),
                        ui->Zcoord->text().toStdString(), workspace(), solved, MoveRule::Refuse);
  } catch (const EMoveRefused&) {
    RestartTick();  // refused, nothing happened: jogging goes on
    throw;
  }
  if (armView()) armView()->ClearPreview();  // the arm goes where the outline was
  const ToolPoint target =
      ParseTarget(ui->Xcoord->text().toStdString(), ui->Ycoord->text().toStdString(),
                  ui->Zcoord->text().toStdString());
  if (!GoAlongLine(solved, target)) GoTo(solved, frames);
  RestartTick();
}

bool TfrmVantrel::GoAlongLine(const ServoState& solved, const ToolPoint& target) {
  if (!motion_.smooth || !moveLine_) return false;
  // As long as the servos' limits would make the move, and no more than 5 mm a tick.
  const ToolPoint from = ToolPointFromPositions(state.position, arm);
  const MotionPlan joints(PoseOf(state), PoseOf(solved), LimitsOf(servoTables(), motion_),
                          motion_.tickMs);
  const LinePlan line =
      PlanLine(from, target, workspace(), LineTicks(Distance(from, target), joints.ticks()));
  if (!line.refused.accepted()) {
    RestartTick();
    throw EMoveRefused(line.refused.reason);
  }
  const std::vector<Pose> poses = LinePoses(line, PoseOf(solved));
  std::copy(std::begin(solved.direction), std::end(solved.direction), std::begin(state.direction));
  const QSignalBlocker noTicks(&Timer1);
  MoveThrough(*this, motion_, poses, [this] { return halt_ || stopRequested == 1; });
  return true;
}

void TfrmVantrel::btHomeClick() {
  BeginRun();
  Timer1.Stop();
  ServoState home = state;
  const ByteString frames = GoToPose(home, servoTables(), HomePose(options_->store()));
  GoTo(home, frames);
  RestartTick();
}

void TfrmVantrel::GoTo(const ServoState& solved, const ByteString& frames) {
  std::copy(std::begin(solved.direction), std::end(solved.direction), std::begin(state.direction));
  if (!motion_.smooth) {
    std::copy(std::begin(solved.position), std::end(solved.position), std::begin(state.position));
    UpdateGauges();
    SendFrames(frames);
    return;
  }
  // The tick would jog the servos beside the move: it waits until the move is over.
  const QSignalBlocker noTicks(&Timer1);
  MoveSmoothly(*this, motion_, PoseOf(solved), [this] { return halt_ || stopRequested == 1; });
}

void TfrmVantrel::btStopClick() {
  stopRequested = 1;
  // Smooth playback holds the arm where it is; classic ends after the command in progress.
  if (motion_.smooth) halt_ = true;
}

void TfrmVantrel::Halt() {
  halt_ = true;
  stopRequested = 1;
}

void TfrmVantrel::BeginRun() {
  if (state.runState == 2) return;  // a Move or Home clicked while playing is part of that run
  halt_ = false;
  stopRequested = 0;
  haltClock_.Reset();
}

void TfrmVantrel::PumpDuringWait() {
  // Ticks stay out of the wait, as they would without the pump.
  const QSignalBlocker noTicks(&Timer1);
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void TfrmVantrel::PumpEvents() {
  // Handles what is pending without waiting for more: with the tick off (interval 0) a
  // waiting pump would stall playback until the operator moved the mouse.
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void TfrmVantrel::UpdateArmView() {
  armLink_.Follow(IsVirtualPortName(ComPort1.Port()), this, servoTables(), arm);
  if (armView()) armView()->SetTable(minToolY_);
}

void TfrmVantrel::StopJog() {
  StopJogging(state);
  jog_.direction = {};
}

void TfrmVantrel::ShowJogStatus() {
  const QString now = QString::fromStdString(jog_.status());
  if (now == jogStatus_) return;
  // Only what the jog said is taken back; other standing messages stay.
  if (!now.isEmpty() || status.Text() == jogStatus_) status.Say(now);
  jogStatus_ = now;
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
