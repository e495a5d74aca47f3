#include <gtest/gtest.h>

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QTest>
#include <filesystem>

#include "options_form.h"
#include "temp_dir.h"

namespace {

const char* const kSettings =
    "[Options]\ncomPort=ttyS9\nservoIncr=2\nsv1Minval=0\nsv1Maxval=254\nsv1Address=1\n";

struct OptionsDialog : ::testing::Test {
  OptionsDialog() {
    WriteFile(dir.File("vantrel.ini"), kSettings);
    form = std::make_unique<TfrmVTOptions>(dir.File("vantrel.ini"));
    table = form->findChild<QTableWidget*>("optList");
    form->show();
  }

  std::vector<std::pair<QString, QString>> Rows() const {
    std::vector<std::pair<QString, QString>> rows;
    for (int r = 0; r < table->rowCount(); ++r) {
      rows.emplace_back(table->item(r, 0)->text(), table->item(r, 1)->text());
    }
    return rows;
  }
  int RowOf(const QString& key) const {
    for (int r = 0; r < table->rowCount(); ++r) {
      if (table->item(r, 0)->text() == key) return r;
    }
    throw std::runtime_error("no row " + key.toStdString());
  }
  // Opens the value editor of `key` as a double click would.
  QWidget* EditValue(const QString& key) {
    const QModelIndex index = table->model()->index(RowOf(key), 1);
    table->setCurrentIndex(index);
    table->edit(index);
    return table->indexWidget(index);
  }
  void Click(const char* name) { form->findChild<QPushButton*>(name)->click(); }

