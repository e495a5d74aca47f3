#include "options_form.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyledItemDelegate>
#include <functional>

#include "error_report.h"
#include "serial_ports.h"
#include "ui_options_form.h"

namespace {

constexpr int kKeyColumn = 0;
constexpr int kValueColumn = 1;

// Value editors that hand every keystroke to the table at once, and for comPort an editable
// drop-down of this machine's serial ports.
class OptionValueDelegate : public QStyledItemDelegate {
 public:
  OptionValueDelegate(std::function<QStringList()> ports, QObject* parent)
      : QStyledItemDelegate(parent), ports_(std::move(ports)) {}

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                        const QModelIndex& index) const override {
    auto* self = const_cast<OptionValueDelegate*>(this);
    if (IsPortRow(index)) {
      auto* combo = new QComboBox(parent);
      combo->setEditable(true);
      combo->setInsertPolicy(QComboBox::NoInsert);
      combo->addItems(ports_());
      // Connected after the items, so filling the list does not count as an edit.
      connect(combo, &QComboBox::currentTextChanged, self,
              [self, combo] { Q_EMIT self->commitData(combo); });
      return combo;
    }
    auto* edit = new QLineEdit(parent);
    edit->setFrame(false);
    connect(edit, &QLineEdit::textEdited, self, [self, edit] { Q_EMIT self->commitData(edit); });
    return edit;
  }

  void setEditorData(QWidget* editor, const QModelIndex& index) const override {
    const QString value = index.data(Qt::EditRole).toString();
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
      // The view fills a new editor before it knows it as its own: a commit from here would
      // be refused (and warned about), and it would only write back what was read.
      const QSignalBlocker quiet(combo);
      const int item = combo->findText(value);
      if (item >= 0) {
        combo->setCurrentIndex(item);
      } else {
        combo->setEditText(value);
      }
    } else if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
      edit->setText(value);
    }
  }

  void setModelData(QWidget* editor, QAbstractItemModel* model,
                    const QModelIndex& index) const override {
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
      model->setData(index, combo->currentText(), Qt::EditRole);
    } else if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
      model->setData(index, edit->text(), Qt::EditRole);
    }
  }

 private:
  static bool IsPortRow(const QModelIndex& index) {
    return index.siblingAtColumn(kKeyColumn)
               .data()
               .toString()
               .compare(QStringLiteral("comPort"), Qt::CaseInsensitive) == 0;
  }

  std::function<QStringList()> ports_;
};

}  // namespace

TfrmVTOptions::TfrmVTOptions(const std::string& settingsPath, QWidget* parent)
    : QDialog(parent), store_(settingsPath), ui(std::make_unique<Ui::TfrmVTOptions>()) {
  ui->setupUi(this);
  move(371, 187);
  ui->ok->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
  ui->cancel->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
  // The keys stay in sight: the value column takes what the key column leaves, so there is
  // nothing to scroll sideways and a click on a value cannot push the keys out.
  QHeaderView* header = ui->optList->horizontalHeader();
  header->setMinimumSectionSize(40);
  header->resizeSection(kKeyColumn, 150);
  header->setSectionResizeMode(kKeyColumn, QHeaderView::Fixed);
  header->setSectionResizeMode(kValueColumn, QHeaderView::Stretch);
  ui->optList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setMinimumSize(260, 200);
  ui->optList->setItemDelegateForColumn(
      kValueColumn, new OptionValueDelegate(
                        [this] {
                          QStringList ports;
                          for (const auto& name : ListSerialPorts(ttyClassDir_)) {
                            ports << QString::fromStdString(name);
                          }
                          ports << QString::fromUtf8(kVirtualControllerPort);
                          return ports;
                        },
                        this));

  connect(ui->optList, &QTableWidget::itemChanged, this, &TfrmVTOptions::optListItemChanged);
  connect(ui->ok, &QPushButton::clicked, this, &TfrmVTOptions::okClick);
  connect(ui->cancel, &QPushButton::clicked, this, &QDialog::reject);
}

TfrmVTOptions::~TfrmVTOptions() {
  try {
    store_.WriteBack();
  } catch (const std::exception& e) {
    ReportError(e);
  }
}

void TfrmVTOptions::okClick() {
  LoadServoTables();
  accept();
}

void TfrmVTOptions::showEvent(QShowEvent* event) {
  if (!event->spontaneous()) FillOptList();
  QDialog::showEvent(event);
}

void TfrmVTOptions::FillOptList() {
  const QSignalBlocker quiet(ui->optList);
  const auto& lines = store_.lines();
  ui->optList->setRowCount(static_cast<int>(lines.size()));
  const QBrush fixedLook = palette().button();
  for (size_t row = 0; row < lines.size(); ++row) {
    auto* key = new QTableWidgetItem(QString::fromStdString(lines[row].key));
    key->setFlags(Qt::ItemIsEnabled);
    key->setBackground(fixedLook);
    auto* value = new QTableWidgetItem(QString::fromStdString(lines[row].value));
    value->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
    ui->optList->setItem(static_cast<int>(row), kKeyColumn, key);
    ui->optList->setItem(static_cast<int>(row), kValueColumn, value);
  }
}

void TfrmVTOptions::optListItemChanged(QTableWidgetItem* item) {
  if (item->column() != kValueColumn) return;
  const auto row = static_cast<size_t>(item->row());
  if (row < store_.lines().size()) store_.SetValue(row, item->text().toStdString());
}
