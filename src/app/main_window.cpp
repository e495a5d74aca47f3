#include "main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QScreen>

#include "applied_settings.h"
#include "board_settings.h"
#include "error_report.h"
#include "errors.h"
#include "gauge_panel.h"
#include "home_pose.h"
#include "joy_form.h"
#include "key_router.h"
#include "move_to_point.h"
#include "options_form.h"
#include "servo_link.h"
#include "timeline_window.h"
#include "ui_main_window.h"
#include "vantrel_application.h"
#include "virtual_controller.h"
#include "window_remote.h"

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
  readout_ = TArmReadout(ui->lbArm);
  setWindowFlags(Qt::Tool | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  setFixedSize(268, 416);
  // Qt leaves tool windows out of "last window closed"; this one is the program.
  setAttribute(Qt::WA_QuitOnClose, true);
  QFont small(QStringLiteral("Sans Serif"));
  small.setStyleHint(QFont::SansSerif);
  small.setPixelSize(10);
  setFont(small);
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

  gauges_ =
      std::make_unique<TGaugePanel>(TGaugePanel::Parts{ui->Panel1,
                                                       {ui->bkgauge1, ui->bkgauge2, ui->bkgauge3},
                                                       {ui->gauge1, ui->gauge2, ui->gauge3},
                                                       {ui->lbServo1, ui->lbServo2, ui->lbServo3},
                                                       ui->lbGroup},
                                    ComPort1);
  ComLed1 = gauges_->txLamp();
  ComLed2 = gauges_->rxLamp();

  jog_ = std::make_unique<TJogController>(this, state, status,
                                          [this](uint16_t buttons, double axisX, double axisY) {
                                            JoystickToDirections(buttons, axisX, axisY);
                                          });
  teach_ = std::make_unique<TTeachControl>(
      ui->btTeach, [this](const QString& text) { status.SetActivity(text); }, script);
  limp_ = std::make_unique<TLimpControl>(ui->btLimp, ComPort1, board_, gate_, watch_,
                                         [this](const QString& text) { status.Say(text); });
  // Timelines opened from the editor picture the script on this arm, from where it stands.
  SetTimelineArmSource([this] {
    return TimelineArm{gate_.received(), gate_.settings(), ui->sbSpeed->value(),
                       TablePlaneOf(workspace())};
  });
  poseTimer_.setSingleShot(true);
  poseTimer_.setTimerType(Qt::PreciseTimer);  // never early, so the pose is due when it fires
  connect(&poseTimer_, &QTimer::timeout, this,
          [this] { poseKeeper_.FlushIfDue(TPoseKeeper::Clock::now()); });
  ConnectControls();
  RouteKeys();

  try {
    FormCreate(settingsPath);
  } catch (const std::exception& e) {
    // Creation goes on without the remaining steps; the operator sees why.
    ShowErrorMessage(QString::fromStdString(e.what()), QString::fromStdString(DetailOf(e)));
  }
  // Also after a failed start: the pad is needed once the options name a working port.
  if (options_ && joy_) {
    RunGuarded([this] {
      jog_->ShowPadAtStart(ParseJogPadMode(options_->ReadOption("jogPad")),
                           joy_->JoystickAttached());
    });
  }
}

TfrmVantrel::~TfrmVantrel() {
  // Closing the window moves the focus; the part of it that watches focus is gone by then.
  keys_.reset();
  // The port closes after the window's other parts are gone: it must not tell them.
  ComPort1.OnAfterOpen = ComPort1.OnAfterClose = nullptr;
  ComPort1.OnDeviceLost = ComPort1.OnReconnect = nullptr;
  SetTimelineArmSource({});
  Timer1.Stop();
  poseKeeper_.Flush();
  // Newest first: the joystick form, then the options form, which writes the settings file.
  joy_.reset();
  options_.reset();
  gauges_.reset();  // the lamps leave the port before it goes
}

