// A one-line plain-text label that keeps the shaped layout of each text it has shown and,
// when opaque, the drawn picture of it: a servo caption cycles through a few hundred values,
// and shaping and drawing the glyphs anew on every tick's repaint was most of the cost of
// drawing it.
#pragma once

#include <QHash>
#include <QLabel>
#include <QPalette>
#include <QPixmap>
#include <QStaticText>

#include "own_paper.h"

class TCaptionLabel : public QLabel {
  Q_OBJECT

 public:
  explicit TCaptionLabel(QWidget* parent = nullptr);

  // Filled with the palette's background colour, as autoFillBackground would, and drawn as a
  // whole: nothing beneath it is repainted when its text changes.
  void SetOpaque(bool opaque);

 protected:
  void changeEvent(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  // All a picture depends on besides its text and the font; a change draws them all anew.
  struct PictureLook {
    QSize size;
    qreal dpr = 1;
    QRect area;  // where the text goes; only a text that fits in it has a picture
    QPointF at;
    QColor ink;
    QColor paper;
    bool operator==(const PictureLook&) const = default;
  };

  const QStaticText& Layout(const QString& text);
  // The picture of the caption showing `text`, or null when the text does not fit.
  const QPixmap* Picture(const QString& text, const PictureLook& look);

  QHash<QString, QStaticText> layouts_;
  QHash<QString, QPixmap> pictures_;
  PictureLook picturesLook_;
  TOwnPaper paper_{this};
};
