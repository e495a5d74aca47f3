// The per-column descriptions of the editable grid: colours, fonts, alignments, caption,
// width and cell editor. The grid keeps exactly one item per column, the fixed one included.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <memory>
#include <vector>

class TCellEditor;
class TXStringGrid;

enum TAlignment { taLeftJustify, taRightJustify, taCenter };

class TXStringColumnItem {
 public:
  // Defaults come from the grid: fixed-cell colour for the header, the grid's colour and font.
  explicit TXStringColumnItem(TXStringGrid* grid);
  // Releases the editor.
  virtual ~TXStringColumnItem();
  TXStringColumnItem(const TXStringColumnItem&) = delete;
  TXStringColumnItem& operator=(const TXStringColumnItem&) = delete;

  // Copies colours, fonts, alignments and caption; the target ends up without an editor.
  void Assign(const TXStringColumnItem& source);

  int Index() const;

  QColor HeaderColor() const { return headerColor_; }
  void SetHeaderColor(const QColor& color);
  QFont HeaderFont() const { return headerFont_; }
  void SetHeaderFont(const QFont& font);
  // Fonts carry no colour here, so the text colours stand beside them.
  QColor HeaderTextColor() const { return headerTextColor_; }
  void SetHeaderTextColor(const QColor& color);
  TAlignment HeaderAlignment() const { return headerAlignment_; }
  void SetHeaderAlignment(TAlignment alignment);
  // The text of this column's header cell (row 0).
  QString Caption() const;
  void SetCaption(const QString& caption);
  QColor Color() const { return color_; }
  void SetColor(const QColor& color);
  // The grid's width of this column.
  int Width() const;
  void SetWidth(int width);
  QFont Font() const { return font_; }
  void SetFont(const QFont& font);
  QColor TextColor() const { return textColor_; }
  void SetTextColor(const QColor& color);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment alignment);
  TCellEditor* Editor() const { return editor_; }
  // Attaches the new editor first (which may throw), then releases the old one.
  void SetEditor(TCellEditor* editor);
  bool EditorInheritsCellProps() const { return editorInheritsCellProps_; }
  void SetEditorInheritsCellProps(bool on) { editorInheritsCellProps_ = on; }

  // Shows the editor over this column's cell in `row`.
  virtual void PlaceEditor(int row);

 private:
  friend class TXStringGrid;
  void Changed();
  // The editor is being destroyed: forget it without detaching.
  void DropEditor() { editor_ = nullptr; }

  TXStringGrid* grid_;
  QColor headerColor_;
  QFont headerFont_;
  QColor headerTextColor_;
  TAlignment headerAlignment_ = taLeftJustify;
  QColor color_;
  QFont font_;
  QColor textColor_;
  TAlignment alignment_ = taLeftJustify;
  TCellEditor* editor_ = nullptr;
  bool editorInheritsCellProps_ = false;
};

class TXStringColumns {
 public:
  explicit TXStringColumns(TXStringGrid* grid) : grid_(grid) {}

  int Count() const { return static_cast<int>(items_.size()); }
  TXStringColumnItem* Items(int index) const { return items_.at(index).get(); }
  TXStringColumnItem* operator[](int index) const { return Items(index); }
  int IndexOf(const TXStringColumnItem* item) const;

 private:
  friend class TXStringGrid;
  void Insert(int first, int count);
  void Remove(int first, int count);

  TXStringGrid* grid_;
  std::vector<std::unique_ptr<TXStringColumnItem>> items_;
};
