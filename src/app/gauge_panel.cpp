#include "gauge_panel.h"

#include <QCoreApplication>
#include <QFrame>
#include <QLabel>

#include "caption_label.h"
#include "com_led.h"
#include "gauge_surface.h"

namespace {
TComLed* PlaceLamp(QFrame* panel, TComPort& port, const QRect& where, TLedKind kind,
                   TComLedSignal signal) {
  auto* lamp = new TComLed(panel);
  lamp->setGeometry(where);
  lamp->SetKind(kind);
  lamp->SetLedSignal(signal);
  lamp->SetComPort(&port);
  lamp->SetOpaque(true);
  return lamp;
}
}  // namespace

TGaugePanel::TGaugePanel(const Parts& parts, TComPort& port) : parts_(parts) {
  // The servo captions stand 58 pixels apart; the system sans-serif is wider than the classic
  // one, so they use its narrow cut where the system has one.
  QFont narrow = parts_.panel->font();
  narrow.setStretch(QFont::SemiCondensed);
  for (TCaptionLabel* label : parts_.captions) label->setFont(narrow);
  // The panel takes its colours from a palette, not a style sheet: under a style sheet each
  // tick's redraw of the needles and captions cost several times as much.
  QPalette palette = parts_.panel->palette();
  palette.setColor(QPalette::Window, QColor(206, 239, 236));
  palette.setColor(QPalette::WindowText, Qt::black);
  parts_.panel->setPalette(palette);
  // What moves each tick (needles, captions, lamps) paints its own background, so the panel
  // and the dials beneath are not redrawn with it.
  for (int k = 0; k < 3; ++k) parts_.gauges[k]->SetDial(parts_.dials[k]->pixmap());
  for (TCaptionLabel* label : parts_.captions) {
    label->SetOpaque(true);
    // Nothing lays the captions out: a fixed size spares the panel a layout request, and
    // the loop a wake-up, with every new text.
    label->setFixedSize(label->size());
  }
  tx_ = PlaceLamp(parts_.panel, port, {189, 46, 20, 19}, lkRedLight, lsTx);
  rx_ = PlaceLamp(parts_.panel, port, {215, 46, 20, 19}, lkGreenLight, lsRx);
}

TGaugePanel::~TGaugePanel() {
  // The lamps leave the port before it goes.
  delete tx_;
  delete rx_;
}

void TGaugePanel::Update(const ServoState& state) {
  for (int k = 1; k <= 3; ++k) {
    const int s = state.jogGroup + k;
    const Shown now{s, state.position[s]};
    if (shown_[k - 1] == now) continue;
    shown_[k - 1] = now;
    parts_.captions[k - 1]->setText(
        QCoreApplication::translate("TfrmVantrel", "servo%1: %2")
            .arg(QString::number(s), QString::number(state.position[s])));
    DrawGauge(parts_.gauges[k - 1], GaugeValue(state.position[s]));
  }
}

void TGaugePanel::ShowGroup(int jogGroup) {
  if (jogGroup == shownGroup_) return;
  shownGroup_ = jogGroup;
  parts_.group->setText(jogGroup == 0 ? QStringLiteral("0") : QStringLiteral("1"));
}
