// The number cell editor: a borderless text field with up/down arrows beside it.
#pragma once

#include <QLineEdit>
#include <QPointer>
#include <QWidget>
#include <cstdint>

#include "cell_editor.h"

class QToolButton;
class TUpDownCellEditor;

// The arrows. They never take the focus, so clicking them keeps the edit going.
class TInplaceUpDown : public QWidget {
  Q_OBJECT

 public:
  explicit TInplaceUpDown(QWidget* parent);

  int Position() const { return position_; }
  void SetPosition(int position) { position_ = position; }
  QToolButton* UpButton() const { return up_; }
  QToolButton* DownButton() const { return down_; }

 Q_SIGNALS:
  void Stepped(bool up);

 private:
  QToolButton* up_;
  QToolButton* down_;
  int position_ = 0;
};

class TUpDownInplace : public QLineEdit {
  Q_OBJECT

 public:
  TUpDownInplace(TUpDownCellEditor* editor, QWidget* parent);

 protected:
  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  TUpDownCellEditor* editor_;
};

class TUpDownCellEditor : public TMetaCellEditor {
  Q_OBJECT

 public:
  static constexpr int kArrowsWidth = 17;

  explicit TUpDownCellEditor(QObject* owner = nullptr);
  ~TUpDownCellEditor() override;

  int16_t Min() const { return min_; }
  void SetMin(int16_t min) { min_ = min; }
  int16_t Max() const { return max_; }
  void SetMax(int16_t max) { max_ = max; }
  int Increment() const { return increment_; }
  void SetIncrement(int increment) { increment_ = increment; }

  void Attach(TXStringGrid* grid) override;
  void GridWindowClosed() override;
  void StartEdit() override;
  void EndEdit() override;
  void ShowAt(const QRect& rect) override;
  void HideEditor() override;
  QWidget* MakeInplaceControl(QWidget* parent) override;

  // One step up or down by Increment; a step that would pass Min or Max is not taken.
  void Step(bool up);

  TUpDownInplace* Field() const;
  TInplaceUpDown* Arrows() const { return arrows_; }

 protected:
  void ControlMade() override;

 private:
  int16_t min_ = 0;
  int16_t max_ = 10;
  int increment_ = 1;
  QPointer<TInplaceUpDown> arrows_;
};