void TfrmVantrel::FormCreate(const std::string& settingsPath) {
  options_ = std::make_unique<TfrmVTOptions>(settingsPath, this);
  joy_ = std::make_unique<TfrmJoy>(this);
  joy_->onJoystick = [this](uint16_t buttons, double axisX, double axisY) {
    JoystickToDirections(buttons, axisX, axisY);
  };
  joy_->onNoJoystick = [this] { jog_->Stop(); };
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
  LoadJoystickCalibration();
  show();
  Timer1.Start();
  ui->lbMessage->hide();
  state.runState = 1;
  ShowConnection();
  RunGuarded([&] { TWindowRemote::Follow(remote_, *this); });
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
  on(ui->btContinue, &QPushButton::clicked, [this] { btContinueClick(); });
  on(ui->btClearScript, &QToolButton::clicked, [this] { btClearScriptClick(); });
  on(ui->btEdit, &QToolButton::clicked, [this] { btEditClick(); });
  on(ui->btLoad, &QPushButton::clicked, [this] { btLoadClick(); });
  on(ui->btSave, &QPushButton::clicked, [this] { btSaveClick(); });
  connect(ui->cbJogTool, &QCheckBox::toggled, this, [this](bool on) { jog_->SetToolMode(on); });
  for (QLineEdit* box : {ui->Xcoord, ui->Ycoord, ui->Zcoord}) {
    on(box, &QLineEdit::textChanged, [this] { UpdatePreview(); });
  }
  on(ui->btTeach, &QPushButton::clicked, [this] { btTeachClick(); });
  on(ui->btTimeline, &QPushButton::clicked, [this] { btTimelineClick(); });
  on(ui->btArmView, &QPushButton::clicked, [this] { ToggleArmView(); });
  on(ui->btLimp, &QPushButton::clicked, [this] { btLimpClick(); });
}

const ServoTables& TfrmVantrel::servoTables() const {
  return options_->tables();
}

void TfrmVantrel::ApplySettings() {
  const AppliedSettings settings = ReadAppliedSettings(options_->store());
  motion_ = settings.motion;
  board_ = BoardLine(settings.board.config, servoTables());
  TVirtualServoController::Instance().SetBoard(settings.board.config);
  moveLine_ = settings.moveLine;
  arm = settings.arm;
  minToolY_ = settings.minToolY;
  // The gate sends the program's own frames; the line turns them into the board's bytes.
  gate_.Configure({workspace(), motion_, moveLine_, std::nullopt});
  // The rest applies whether the port opens or not; one that does not opens when it appears.
  std::exception_ptr portError;
  try {
    ConnectServoPort(ComPort1, settings.line);
  } catch (const std::exception&) {
    portError = std::current_exception();
    ComPort1.OpenWhenPresent();
  }
  state.servoIncr = settings.servoIncr;
  jog_->SetStep(settings.jogStep);
  Timer1.SetInterval(settings.servoComInterval);
  WatchBoard();
  FollowPort();
  UpdateArmView();
  ReportBoardProblems(settings.board);
  if (portError) std::rethrow_exception(portError);
}

void TfrmVantrel::UpdateGauges() {
  gauges_->Update(state);
  readout_.Show(state, arm);
}

void TfrmVantrel::Timer1Timer() {
  if (limp_->active()) {
    LimpTick();
    return;
  }
  if (state.runState == 1) jog_->ReadInput(*joy_, *teach_);
  // A servo too hot or overloaded: nothing jogs until a reading says otherwise.
  if (!watch_.alarm().empty()) jog_->Stop();
  const ServoState before = state;
  for (int i = 1; i <= kServoCount; ++i) {
    StepServo(state, i);
    ClampServo(state, servoTables(), i);
  }
  const ServoState stepped = state;
  const bool horizontalMode = ui->cbHoriz->isChecked() && !jog_->toolMode();
  jog_->AfterStep(before, workspace(), horizontalMode);
  const std::vector<int> servos = TickServos(stepped, horizontalMode);
  UpdateGauges();
  try {
    if (!gate_.Jog(PoseOf(state), servos)) RestoreSentPose();
  } catch (...) {
    RestoreSentPose();
    throw;
  }
  if (!Timer1.Enabled()) RestartTick();
  // A write is followed by a question of its own; a tick that wrote nothing asks one.
  if (servos.empty() && !gate_.busy()) watch_.ReadNext();
  // Teaching records what the arm received, not what the stick asked for.
  teach_->Tick(ReceivedState());
  // Handling one pending event here is left to Qt: this handler returns to the event loop,
  // which serves every pending click, key and repaint before the next timer event, so a long
  // tick never starves the window.
}

