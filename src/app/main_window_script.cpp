// The window and its script: the editor, the timeline, the files, and what the buttons show
// while it plays.
#include <chrono>

#include "dialog_seam.h"
#include "error_report.h"
#include "errors.h"
#include "main_window.h"
#include "options_form.h"
#include "timeline_window.h"
#include "translate.h"
#include "ui_main_window.h"

namespace {
// How often a wait for the operator looks for Continue, Stop and Esc.
constexpr std::chrono::milliseconds kWaitPoll{20};

// Names saved without an extension get ".vcp", so the first filter lists both.
QString ScriptFilter() {
  return TfrmVantrel::tr("Vantrel script (*.vco *.vcp)") + QStringLiteral(";;") +
         TfrmVantrel::tr("All files (*)");
}
}  // namespace

void TfrmVantrel::btEditClick() {
  script.edit();
}

void TfrmVantrel::btTeachClick() {
  ServoState start = ReceivedState();
  if (limp_->active()) {
    // Taught by hand: it starts where the hand holds the arm.
    if (!teach_->active() && !limp_->ReadInto(start, TrNoop("Not teaching: {1}"))) {
      teach_->Stop();
      return;
    }
  } else if (BusyRefused()) {
    return;
  }
  teach_->Toggle(start, *clock, TeachIntervalMs(options_->store()));
}

void TfrmVantrel::btTimelineClick() {
  if (!timeline_) {
    timeline_ = new TfrmTimeline(
        [this] {
          std::vector<TServoCommand> commands;
          commands.reserve(script.commands.size());
          for (const auto& c : script.commands) commands.push_back(*c);
          return commands;
        },
        this);
    // A click on a point opens the editor on its command, as Edit would: not while playing.
    timeline_->onCommandClicked = [this](int index) {
      if (ui->btEdit->isEnabled()) RunGuarded([&] { script.edit(index); });
    };
  }
  timeline_->show();
  timeline_->raise();
}

void TfrmVantrel::CommandStarting(int index, int) {
  if (timeline_) timeline_->CommandStarting(index, *clock);
}

bool TfrmVantrel::DiscardAllowed() {
  if (!script.Modified() || script.count() == 0) return true;
  const int count = script.count();
  // The English says the same for one command; other languages have a singular of their own.
  return UiSeam::Instance().question(
      this, QString::fromStdString(FormatText(TrN("Discard the {1} unsaved commands?",
                                                  "Discard the {1} unsaved commands?", count),
                                              {std::to_string(count)})));
}

void TfrmVantrel::btClearScriptClick() {
  if (!DiscardAllowed()) return;
  script.clear();
  script.MarkClean();
}

void TfrmVantrel::btLoadClick() {
  if (!DiscardAllowed()) return;
  const QString name = UiSeam::Instance().openFileName(this, ScriptFilter());
  if (name.isEmpty()) return;
  FileProcess1.RecordSource = name.toStdString();
  FileProcess1.close();
  script.load(FileProcess1);
  script.MarkClean();
}

void TfrmVantrel::btSaveClick() {
  // Asked for a file, an empty script would write nothing and leave an old file looking saved.
  if (script.count() == 0) throw EFPError(Tr(kEmptyScriptNotSaved));
  const QString name = UiSeam::Instance().saveFileName(this, ScriptFilter(), QStringLiteral("vcp"));
  if (name.isEmpty()) return;
  FileProcess1.RecordSource = name.toStdString();
  FileProcess1.close();
  try {
    script.save(FileProcess1);
  } catch (...) {
    FileProcess1.close();  // drops the half-written file; the old one stays
    throw;
  }
  FileProcess1.close();
  script.MarkClean();
}

bool TfrmVantrel::WaitForOperator() {
  // The arm holds its pose: no tick sends anything while the operator is awaited.
  Timer1.Stop();
  continued_ = false;
  waiting_ = true;
  ui->btContinue->setEnabled(true);
  status.SetWaiting(true);
  while (!continued_ && stopRequested != 1 && !halt_) {
    clock->SleepFor(kWaitPoll);
    PumpEvents();
  }
  waiting_ = false;
  ui->btContinue->setEnabled(false);
  status.SetWaiting(false);
  return continued_ && stopRequested != 1 && !halt_;
}

void TfrmVantrel::ShowPlaying(bool playing) {
  state.runState = playing ? 2 : 1;
  // The jog directions the script found would otherwise go on when it ends.
  if (playing) jog_->Stop();
  ShowBusy(playing);
  ui->btPlay->setEnabled(!playing);
  ui->btClearScript->setEnabled(!playing);
  ui->btStop->setEnabled(playing);
  status.SetPlaying(playing);
  if (!playing && timeline_) timeline_->PlaybackEnded();
}
