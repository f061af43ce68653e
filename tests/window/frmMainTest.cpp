// The main window under Qt's offscreen platform, with no device: how it opens, the tabs and help;
// then editing the settings, and Listen.

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTimer>
#include <fstream>

#include "WindowFixture.h"
#include "melody/TuneSound.h"
#include "support/SettingsSamples.h"
#include "window/SettingsPage.h"
#include "window/Widgets.h"
#include "window/WindowLayout.h"

namespace vexaro {

class FrmMainTest : public QObject, public WindowFixture {
  Q_OBJECT

  QStringList visiblePages() {
    QStringList visible;
    for (QGroupBox* page : {ui().fraSettings, ui().fraMelody, ui().fraAdvanced, ui().fraVtrim}) {
      if (page->isVisible()) visible << page->title();
    }
    return visible;
  }

  // Types `text` into the editable list, replacing what it held.
  void typeInto(QComboBox* combo, const QString& text) {
    BringPageToFront(ui(), combo);
    QTest::mouseClick(combo->lineEdit(), Qt::LeftButton);
    QCOMPARE(QApplication::focusWidget(), combo);
    combo->lineEdit()->selectAll();
    QTest::keyClicks(combo->lineEdit(), text);
  }

  void expectRefusals(QComboBox* combo, std::size_t count, const QString& message,
                      const QString& restored) {
    dialogs_->expectLast(count, "Value Entry Error", message, Dialogs::Icon::Warning);
    QCOMPARE(combo->currentText(), restored);
    QVERIFY(combo->hasFocus());
  }

  // The texts of both Defaults buttons in the window, the basic page in front.
  void fillDefaults() {
    click(ui().cmdDefSet);
    click(ui().cmdDefAdv);
    QTest::keyClick(window_.get(), Qt::Key_E, Qt::AltModifier);
  }

 private slots:
  void init() { makeWindow(); }
  void cleanup() { destroyWindow(); }

  // Before any device: the red lamp, every control that talks to the device off.
  void opensDisconnected() {
    QVERIFY(!window_->windowIcon().pixmap(32, 32).isNull());  // its own icon, drawn from SVG
    QCOMPARE(window_->size(), QSize(377, 425));               // 5655 x 6375 twips at 96 dpi
    QCOMPARE(ui().shpStatus->fillColor(), QColor(255, 0, 0));
    QCOMPARE(ui().lblConStatus->text(), QString("Device Disconnected"));
    for (const char* name : {"cmdSend", "cmdBeep", "cmdLoad", "cmdPlay", "cmdDefTune", "cmdVtrim"})
      QVERIFY2(!named(name)->isEnabled(), name);
    QVERIFY(ui().cmdVtrim->isHidden());
    QVERIFY(ui().chkGreset->isChecked() && ui().chkMreset->isChecked());
    QVERIFY(ui().optZ10[0]->isChecked() && !ui().chkRev->isChecked());
    QCOMPARE(ui().cmdBeep->toolTip(), QString("Play selected frequency & duration"));
    // Every list starts empty, and takes typing only where its field is typed into.
    for (const FieldInfo& info : AllFields()) {
      QWidget* control = FieldControl(ui(), info.field);
      QVERIFY2(control->objectName().startsWith(info.control), info.control);
      auto* combo = qobject_cast<QComboBox*>(control);
      if (combo == nullptr) continue;
      QVERIFY2(combo->isEditable() == (info.kind == ControlKind::EditableList), info.control);
      QVERIFY2(combo->currentIndex() == -1 && combo->currentText().isEmpty(), info.control);
    }
    QStringList trims;
    for (int i = 0; i < ui().cboVtrim->count(); ++i) trims << ui().cboVtrim->itemText(i);
    QCOMPARE(trims.join(' '), QString("-7 -6 -5 -4 -3 -2 -1 0 1 2 3 4 5 6 7"));
  }

