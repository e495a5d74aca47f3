// A surface over a dial picture that draws one red needle. Given the dial, it draws the dial
// itself on its palette's window colour and is opaque: a needle that moves then repaints this
// one widget, not the panel and the picture beneath it as well.
#pragma once

#include <QColor>
#include <QPixmap>
#include <QWidget>
#include <map>
#include <optional>

#include "gauge_geometry.h"

class TGaugeSurface : public QWidget {
  Q_OBJECT

 public:
  explicit TGaugeSurface(QWidget* parent = nullptr);

  void SetNeedle(const NeedleLine& line);
  std::optional<NeedleLine> needle() const { return needle_; }
  // The picture to draw stretched under the needle, as a label with scaled contents would.
  void SetDial(const QPixmap& dial);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  // The dial with `line` over it, drawn once per needle position: a moving servo sweeps the
  // gauge's hundred-odd positions again and again, and copying a picture costs a fraction of
  // drawing a smoothed line.
  const QPixmap& Picture(const NeedleLine& line);

  std::optional<NeedleLine> needle_;
  QPixmap dial_;
  QPixmap scaledDial_;  // the dial stretched over dialPaper_
  QColor dialPaper_;
  std::map<NeedleLine, QPixmap> pictures_;  // over scaledDial_ as it is now
};

// Draws the needle for value `v` (0..100); any other value leaves the previous needle.
void DrawGauge(TGaugeSurface* gauge, int32_t v);