  TempDir dir;
  std::unique_ptr<TfrmVTOptions> form;
  QTableWidget* table = nullptr;
};

TEST_F(OptionsDialog, ShowsTheOptionTableInOrder) {
  ASSERT_TRUE(table);
  EXPECT_EQ(form->windowTitle(), "Options");
  EXPECT_EQ(table->horizontalHeaderItem(0)->text(), "Option");
  EXPECT_EQ(table->horizontalHeaderItem(1)->text(), "Value");
  EXPECT_EQ(table->columnWidth(0), 150);
  for (const char* button : {"ok", "cancel"}) {
    const auto* shown = form->findChild<QPushButton*>(button);
    ASSERT_TRUE(shown) << button;
    EXPECT_FALSE(shown->icon().isNull()) << button;
  }
  const std::vector<std::pair<QString, QString>> expected = {{"comPort", "ttyS9"},
                                                             {"servoIncr", "2"},
                                                             {"sv1Minval", "0"},
                                                             {"sv1Maxval", "254"},
                                                             {"sv1Address", "1"}};
  // The file's keys first; the keys it lacks follow at their built-in values.
  const auto rows = Rows();
  ASSERT_GT(rows.size(), 5u);
  EXPECT_EQ(std::vector(rows.begin(), rows.begin() + 5), expected);

  // Written while the dialog was closed: shows at the next opening.
  form->hide();
  form->WriteOption("joyMaxX", "123");
  form->show();
  EXPECT_EQ(Rows()[5], std::make_pair(QString("joyMaxX"), QString("123")));
}

TEST_F(OptionsDialog, KeysCannotBeEditedNorRowsAddedOrDeleted) {
  const QModelIndex key = table->model()->index(1, 0);
  EXPECT_FALSE(table->item(1, 0)->flags() & Qt::ItemIsEditable);
  table->setCurrentIndex(key);
  table->edit(key);
  EXPECT_EQ(table->indexWidget(key), nullptr);

  const int rows = table->rowCount();
  table->setCurrentIndex(table->model()->index(table->rowCount() - 1, 1));
  for (const auto k : {Qt::Key_Down, Qt::Key_Insert, Qt::Key_Delete}) QTest::keyClick(table, k);
  EXPECT_EQ(table->rowCount(), rows);
  EXPECT_EQ(form->store().lines().size(), 5u);
  EXPECT_EQ(form->store().lines()[1].key, "servoIncr");
}

TEST_F(OptionsDialog, TypingChangesTheOptionTableAtOnce) {
  auto* editor = qobject_cast<QLineEdit*>(EditValue("servoIncr"));
  ASSERT_TRUE(editor);
  EXPECT_EQ(editor->text(), "2");
  QTest::keyClick(editor, Qt::Key_End);  // the editor opens with its text selected
  QTest::keyClicks(editor, "5");
  EXPECT_EQ(form->ReadOption("servoIncr"), "25");
  // Committing each keystroke must not throw the cursor to the end.
  QTest::keyClick(editor, Qt::Key_Home);
  QTest::keyClicks(editor, "1");
  EXPECT_EQ(editor->text(), "125");
  EXPECT_EQ(form->ReadOption("servoIncr"), "125");
  EXPECT_EQ(form->ReadOptionInt("servoIncr"), 125);
}

TEST_F(OptionsDialog, OkReloadsTheServoTables) {
  table->item(RowOf("sv1Maxval"), 1)->setText("100");
  EXPECT_EQ(form->ReadOption("sv1Maxval"), "100");
  EXPECT_EQ(form->tables().Maxval[1], 254);
  Click("ok");
  EXPECT_EQ(form->result(), QDialog::Accepted);
  EXPECT_FALSE(form->isVisible());
  EXPECT_EQ(form->tables().Maxval[1], 100);
}

TEST_F(OptionsDialog, CancelKeepsTheServoTablesButTheEditIsWrittenAtShutDown) {
  table->item(RowOf("sv1Maxval"), 1)->setText("100");
  Click("cancel");
  EXPECT_EQ(form->result(), QDialog::Rejected);
  EXPECT_EQ(form->tables().Maxval[1], 254);
  form.reset();
  EXPECT_NE(ReadFile(dir.File("vantrel.ini")).find("sv1Maxval=100\n"), std::string::npos);
}

TEST_F(OptionsDialog, ComPortOffersThisMachinesPortsAndTheVirtualController) {
  namespace fs = std::filesystem;
  fs::create_directories(dir.File("tty/ttyACM0/device"));
  fs::create_directories(dir.File("tty/ttyUSB0/device"));
  fs::create_directories(dir.File("tty/ttyS0"));
  form->SetTtyClassDir(dir.File("tty"));

  auto* combo = qobject_cast<QComboBox*>(EditValue("comPort"));
  ASSERT_TRUE(combo);
  EXPECT_TRUE(combo->isEditable());
  QStringList items;
  for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
  EXPECT_EQ(items, (QStringList{"ttyUSB0", "ttyACM0", "sim"}));
  // Opening the list changes nothing.
  EXPECT_EQ(combo->currentText(), "ttyS9");
  EXPECT_EQ(form->ReadOption("comPort"), "ttyS9");

  combo->setCurrentIndex(items.indexOf("sim"));
  EXPECT_EQ(form->ReadOption("comPort"), "sim");
  combo->lineEdit()->selectAll();
  QTest::keyClicks(combo->lineEdit(), "/dev/ttyAMA0");
  EXPECT_EQ(form->ReadOption("comPort"), "/dev/ttyAMA0");

  // Other values keep a plain text editor.
  table->setCurrentIndex(table->model()->index(RowOf("servoIncr"), 1));
  EXPECT_TRUE(qobject_cast<QLineEdit*>(EditValue("servoIncr")));
  EXPECT_EQ(table->item(RowOf("comPort"), 1)->text(), "/dev/ttyAMA0");
}

TEST_F(OptionsDialog, TheComPortListStartsAtTheListedValue) {
  namespace fs = std::filesystem;
  for (const char* port : {"ttyUSB0", "ttyUSB1", "ttyACM0"}) {
    fs::create_directories(dir.File(std::string("tty/") + port + "/device"));
  }
  form->SetTtyClassDir(dir.File("tty"));
  table->item(RowOf("comPort"), 1)->setText("ttyUSB1");

  auto* combo = qobject_cast<QComboBox*>(EditValue("comPort"));
  ASSERT_TRUE(combo);
  // The arrow keys step through the list from the value shown, not from its top.
  QTest::keyClick(combo, Qt::Key_Down);
  EXPECT_EQ(combo->currentText(), "ttyACM0");
  EXPECT_EQ(form->ReadOption("comPort"), "ttyACM0");
}

// Warnings from Qt while a test runs.
QStringList* capturedWarnings = nullptr;

void CaptureWarnings(QtMsgType type, const QMessageLogContext&, const QString& text) {
  if (capturedWarnings && type == QtWarningMsg) *capturedWarnings << text;
}

TEST_F(OptionsDialog, TheTableFillsTheDialogAndGrowsWithItTheKeysAlwaysInSight) {
  EXPECT_EQ(form->size(), QSize(392, 345));  // the first size
  for (const QSize size :
       {QSize(392, 345), QSize(640, 520), QSize(300, 240), QSize(260, 200) /* the smallest */}) {
    SCOPED_TRACE(testing::Message() << size.width() << "x" << size.height());
    form->resize(size);
    QCoreApplication::processEvents();
    const QRect t = table->geometry();
    EXPECT_LE(form->width() - t.right(), 12);
    EXPECT_GT(t.height(), form->height() / 2);
    EXPECT_EQ(table->columnWidth(0), 150);
    EXPECT_EQ(table->columnWidth(0) + table->columnWidth(1), table->viewport()->width());
    EXPECT_EQ(table->horizontalScrollBar()->maximum(), 0);  // nothing to scroll sideways
  }
}

TEST_F(OptionsDialog, EditingValuesNeitherScrollsTheKeysAwayNorWarns) {
  QStringList warnings;
  capturedWarnings = &warnings;
  const auto previous = qInstallMessageHandler(CaptureWarnings);
  QApplication::setActiveWindow(form.get());
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  for (const char* key : {"servoIncr", "comPort", "sv1Minval", "comPort", "sv1Maxval"}) {
    const QModelIndex value = table->model()->index(RowOf(key), 1);
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualRect(value).center());
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, table->visualRect(value).center());
    QWidget* editor = table->indexWidget(value);
    ASSERT_TRUE(editor) << key;
    if (auto* combo = qobject_cast<QComboBox*>(editor)) editor = combo->lineEdit();
    QTest::keyClick(editor, Qt::Key_End);
    QTest::keyClicks(editor, "7");
    // The key cell of the row being edited is still in full view.
    const QRect keyCell = table->visualRect(table->model()->index(RowOf(key), 0));
    EXPECT_EQ(keyCell.left(), 0) << key;
    EXPECT_EQ(table->horizontalScrollBar()->value(), 0) << key;
  }
  QTest::mouseClick(form->findChild<QPushButton*>("ok"), Qt::LeftButton);
  qInstallMessageHandler(previous);
  capturedWarnings = nullptr;
  EXPECT_TRUE(warnings.isEmpty()) << warnings.join("\n").toStdString();
  EXPECT_EQ(form->ReadOption("servoIncr"), "27");
  EXPECT_EQ(form->ReadOption("comPort"), "ttyS977");
}

