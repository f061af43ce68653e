// Editing the settings in the window: the entry check when a field is left (keyboard, mouse,
// access keys, tabs), the threshold controls and the Defaults buttons.

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>

#include "WindowFixture.h"
#include "support/SettingsSamples.h"
#include "window/SettingsPage.h"

namespace vexaro {

class SettingsPageTest : public QObject, public WindowFixture {
  Q_OBJECT

  // Types `text` into the editable list `name`, replacing what it held.
  void typeInto(const char* name, const QString& text) {
    auto* combo = c<QComboBox>(name);
    BringPageToFront(window_->controls(), combo);
    QTest::mouseClick(combo->lineEdit(), Qt::LeftButton);
    QCOMPARE(QApplication::focusWidget(), combo);
    combo->lineEdit()->selectAll();
    QTest::keyClicks(combo->lineEdit(), text);
  }

  void expectOneRefusal(const char* field, const QString& message, const QString& restored) {
    QCOMPARE(dialogs_->messages.size(), std::size_t{1});
    QCOMPARE(dialogs_->messages[0].title, QString("Value Entry Error"));
    QCOMPARE(dialogs_->messages[0].text, message);
    QCOMPARE(dialogs_->messages[0].icon, Dialogs::Icon::Warning);
    QCOMPARE(c<QComboBox>(field)->currentText(), restored);
    QVERIFY(c<QComboBox>(field)->hasFocus());
  }

 private slots:
  void init() {
    makeWindow();
    QTest::mouseClick(c<QPushButton>("cmdDefSet"), Qt::LeftButton);
    QTest::mouseClick(c<QTabWidget>("TabStrip1")->tabBar(), Qt::LeftButton, {},
                      c<QTabWidget>("TabStrip1")->tabBar()->tabRect(2).center());
    QTest::mouseClick(c<QPushButton>("cmdDefAdv"), Qt::LeftButton);
    QTest::keyClick(window_.get(), Qt::Key_E, Qt::AltModifier);
  }
  void cleanup() { destroyWindow(); }

  void acceptedEntriesAreNormalisedWhenLeftWithTab() {
    typeInto("cboFreq", "12345");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(c<QComboBox>("cboFreq")->currentText(), QString("1234"));
    QVERIFY(c<QComboBox>("cboDur")->hasFocus());
    typeInto("cboDur", "0,0625");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QCOMPARE(c<QComboBox>("cboDur")->currentText(), QString("0.062"));
    QVERIFY(dialogs_->messages.empty());
  }

  // While the message is up the field shows the text as cut and mended; when it is closed, the
  // restore text, and the field has the focus again.
  void refusedEntryShowsWhatWasRefusedThenTheRestoreText() {
    struct Refusal {
      const char* field;
      const char* typed;
      const char* behindMessage;
      const char* message;
      const char* restored;
    };
    const Refusal cases[] = {
        {"cboFreq", "2,358", "2,35", "Frequency must be between 500 and 5000 Hz", "2358"},
        {"cboDur", "1,2345", "1.234", "Duration must be between 0.032 and 1.0 Sec", "0.250"},
        {"cboLowV", "7,5", "7.5", "Voltage must be between 0.00V(OFF) and 7.00V", "4.60"},
        {"cboVminDly", "5030", "5040",
         "Minimum Voltage Capture Time must be between 20 and 5000 mS", "100"},
    };
    for (const Refusal& r : cases) {
      dialogs_->messages.clear();
      QString behind;
      dialogs_->whileShown = [&] { behind = c<QComboBox>(r.field)->currentText(); };
      typeInto(r.field, r.typed);
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      expectOneRefusal(r.field, r.message, r.restored);
      QCOMPARE(behind, QString(r.behindMessage));
    }
  }

  void pickingAnAnnotatedItemLeavesTheNumber() {
    auto* combo = c<QComboBox>("cboFreq");
    QTest::mouseClick(combo->lineEdit(), Qt::LeftButton);
    combo->showPopup();
    QAbstractItemView* view = combo->view();
    QTRY_VERIFY(view->isVisible());
    const QRect item = view->visualRect(view->model()->index(0, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, item.center());
    QTRY_VERIFY(!view->isVisible());
    QCOMPARE(combo->currentText(), QString("1568 (G6)"));
    QTest::mouseClick(c<QComboBox>("cboDur")->lineEdit(), Qt::LeftButton);
    QCOMPARE(combo->currentText(), QString("1568"));
    QVERIFY(dialogs_->messages.empty());
  }

  // The user's action that left a refused field does not happen: not a click, not an access
  // key, not another tab.
  void theActionThatLeftARefusedFieldDoesNothing() {
    QSignalSpy defaults(c<QPushButton>("cmdDefSet"), &QPushButton::clicked);
    auto* tabs = c<QTabWidget>("TabStrip1");

    typeInto("cboDur", "5");
    QTest::mouseClick(c<QPushButton>("cmdDefSet"), Qt::LeftButton);
    expectOneRefusal("cboDur", "Duration must be between 0.032 and 1.0 Sec", "0.250");

    typeInto("cboDur", "5");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_D, Qt::AltModifier);
    QTest::qWait(150);  // longer than a button's press animation

    typeInto("cboDur", "5");
    QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(1).center());

    typeInto("cboDur", "5");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::AltModifier);

