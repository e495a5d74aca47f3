#include "options_form.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QRegularExpression>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QValidator>
#include <functional>

#include "board_factory.h"
#include "error_report.h"
#include "int_parse.h"
#include "serial_ports.h"
#include "settings_keys.h"
#include "ui_options_form.h"

namespace {

constexpr int kKeyColumn = 0;
constexpr int kValueColumn = 1;
// The value a number key's editor opened with.
constexpr const char* kOpenedWith = "openedWith";

QString KeyOf(const QModelIndex& index) {
  return index.siblingAtColumn(kKeyColumn).data().toString();
}

// The number keys take whole numbers within their range; what is on the way to one (an empty
// text, a sign, a number being typed past the range) may stand in the editor but is not taken.
class SettingValidator : public QValidator {
 public:
  SettingValidator(KnownSetting setting, QObject* parent)
      : QValidator(parent), setting_(std::move(setting)) {}

  static bool Takes(const KnownSetting& setting, const QString& text) {
    const auto value = ParseInteger(text.toStdString(), IntSyntax::Settings);
    return value && *value >= setting.key->min && *value <= setting.key->max;
  }

  State validate(QString& input, int&) const override {
    if (Takes(setting_, input)) return Acceptable;
    static const QRegularExpression kNumberOnTheWay(
        QStringLiteral("^ *[+-]?(\\$|0[xX])?[0-9a-fA-F]*$"));
    return kNumberOnTheWay.match(input).hasMatch() ? Intermediate : Invalid;
  }

 private:
  KnownSetting setting_;
};

std::optional<KnownSetting> NumberSettingOf(const QModelIndex& index) {
  auto setting = FindSetting(KeyOf(index).toStdString());
  if (setting && setting->key->number) return setting;
  return std::nullopt;
}

// Value editors that hand every keystroke to the table at once, and for comPort an editable
// drop-down of this machine's serial ports, for controller one of the board families. A number
// key's editor hands on only numbers in its range.
class OptionValueDelegate : public QStyledItemDelegate {
 public:
  OptionValueDelegate(std::function<QStringList()> ports, QObject* parent)
      : QStyledItemDelegate(parent), ports_(std::move(ports)) {}

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                        const QModelIndex& index) const override {
    auto* self = const_cast<OptionValueDelegate*>(this);
    const QStringList choices = ChoicesFor(index);
    if (!choices.isEmpty()) {
      auto* combo = new QComboBox(parent);
      combo->setEditable(true);
      combo->setInsertPolicy(QComboBox::NoInsert);
      combo->addItems(choices);
      // Connected after the items, so filling the list does not count as an edit.
      connect(combo, &QComboBox::currentTextChanged, self,
              [self, combo] { Q_EMIT self->commitData(combo); });
      return combo;
    }
    auto* edit = new QLineEdit(parent);
    edit->setFrame(false);
    if (auto setting = NumberSettingOf(index)) {
      edit->setValidator(new SettingValidator(*setting, edit));
      edit->setProperty(kOpenedWith, index.data(Qt::EditRole));
    }
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
      // A number not (yet) in range leaves the value the editor opened with.
      const QVariant opened = edit->property(kOpenedWith);
      const bool taken = edit->hasAcceptableInput() || !opened.isValid();
      model->setData(index, taken ? QVariant(edit->text()) : opened, Qt::EditRole);
    }
  }

 private:
  QStringList ChoicesFor(const QModelIndex& index) const {
    const QString key = KeyOf(index);
    if (key.compare(QStringLiteral("comPort"), Qt::CaseInsensitive) == 0) return ports_();
    if (key.compare(QStringLiteral("controller"), Qt::CaseInsensitive) == 0) {
      return QString::fromStdString(BoardFamilyNames()).split(QStringLiteral(", "));
    }
    return {};
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
  connect(ui->optList, &QTableWidget::currentCellChanged, this,
          [this](int row) { ShowDescription(row); });
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
  if (!event->spontaneous()) {
    FillOptList();
    // Each opening starts at the first key, whatever was looked at last time.
    ui->optList->setCurrentCell(0, kValueColumn);
    ui->optList->scrollToTop();
    ShowDescription(0);
  }
  QDialog::showEvent(event);
}

std::vector<std::string> TfrmVTOptions::RowKeys() const {
  // The file's keys in file order, then those it lacks, at their built-in values.
  std::vector<std::string> keys;
  for (const auto& line : store_.lines()) keys.push_back(line.key);
  for (const std::string& name : AllSettingNames()) {
    if (!store_.Holds(name)) keys.push_back(name);
  }
  return keys;
}

void TfrmVTOptions::FillOptList() {
  const QSignalBlocker quiet(ui->optList);
  const std::vector<std::string> keys = RowKeys();
  ui->optList->setRowCount(static_cast<int>(keys.size()));
  const QBrush fixedLook = palette().button();
  for (size_t row = 0; row < keys.size(); ++row) {
    auto* key = new QTableWidgetItem(QString::fromStdString(keys[row]));
    key->setFlags(Qt::ItemIsEnabled);
    key->setBackground(fixedLook);
    if (const auto setting = FindSetting(keys[row])) {
      key->setToolTip(QString::fromStdString(setting->Description()));
    }
    auto* value = new QTableWidgetItem(QString::fromStdString(store_.ValueInUse(keys[row])));
    value->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
    if (!store_.Holds(keys[row])) {
      // A built-in value: it goes into the file only once it is changed.
      QFont builtIn = value->font();
      builtIn.setItalic(true);
      value->setFont(builtIn);
    }
    ui->optList->setItem(static_cast<int>(row), kKeyColumn, key);
    ui->optList->setItem(static_cast<int>(row), kValueColumn, value);
  }
}

void TfrmVTOptions::ShowDescription(int row) {
  const QTableWidgetItem* key = ui->optList->item(row, kKeyColumn);
  const auto setting = key ? FindSetting(key->text().toStdString()) : std::nullopt;
  QString text;
  if (setting) {
    text = QString::fromStdString(setting->Description());
    if (setting->key->number) {
      text += QStringLiteral(" (%1)").arg(QString::fromStdString(setting->Range()));
    }
  }
  ui->description->setText(text);
}

void TfrmVTOptions::optListItemChanged(QTableWidgetItem* item) {
  if (item->column() != kValueColumn) return;
  const QTableWidgetItem* key = ui->optList->item(item->row(), kKeyColumn);
  if (!key) return;
  store_.WriteOption(key->text().toStdString(), item->text().toStdString());
  if (item->font().italic()) {
    const QSignalBlocker quiet(ui->optList);
    QFont own = item->font();
    own.setItalic(false);
    item->setFont(own);
  }
}
