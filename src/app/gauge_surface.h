// A transparent surface over a dial picture that draws one red needle.
#pragma once

#include <QWidget>
#include <optional>

#include "gauge_geometry.h"

class TGaugeSurface : public QWidget {
  Q_OBJECT

 public:
  explicit TGaugeSurface(QWidget* parent = nullptr);

  void SetNeedle(const NeedleLine& line);
  std::optional<NeedleLine> needle() const { return needle_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::optional<NeedleLine> needle_;
};

// Draws the needle for value `v` (0..100); any other value leaves the previous needle.
void DrawGauge(TGaugeSurface* gauge, int32_t v);