    QCOMPARE(defaults.count(), 0);
    QCOMPARE(tabs->currentIndex(), 0);
    QVERIFY(c("fraSettings")->isVisible());
    QCOMPARE(dialogs_->messages.size(), std::size_t{4});
    QVERIFY(c<QComboBox>("cboDur")->hasFocus());
  }

  // With real modal message boxes: the box taking the activation, and the field the focus was
  // moving to (empty here, so also refused), give no second box.
  void aModalMessageBoxGivesNoSecondCheck() {
    QtDialogs dialogs;
    destroyWindow();
    makeWindow(&dialogs);
    dialogs.setWindow(window_.get());
    QStringList seen;
    QTimer closer;
    connect(&closer, &QTimer::timeout, [&] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        seen << box->windowTitle() + ": " + box->text();
        QVERIFY(box->icon() == QMessageBox::Warning);
        box->button(QMessageBox::Ok)->click();
      }
    });
    closer.start(15);
    auto* freq = c<QComboBox>("cboFreq");
    QTest::mouseClick(freq->lineEdit(), Qt::LeftButton);
    QTest::keyClicks(freq->lineEdit(), "6000");
    QTest::keyClick(freq->lineEdit(), Qt::Key_Tab);  // to the empty "Beep Duration:"
    QTRY_COMPARE(seen.size(), 1);
    QTest::qWait(100);
    activate();
    QCOMPARE(seen, QStringList{"Value Entry Error: Frequency must be between 500 and 5000 Hz"});
    QCOMPARE(freq->currentText(), QString("2358"));
    QTRY_VERIFY(freq->hasFocus());
  }

  void lowVoltageFollowsTheRangeOfTheDeviceRead() {
    settings_[24] = 1;
    typeInto("cboLowV", "7.5");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(c<QComboBox>("cboLowV")->currentText(), QString("7.5"));
    settings_[24] = 0;
    typeInto("cboLowV", "7.5");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    expectOneRefusal("cboLowV", "Voltage must be between 0.00V(OFF) and 7.00V", "4.60");
  }

  void thresholdTextAndSliderFollowEachOther() {
    auto* text = c<QLineEdit>("txtThres");
    auto* slider = c<QSlider>("sliderThres");
    struct Typed {
      const char* typed;
      const char* text;
      int slider;
    };
    // Typed one character at a time: "50abc" has moved the slider to 50 by its second one.
    const Typed cases[] = {{"150", "100", 100},  {"-5", "0", 0},         {"12.5", "12.5", 12},
                           {"13.5", "13.5", 14}, {"50abc", "50abc", 50}, {"-", "-", 50},
                           {"", "", 50},         {"1e999", "100", 100}};
    for (const Typed& t : cases) {
      text->setFocus();
      text->selectAll();
      QTest::keyClick(text, Qt::Key_Delete);
      QTest::keyClicks(text, t.typed);
      QCOMPARE(text->text(), QString(t.text));
      QCOMPARE(slider->value(), t.slider);
    }
    slider->setFocus();
    slider->setValue(30);
    QTest::keyClick(slider, Qt::Key_Right);
    QTest::keyClick(slider, Qt::Key_Right);
    QTest::keyClick(slider, Qt::Key_Right);
    QTest::keyClick(slider, Qt::Key_Right);
    QTest::keyClick(slider, Qt::Key_Right);
    QCOMPARE(slider->value(), 35);
    QCOMPARE(text->text(), QString("35"));

    auto* reverse = c<QCheckBox>("chkRev");
    QTest::mouseClick(reverse, Qt::LeftButton);
    QCOMPARE(c<QLabel>("labGTLT")->text(), QString("<"));
    reverse->setChecked(false);
    QCOMPARE(c<QLabel>("labGTLT")->text(), QString(">"));
    QVERIFY(dialogs_->messages.empty());
  }

  // Each Defaults button fills its own page and leaves the other as it is; nothing goes to the
  // device, nothing is checked.
  void defaultsFillTheirOwnPageOnly() {
    auto& handlers = window_->settingsPage();
    const SettingsTexts factory = handlers.Texts();
    for (const auto& [field, text] : kNonFactoryTexts) QVERIFY(handlers.SetText(field, text));
    const SettingsTexts edited = handlers.Texts();
    settings_[24] = 1;

    BringPageToFront(window_->controls(), c("cmdDefAdv"));
    QTest::mouseClick(c<QPushButton>("cmdDefAdv"), Qt::LeftButton);
    for (const FieldInfo& info : AllFields()) {
      const SettingsTexts& expected = info.page == Page::Advanced ? factory : edited;
      QCOMPARE(handlers.Text(info.field).toStdString(), TextOf(expected, info.field));
    }
    QVERIFY(c<QRadioButton>("optZ10(0)")->isChecked());

    BringPageToFront(window_->controls(), c("cmdDefSet"));
    QTest::mouseClick(c<QPushButton>("cmdDefSet"), Qt::LeftButton);
    for (const FieldInfo& info : AllFields()) {
      if (info.field == Field::cboLowV) continue;
      QCOMPARE(handlers.Text(info.field).toStdString(), TextOf(factory, info.field));
    }
    QCOMPARE(handlers.Text(Field::cboLowV), QString("OFF"));  // a 70 V device was read
    QCOMPARE(c<QSlider>("sliderThres")->value(), 70);
    QCOMPARE(c<QLabel>("labGTLT")->text(), QString(">"));
    QVERIFY(dialogs_->messages.empty());
    QCOMPARE(platform_->firmware().reportsReceived(), std::size_t{0});
  }

  void pickOnlyListsTakeOnlyTheirItems() {
    auto& handlers = window_->settingsPage();
    QVERIFY(!handlers.SetText(Field::cboStartBeeps, "7"));
    QCOMPARE(handlers.Text(Field::cboStartBeeps), QString("2"));
    QVERIFY(!c<QComboBox>("cboStartBeeps")->isEditable());
  }
};

}  // namespace vexaro

VEXARO_WINDOW_TEST_MAIN(vexaro::SettingsPageTest)

#include "SettingsPageTest.moc"