  // A tab, clicked or by its access key, brings its page to the front and closes the
  // calibration page, also when it is already selected.
  void tabsBringTheirPageToTheFront() {
    QCOMPARE(visiblePages(), QStringList{"Basic Settings"});
    QTabBar* bar = ui().TabStrip1->tabBar();
    QStringList tabs;
    for (int i = 0; i < bar->count(); ++i) tabs << bar->tabText(i) + ": " + bar->tabToolTip(i);
    QCOMPARE(tabs, (QStringList{"S&ettings: Basic Parameter Settings", "&Melody: Melody Settings",
                                "&Advanced: Advanced Parameter Settings"}));
    const QStringList pages = {"Basic Settings", "Tune Control", "Advanced Parameters"};
    for (int i : {1, 2, 0, 2, -3, -1}) {  // -1 - i: tab i by its access key
      ui().fraVtrim->show();
      ui().fraVtrim->raise();
      if (i >= 0) QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(i).center());
      if (i < 0) QTest::keyClick(window_.get(), i == -3 ? Qt::Key_A : Qt::Key_E, Qt::AltModifier);
      QCOMPARE(visiblePages(), QStringList{pages[i < 0 ? -i - 1 : i]});
    }
  }

  void helpOpensTheTopicOfTheButtonOrTheFocusedControl() {
    QTest::mouseClick(ui().cmdDefSet, Qt::LeftButton);  // texts the checks accept
    QTest::mouseClick(ui().cmdHelp, Qt::LeftButton);
    for (QWidget* w :
         std::initializer_list<QWidget*>{ui().cboFreq, ui().cboDur, ui().txtThres, ui().chkRev,
                                         ui().cmdDefSet, ui().TabStrip1->tabBar()}) {
      w->setFocus(Qt::OtherFocusReason);
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
    }
    QTest::keyClick(window_.get(), Qt::Key_M, Qt::AltModifier);
    for (QWidget* w : std::initializer_list<QWidget*>{ui().txtTuneFile, ui().cmdListen}) {
      w->setFocus();
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
    }

    QList<int> contexts;
    for (const auto& [file, context] : dialogs_->help) {
      contexts << context;
      QVERIFY(file.endsWith("/vexarohelp.html"));
    }
    QCOMPARE(contexts, (QList<int>{900, 3030, 3060, 3000, 3010, 3080, 2000, 4010, 4060}));
    QVERIFY(dialogs_->messages.empty());
    // Every topic a control opens is an anchor of the help file.
    QFile help(VEXARO_SOURCE_DIR "/help/vexarohelp.html");
    QVERIFY(help.open(QIODevice::ReadOnly));
    const QByteArray html = help.readAll();
    for (QWidget* w : window_->findChildren<QWidget*>()) {
      if (const QVariant context = w->property(kHelpContextProperty); context.isValid()) {
        QVERIFY2(html.contains("name=\"" + context.toByteArray() + "\""), context.toByteArray());
      }
    }
  }

  // A refused entry shows the text as cut and mended while its message is up, then the restore
  // text, with the focus back. The low-battery range is that of the device read.
  void entriesAreCheckedWhenTheFieldIsLeft() {
    fillDefaults();
    using W = WindowControls;
    struct Entry {
      QComboBox* W::*field;
      const char* typed;
      Qt::Key leaveBy;
      std::uint8_t range;   // address 24: 0 for 7 V, 1 for 70 V
      const char* shown;    // after leaving; while the message is up when refused
      const char* message;  // nullptr: accepted
      const char* restored;
    };
    const Entry cases[] = {
        {&W::cboDur, "0,0625", Qt::Key_Backtab, 0, "0.062", nullptr, nullptr},
        {&W::cboLowV, "7.5", Qt::Key_Tab, 1, "7.5", nullptr, nullptr},
        {&W::cboFreq, "2,358", Qt::Key_Tab, 0, "2,35", "Frequency must be between 500 and 5000 Hz",
         "2358"},
        {&W::cboLowV, "7,5", Qt::Key_Tab, 0, "7.5", "Voltage must be between 0.00V(OFF) and 7.00V",
         "4.60"},
        {&W::cboVminDly, "5030", Qt::Key_Tab, 0, "5040",
         "Minimum Voltage Capture Time must be between 20 and 5000 mS", "100"},
    };
    for (const Entry& e : cases) {
      QComboBox* combo = ui().*e.field;
      const QString row = QString("%1 \"%2\"").arg(combo->objectName(), e.typed);
      settings_[24] = e.range;
      dialogs_->messages.clear();
      QString behind;
      dialogs_->whileShown = [&] { behind = combo->currentText(); };
      typeInto(combo, e.typed);
      QTest::keyClick(QApplication::focusWidget(), e.leaveBy);
      if (e.message == nullptr) {
        QVERIFY2(dialogs_->messages.empty(), qPrintable(row));
        QVERIFY2(combo->currentText() == e.shown, qPrintable(row + ": " + combo->currentText()));
        QVERIFY2(!combo->hasFocus(), qPrintable(row));
      } else {
        expectRefusals(combo, 1, e.message, e.restored);
        QVERIFY2(behind == e.shown, qPrintable(row + ": " + behind));
      }
    }
  }

