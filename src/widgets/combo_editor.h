// The drop-down cell editor: a combo box over the cell.
#pragma once

#include <QComboBox>
#include <QStringList>

#include "cell_editor.h"

enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };

class TComboCellEditor;

class TComboInplace : public QComboBox {
  Q_OBJECT

 public:
  TComboInplace(TComboCellEditor* editor, QWidget* parent);
  TComboCellEditor* Editor() const { return editor_; }
  void ApplyStyle(TComboBoxStyle style);

 protected:
  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  // A list without a text field selects the first item starting with the typed text.
  void SelectByTyping(const QString& text);
  bool CaretAtStart() const;
  bool CaretAtEnd() const;

  TComboCellEditor* editor_;
};

class TComboCellEditor : public TMetaCellEditor {
  Q_OBJECT

 public:
  explicit TComboCellEditor(QObject* owner = nullptr);

  TComboBoxStyle Style() const { return style_; }
  void SetStyle(TComboBoxStyle style);
  QStringList Items() const { return items_; }
  void SetItems(const QStringList& items);

  void StartEdit() override;
  void EndEdit() override;
  QWidget* MakeInplaceControl(QWidget* parent) override;
  TComboInplace* Combo() const;

 protected:
  void ControlMade() override;

 private:
  TComboBoxStyle style_ = csDropDown;
  QStringList items_;
};
