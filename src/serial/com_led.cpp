#include "com_led.h"

#include <QBitmap>
#include <QCoreApplication>
#include <QEvent>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <array>

#include "com_error.h"

namespace {

struct GlyphNames {
  const char* on;
  const char* off;
};

constexpr std::array<GlyphNames, 6> kKindGlyphs = {{{"LEDREDON", "LEDREDOFF"},
                                                    {"LEDGREENON", "LEDGREENOFF"},
                                                    {"LEDBLUEON", "LEDBLUEOFF"},
                                                    {"LEDYELLOWON", "LEDYELLOWOFF"},
                                                    {"LEDPURPLEON", "LEDPURPLEOFF"},
                                                    {"LEDBULBON", "LEDBULBOFF"}}};

// The picture with every pixel of its bottom-left pixel's colour left out.
QPixmap Transparent(const QPixmap& picture) {
  if (picture.isNull()) return picture;
  QPixmap out = picture;
  const QColor background = picture.toImage().pixelColor(0, picture.height() - 1);
  out.setMask(out.createMaskFromColor(background, Qt::MaskInColor));
  return out;
}

QPixmap LoadLamp(const char* name) {
  return Transparent(QPixmap(QStringLiteral(":/lamps/") + QLatin1String(name)));
}

}  // namespace

TComLed::TComLed(QWidget* parent) : QWidget(parent) {
  resize(25, 25);
  ringTimer_.setInterval(1000);
  connect(&ringTimer_, &QTimer::timeout, this, &TComLed::RingTimerTick);
  lampLink_.connChanged = [this](TCustomComPort* sender, bool on) { LampLinkChanged(sender, on); };
}

TComLed::~TComLed() {
  ringTimer_.stop();
  SetComPort(nullptr);
}

void TComLed::SetComPort(TCustomComPort* port) {
  if (port == comPort_) return;
  if (comPort_) {
    comPort_->RemoveFreeNotification(this);
    comPort_->DetachLink(&lampLink_);
  }
  comPort_ = port;
  if (port) {
    port->FreeNotification(this, [this](TCustomComPort*) { SetComPort(nullptr); });
    port->AttachLink(&lampLink_);
    if (port->Connected()) SetLampState(LineLevel() ? lsOn : lsOff);
  } else {
    SetLampState(lsOff);
  }
}

void TComLed::SetLedSignal(TComLedSignal value) {
  if (value == ledSignal_) return;
  ledSignal_ = value;
  lampLink_.connChanged = nullptr;
  lampLink_.ctsChanged = nullptr;
  lampLink_.dsrChanged = nullptr;
  lampLink_.rlsdChanged = nullptr;
  lampLink_.ringSeen = nullptr;
  lampLink_.txActive = nullptr;
  lampLink_.rxActive = nullptr;
  auto changed = [this](TCustomComPort* sender, bool on) { LampLinkChanged(sender, on); };
  switch (value) {
    case lsConn:
      lampLink_.connChanged = changed;
      break;
    case lsCTS:
      lampLink_.ctsChanged = changed;
      break;
    case lsDSR:
      lampLink_.dsrChanged = changed;
      break;
    case lsRLSD:
      lampLink_.rlsdChanged = changed;
      break;
    case lsRx:
      lampLink_.rxActive = changed;
      break;
    case lsTx:
      lampLink_.txActive = changed;
      break;
    case lsRing:
      lampLink_.ringSeen = [this](TCustomComPort* sender) { LampRing(sender); };
      break;
  }
}

void TComLed::SetKind(TLedKind value) {
  if (value == kind_) return;
  kind_ = value;
  LoadKindGlyphs(value);
  update();
}

void TComLed::SetGlyphOn(const QPixmap& picture) {
  if (kind_ != lkCustom) return;
  glyphOn_ = Transparent(picture);
  update();
}

void TComLed::SetGlyphOff(const QPixmap& picture) {
  if (kind_ != lkCustom) return;
  glyphOff_ = Transparent(picture);
  update();
}

void TComLed::SetState(TLedState value) {
  if (comPort_) throw EComPort(19);
  SetLampState(value);
}

void TComLed::SetLampState(TLedState value) {
  state_ = value;
  if (const auto handler = OnChange) handler(this, value);
  update();
}

bool TComLed::LineLevel() {
  switch (ledSignal_) {
    case lsConn:
      return comPort_ && comPort_->Connected();
    case lsCTS:
      return comPort_->ModemLines().Has(sigCTS);
    case lsDSR:
      return comPort_->ModemLines().Has(sigDSR);
    case lsRLSD:
      return comPort_->ModemLines().Has(sigRLSD);
    case lsRing:
    case lsRx:
    case lsTx:
      return false;
  }
  return false;
}

void TComLed::LoadKindGlyphs(TLedKind kind) {
  if (kind == lkCustom) return;
  const GlyphNames& names = kKindGlyphs[static_cast<size_t>(kind)];
  glyphOn_ = LoadLamp(names.on);
  glyphOff_ = LoadLamp(names.off);
}

const QPixmap& TComLed::CurrentGlyph() const {
  if (!isEnabled()) return glyphOff_;
  return state_ == lsOn ? glyphOn_ : glyphOff_;
}

void TComLed::LampLinkChanged(TCustomComPort*, bool on) {
  SetLampState(on ? lsOn : lsOff);
  // Lets the window (and queued serial events) go on while a write is in progress.
  QCoreApplication::processEvents();
}

void TComLed::LampRing(TCustomComPort*) {
  // A second ring does not restart the timer: the lamp goes off after the first one's time.
  if (!ringTimer_.isActive()) ringTimer_.start();
  SetLampState(lsOn);
}

void TComLed::RingTimerTick() {
  ringTimer_.stop();
  SetLampState(lsOff);
}

void TComLed::paintEvent(QPaintEvent*) {
  if (glyphOn_.isNull() || glyphOff_.isNull()) LoadKindGlyphs(kind_);
  const QPixmap& glyph = CurrentGlyph();
  QPainter painter(this);
  if (paper_.Fills()) paper_.Fill(painter);
  if (glyph.isNull()) return;
  const QPixmap& sized = state_ == lsOn ? glyphOn_ : glyphOff_;
  const QRect area = contentsRect();
  const int x = area.left() + std::max(0, (area.width() - sized.width()) / 2);
  const int y = area.top() + std::max(0, (area.height() - sized.height()) / 2);
  painter.drawPixmap(x, y, glyph);
}

void TComLed::changeEvent(QEvent* event) {
  if (event->type() == QEvent::PaletteChange) paper_.PaletteChanged();
  QWidget::changeEvent(event);
}
