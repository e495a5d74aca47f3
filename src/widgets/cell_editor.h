// Cell editors of the editable grid: small controls shown over the cell being edited. An
// editor is owned by its form, attached to at most one grid and used by one or more columns
// of it.
#pragma once

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>
#include <functional>
#include <stdexcept>

class QKeyEvent;
class QWidget;
class TXStringGrid;

// Failures of the editor framework; nothing in the framework catches them.
class ECellEditorError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
  // "%s is allready assigned to %s" (the misspelling is the program's wording).
  static ECellEditorError AlreadyAssigned(const QString& editor, const QString& grid);
  // "Cell Editor not of type TCellEditor"
  static ECellEditorError NotACellEditor();
};

// Asked on a navigation key in an in-place control: may change the key (0 swallows it) and
// whether it ends the edit.
using TAllowEndEditEvent =
    std::function<void(QObject* sender, int& key, Qt::KeyboardModifiers shift, bool& endEdit)>;

class TCellEditor : public QObject {
  Q_OBJECT

 public:
  explicit TCellEditor(QObject* owner = nullptr);
  // Leaves every column of its grid that still refers to it.
  ~TCellEditor() override;

  // Throws ECellEditorError when attached to another grid.
  virtual void Attach(TXStringGrid* grid);
  virtual void Detach();
  virtual void GridWindowClosed() {}
  virtual void InitEditor() {}
  virtual void StartEdit() = 0;
  virtual void EndEdit() = 0;
  // Writes into the cell where the edit began, through the grid's edit-text path.
  virtual void SetCellText(const QString& text);
  virtual void ShowAt(const QRect& rect) = 0;
  virtual void HideEditor() = 0;

  TXStringGrid* Grid() const;
  int AttachCount() const { return attachCount_; }

  QString DefaultText() const { return defaultText_; }
  void SetDefaultText(const QString& text) { defaultText_ = text; }

  TAllowEndEditEvent AllowEndEditEvent;

 protected:
  QString defaultText_;

 private:
  QPointer<TXStringGrid> grid_;
  int attachCount_ = 0;
};

// An editor that owns one in-place control, a child of the grid's viewport while attached.
class TMetaCellEditor : public TCellEditor {
  Q_OBJECT

 public:
  explicit TMetaCellEditor(QObject* owner = nullptr);
  ~TMetaCellEditor() override;

  void Attach(TXStringGrid* grid) override;
  void GridWindowClosed() override;
  // Makes the control; throws ECellEditorError when none is made.
  void InitEditor() override;
  void ShowAt(const QRect& rect) override;
  void HideEditor() override;

  virtual QWidget* MakeInplaceControl(QWidget* parent);
  virtual QWidget* InplaceControl() const { return control_; }

  // The control lost the focus: the edit ends (only while this editor is the active one).
  void FocusLost();
  // The end of the key table: AllowEndEditEvent may change `key` and `leave`. When the key
  // leaves, the edit ends, the grid handles the key and takes the focus, and true is returned.
  bool KeyLeaves(QObject* sender, int& key, Qt::KeyboardModifiers shift, bool leave);
  // Return in a text control: the focus goes back to the grid, which ends the edit.
  void ReturnToGrid();
  // A Tab or Backtab press that the control keeps from the focus chain: true when the grid
  // moves between cells with Tab.
  bool WantsTab(const QEvent* event) const;

 protected:
  // Makes the control when it or the grid is missing.
  void EnsureControl();
  // Copies the settings held by the editor into a freshly made control.
  virtual void ControlMade() {}
  // Hides the control; the focus is handed to the grid first so that it does not wander.
  void HideControl(QWidget* control);

  QPointer<QWidget> control_;
};
