// A lamp that shows one line signal of a serial port, or a state the program sets while no
// port is attached.
#pragma once

#include <QPixmap>
#include <QTimer>
#include <QWidget>

#include <functional>

#include "com_port.h"
#include "own_paper.h"

enum TComLedSignal { lsConn, lsCTS, lsDSR, lsRLSD, lsRing, lsRx, lsTx };
enum TLedKind {
  lkRedLight,
  lkGreenLight,
  lkBlueLight,
  lkYellowLight,
  lkPurpleLight,
  lkBulb,
  lkCustom
};
enum TLedState { lsOff, lsOn };

class TComLed : public QWidget {
  Q_OBJECT

 public:
  using TLedStateEvent = std::function<void(TComLed* sender, TLedState state)>;

  explicit TComLed(QWidget* parent = nullptr);
  ~TComLed() override;

  // Attaching drives the lamp from the port; it is told when the port is destroyed.
  TCustomComPort* ComPort() const { return comPort_; }
  void SetComPort(TCustomComPort* port);
  TComLedSignal LedSignal() const { return ledSignal_; }
  void SetLedSignal(TComLedSignal value);
  TLedKind Kind() const { return kind_; }
  void SetKind(TLedKind value);
  // Settable only while Kind is lkCustom; drawn with the bottom-left pixel's colour left out.
  QPixmap GlyphOn() const { return glyphOn_; }
  void SetGlyphOn(const QPixmap& picture);
  QPixmap GlyphOff() const { return glyphOff_; }
  void SetGlyphOff(const QPixmap& picture);
  // Settable only while no port is attached (message 19 otherwise).
  TLedState State() const { return state_; }
  void SetState(TLedState value);
  int RingDuration() const { return ringTimer_.interval(); }
  void SetRingDuration(int milliseconds) { ringTimer_.setInterval(milliseconds); }
  // Filled with the palette's background, as autoFillBackground would; a lamp flashes with
  // every write, so it fills the background itself where it can.
  void SetOpaque(bool opaque) { paper_.SetOpaque(opaque); }

  TLedStateEvent OnChange;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void SetLampState(TLedState value);
  bool LineLevel();
  void LoadKindGlyphs(TLedKind kind);
  const QPixmap& CurrentGlyph() const;
  void LampLinkChanged(TCustomComPort* sender, bool on);
  void LampRing(TCustomComPort* sender);
  void RingTimerTick();

  TCustomComPort* comPort_ = nullptr;
  TComLedSignal ledSignal_ = lsConn;
  TLedKind kind_ = lkRedLight;
  TLedState state_ = lsOff;
  TComLink lampLink_;
  QPixmap glyphOn_;
  QPixmap glyphOff_;
  QTimer ringTimer_;
  TOwnPaper paper_{this};
};