TEST_F(OptionsDialog, NumberKeysTakeOnlyNumbersInTheirRange) {
  struct Case {
    const char* key;
    const char* typed;
    const char* kept;
  };
  const Case cases[] = {
      {"servoIncr", "254", "254"},
      {"servoIncr", "300", "254"},  // beyond the range: the value the editor opened with
      {"sv1Maxval", "-1", "254"},
      {"servoIncr", "x7", "7"},      // a letter is refused as it is typed
      {"L1", "40", "40"},            // a built-in row takes a value like any other
      {"baudRate", "fast", "fast"},  // text keys take any text
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.key) + " " + c.typed);
    auto* editor = qobject_cast<QLineEdit*>(EditValue(c.key));
    ASSERT_TRUE(editor);
    editor->selectAll();
    QTest::keyClicks(editor, c.typed);
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();  // the editor closes after the key
    EXPECT_EQ(form->ReadOption(c.key), c.kept);
    EXPECT_EQ(table->item(RowOf(c.key), 1)->text(), c.kept);
  }
}

TEST_F(OptionsDialog, OpensAtTheTopAndSaysWhatTheKeyMeans) {
  auto* description = form->findChild<QLabel*>("description");
  ASSERT_TRUE(description);
  EXPECT_EQ(description->text(), "Serial port of the servo controller, or sim for the virtual one");
  table->setCurrentCell(RowOf("sv1Maxval"), 1);
  EXPECT_EQ(description->text(),
            "Highest position servo 1 may take; wins over the lowest (0 to 254)");
  table->setCurrentCell(table->rowCount() - 1, 1);
  table->scrollToBottom();
  ASSERT_GT(table->verticalScrollBar()->value(), 0);
  form->hide();
  form->show();
  EXPECT_EQ(table->verticalScrollBar()->value(), 0);
  EXPECT_EQ(table->currentRow(), 0);
  // Nothing changed: the built-in rows stay out of the file.
  form.reset();
  EXPECT_EQ(ReadFile(dir.File("vantrel.ini")), kSettings);
}

}  // namespace
