// A one-line plain-text label that keeps the shaped layout of each text it has shown: a servo
// caption cycles through a few hundred values, and shaping the text anew on every tick's
// repaint was most of the cost of drawing it.
#pragma once

#include <QHash>
#include <QLabel>
#include <QStaticText>

class TCaptionLabel : public QLabel {
  Q_OBJECT

 public:
  explicit TCaptionLabel(QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  const QStaticText& Layout(const QString& text);

  QHash<QString, QStaticText> layouts_;
};