std::vector<int> TfrmVantrel::TickServos(const ServoState& stepped, bool horizontalMode) {
  std::vector<int> servos;
  // The tool jog sets servos 1 to 4 after the step; those it changed go first.
  for (int i = 1; i <= 4 && jog_->toolMode(); ++i) {
    if (state.position[i] != stepped.position[i]) servos.push_back(i);
  }
  for (int i = 1; i <= kServoCount; ++i) {
    if (horizontalMode && i == 4) {
      if (!HorizontalFrame(state, servoTables()).empty()) servos.push_back(4);
    } else if (state.direction[i] != 0) {
      servos.push_back(i);
    }
  }
  return servos;
}

void TfrmVantrel::JoystickToDirections(uint16_t buttons, double axisX, double axisY) {
  jog_->Steer(buttons, axisX, axisY);
  gauges_->ShowGroup(state.jogGroup);
}

void TfrmVantrel::LoadJoystickCalibration() {
  joy_->LoadJoystickCalibration(options_->store());
}

void TfrmVantrel::RouteKeys() {
  TKeyRouter::Actions actions;
  actions.halt = [this] { Halt(); };
  actions.home = [this] { RunGuarded([this] { btHomeClick(); }); };
  actions.toggleJogPad = [this] { ToggleJogPad(); };
  actions.toggleJogTool = [this] { ui->cbJogTool->toggle(); };
  actions.toggleArmView = [this] { ToggleArmView(); };
  actions.teach = [this] { RunGuarded([this] { btTeachClick(); }); };
  actions.limp = [this] { RunGuarded([this] { btLimpClick(); }); };
  actions.space = [this] {
    if (waiting_) btContinueClick();
    return waiting_;
  };
  actions.keyPress = [this](const QString& key) { RunGuarded([&] { FormKeyPress(key); }); };
  // Keys typed there are text: a Move target typed in the coordinate boxes must not add
  // commands to the script, nor a speed or a repeat count.
  keys_ = std::make_unique<TKeyRouter>(
      this,
      std::vector<const QWidget*>{ui->Xcoord, ui->Ycoord, ui->Zcoord, ui->sbSpeed, ui->sbRepeat},
      std::move(actions));
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
  // The tick runs and the broker link follows also when the port did not reopen: the arm is
  // not moved, and the port opens when it appears.
  std::exception_ptr portError;
  try {
    ApplySettings();
  } catch (...) {
    portError = std::current_exception();
  }
  RestartTick();
  RunGuarded([&] { TWindowRemote::Follow(remote_, *this); });
  if (portError) std::rethrow_exception(portError);
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
  if (BusyRefused()) return;
  // Solved and checked before anything stops: a refused Move leaves jogging as it was.
  const auto [x, y, z] = TypedPoint();
  ServoState solved = state;
  MoveWithin(x, y, z, workspace(), solved, MoveRule::Refuse);
  const ToolPoint target = ParseTarget(x, y, z);
  BeginRun();
  if (armView()) armView()->ClearPreview();  // the arm goes where the outline was
  GoTo(PoseOf(solved), target, solved.direction);
}

void TfrmVantrel::btHomeClick() {
  if (BusyRefused()) return;
  BeginRun();
  ServoState home = state;
  GoToPose(home, servoTables(), HomePose(options_->store()));
  GoTo(PoseOf(home), std::nullopt, home.direction);
}

void TfrmVantrel::btStopClick() {
  // The gate looks after every wait: a smooth move holds within a tick, a classic one ends
  // after the wait of the command in progress.
  stopRequested = 1;
}

void TfrmVantrel::Halt() {
  halt_ = true;
  stopRequested = 1;
}

void TfrmVantrel::BeginRun() {
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