  void pickingAnAnnotatedItemLeavesTheNumber() {
    fillDefaults();
    QComboBox* combo = ui().cboFreq;
    QTest::mouseClick(combo->lineEdit(), Qt::LeftButton);
    combo->showPopup();
    QAbstractItemView* view = combo->view();
    QTRY_VERIFY(view->isVisible());
    const QRect item = view->visualRect(view->model()->index(0, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, item.center());
    QTRY_VERIFY(!view->isVisible());
    QCOMPARE(combo->currentText(), QString("1568 (G6)"));
    QTest::mouseClick(ui().cboDur->lineEdit(), Qt::LeftButton);
    QCOMPARE(combo->currentText(), QString("1568"));
    QVERIFY(dialogs_->messages.empty());
  }

  // The click or access key that left a refused field does not happen.
  void theActionThatLeftARefusedFieldDoesNothing() {
    fillDefaults();
    QSignalSpy defaults(ui().cmdDefSet, &QPushButton::clicked);
    QTabBar* tabs = ui().TabStrip1->tabBar();
    const std::function<void()> leave[] = {
        [&] { QTest::mouseClick(ui().cmdDefSet, Qt::LeftButton); },
        [&] { QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center()); },
        [&] { QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::AltModifier); },
    };
    for (std::size_t i = 0; i < std::size(leave); ++i) {
      typeInto(ui().cboDur, "5");
      leave[i]();
      expectRefusals(ui().cboDur, i + 1, "Duration must be between 0.032 and 1.0 Sec", "0.250");
    }
    QCOMPARE(defaults.count(), 0);
    QCOMPARE(ui().TabStrip1->currentIndex(), 0);
    QVERIFY(ui().fraSettings->isVisible());
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
    QComboBox* freq = ui().cboFreq;
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

  void thresholdTextAndSliderFollowEachOther() {
    QLineEdit* text = ui().txtThres;
    QSlider* slider = ui().sliderThres;
    struct Typed {
      const char* typed;
      const char* text;
      int slider;
    };
    // "50abc" has moved the slider to 50 by its second key; a text without a number leaves it.
    const Typed cases[] = {
        {"150", "100", 100}, {"13.5", "13.5", 14}, {"50abc", "50abc", 50}, {"-", "-", 50}};
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
    for (int i = 0; i < 5; ++i) QTest::keyClick(slider, Qt::Key_Right);
    QCOMPARE(slider->value(), 35);
    QCOMPARE(text->text(), QString("35"));

    QTest::mouseClick(ui().chkRev, Qt::LeftButton);
    QCOMPARE(ui().labGTLT->text(), QString("<"));
    ui().chkRev->setChecked(false);
    QCOMPARE(ui().labGTLT->text(), QString(">"));
    QVERIFY(dialogs_->messages.empty());
  }

  // Each Defaults button fills its own page only; nothing goes to the device, nothing is checked.
  void defaultsFillTheirOwnPageOnly() {
    destroyWindow();
    connectTo(FactoryStore());
    fillDefaults();
    SettingsPage& page = window_->settingsPage();
    const SettingsTexts factory = page.texts();
    for (const auto& [field, text] : kNonFactoryTexts) QVERIFY(page.setText(field, text));
    QVERIFY(!page.setText(Field::cboStartBeeps, "7"));
    const SettingsTexts edited = page.texts();
    settings_[24] = 1;

    click(ui().cmdDefAdv);
    for (const FieldInfo& info : AllFields()) {
      const SettingsTexts& expected = info.page == Page::Advanced ? factory : edited;
      QCOMPARE(page.text(info.field).toStdString(), TextOf(expected, info.field));
    }
    QVERIFY(ui().optZ10[0]->isChecked());

    click(ui().cmdDefSet);
    for (const FieldInfo& info : AllFields()) {
      if (info.field == Field::cboLowV) continue;
      QCOMPARE(page.text(info.field).toStdString(), TextOf(factory, info.field));
    }
    QCOMPARE(page.text(Field::cboLowV), QString("OFF"));  // a 70 V device was read
    QCOMPARE(ui().sliderThres->value(), 70);
    QCOMPARE(ui().labGTLT->text(), QString(">"));
    QVERIFY(dialogs_->messages.empty());
    QVERIFY(stores().empty());
  }

  // Listen (Alt+T), with no device, sounds what Load would store: the factory tune for "default",
  // never raised, and a file's tune raised by the check box; a file Load refuses gives Load's
  // message and sounds nothing. Stop (Alt+O) silences it.
  void listenSoundsWhatLoadWouldStore() {
    QTemporaryDir folder;
    const QString file = folder.filePath("c6.txt");
    std::ofstream(file.toStdString()) << "x:d=4,o=5,b=63:c6";
    // C7, 2093 Hz: a period of 59.7 x 8 us, stored as 60; a quarter at 63 beats a minute is
    // 60/63 s, 1993.3 periods of 2093 Hz, stored as 125 groups of 16.
    const TuneImage c7{60, 125};
    const struct {
      QString name;
      bool raise;
      std::optional<TuneImage> stored;
    } cases[] = {{"default", true, DefaultTuneImage()}, {file, true, c7}, {"Default", false, {}}};
    QTest::keyClick(window_.get(), Qt::Key_M, Qt::AltModifier);
    for (const auto& [name, raise, stored] : cases) {
      ui().txtTuneFile->setText(name);
      ui().chkOctave->setChecked(raise);
      QTest::keyClick(window_.get(), Qt::Key_T, Qt::AltModifier);  // a click 100 ms later
      if (!stored) {
        QTRY_COMPARE(dialogs_->messages.size(), std::size_t{1});
        dialogs_->expectLast(1, "File Error", "File \"Default\" Not Found!",
                             Dialogs::Icon::Warning);
        QCOMPARE(sound_->started.size(), std::size_t{2});
        QCOMPARE(ui().cmdListen->text(), QString("Lis&ten"));
        continue;
      }
      QTRY_COMPARE(ui().cmdListen->text(), QString("St&op"));
      QVERIFY(sound_->started.back() == RenderTuneSound(*stored).samples);
      const int stops = sound_->stops;
      QTest::keyClick(window_.get(), Qt::Key_O, Qt::AltModifier);
      QTRY_COMPARE(ui().cmdListen->text(), QString("Lis&ten"));
      QCOMPARE(sound_->stops, stops + 1);
      QVERIFY(ui().lblListen->text().isEmpty());
    }
  }

  // While the factory tune sounds, the status line names the note the sound has reached; the
  // sound's end, or its failure, puts Listen back. A sound output that cannot start says why.
  void listenNamesTheNoteSounding() {
    click(ui().cmdListen);
    // Note 1 is 23 x 16 periods of 400 us, 147.2 ms: 6491.52 samples, so note 2 starts at 6492.
    // Note 4, a pause, starts after 147.2 + 149.248 + 147.2 ms: at 19565.
    // Each row changes the line, so that each is seen.
    const std::pair<std::size_t, QString> reached[] = {
        {0, "Playing note 1 of 43: D#7 2500.00 Hz"},
        {6492, "Playing note 2 of 43: D7 2358.49 Hz"},
        {6491, "Playing note 1 of 43: D#7 2500.00 Hz"},
        {19565, "Playing note 4 of 43: pause"},
        {99'999'999, "Playing note 43 of 43: D7 2358.49 Hz"},
    };
    for (const auto& [sample, status] : reached) {
      sound_->now.sample = sample;
      QTRY_COMPARE(ui().lblListen->text(), status);
      QCOMPARE(ui().cmdListen->text(), QString("St&op"));
    }
    sound_->now = {false, 0, "The sound stopped: the sound server failed."};
    QTRY_COMPARE(ui().cmdListen->text(), QString("Lis&ten"));
    QCOMPARE(ui().lblListen->text(), QString("The sound stopped: the sound server failed."));

    sound_->refusal = "No sound output: there is none here.";
    click(ui().cmdListen);
    QCOMPARE(ui().lblListen->text(), QString("No sound output: there is none here."));
    QCOMPARE(ui().cmdListen->text(), QString("Lis&ten"));
    QVERIFY(dialogs_->messages.empty());
  }
};

}  // namespace vexaro

VEXARO_WINDOW_TEST_MAIN(vexaro::FrmMainTest)

#include "frmMainTest.moc"
