// The main window under Qt's offscreen platform: every control in its designed state, the tabs,
// the access keys, help and exit.

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSlider>
#include <QStyleOptionComboBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTextBrowser>
#include <QtTest>

#include "WindowFixture.h"
#include "settings/SettingsFields.h"
#include "window/Widgets.h"

namespace vexaro {

namespace {

enum : unsigned { H = 1, D = 2, C = 4, B = 8 };  // hidden, disabled, checked, bold

struct Expected {
  const char* name;
  const char* className;
  const char* text;  // caption or designed text; nullptr: not checked
  unsigned state;
  int help;
  const char* toolTip = nullptr;
};

// The window as designed, control by control.
const Expected kControls[] = {
    {"fraSettings", "QGroupBox", "Basic Settings", 0, 0},
    {"fraMelody", "QGroupBox", "Tune Control", H, 0},
    {"fraAdvanced", "QGroupBox", "Advanced Parameters", H, 0},
    {"fraVtrim", "QGroupBox", "A/D Voltage Trim", H, 0},
    {"fraTransfer", "QGroupBox", "Transfer", B, 0},
    {"Label7", "QLabel", "Send New Settings to Device:", 0, 0},
    {"cmdSend", "QPushButton", "&Send", D, 2000},
    {"cmdHelp", "QPushButton", "&Help", 0, 900},
    {"cmdExit", "QPushButton", "E&xit", 0, 2000},
    {"Label9", "QLabel", "Status:", 0, 0},
    {"shpStatus", "vexaro::StatusLamp", nullptr, 0, 0},
    {"lblConStatus", "QLabel", "Device Disconnected", 0, 0},
    {"lblVersion", "QLabel", "", 0, 0},
    {"TabStrip1", "QTabWidget", nullptr, 0, 2000},
    {"Label1", "QLabel", "Turn-on Position:", B, 0},
    {"Label2", "QLabel", "0%", 0, 0},
    {"Label5", "QLabel", "100%", 0, 0},
    {"labGTLT", "QLabel", ">", B, 0},
    {"txtThres", "QLineEdit", "0", 0, 3000},
    {"Label44", "QLabel", "%", 0, 0},
    {"sliderThres", "QSlider", nullptr, 0, 3000},
    {"chkRev", "QCheckBox", "Reverse", 0, 3010},
    {"Label3", "QLabel", "Low Battery Warning Voltage:", B, 0},
    {"cboLowV", "QComboBox", "", 0, 3020},
    {"Label13", "QLabel", "Volts", 0, 0},
    {"Label4", "QLabel", "Beep Frequency:", B, 0},
    {"cboFreq", "QComboBox", "", 0, 3030},
    {"Label14", "QLabel", "Hz", 0, 0},
    {"cmdBeep", "vexaro::WrapButton", "Test   &Beep", D, 3070,
     "Play selected frequency & duration"},
    {"Label6", "QLabel", "Beep Duration:", B, 0},
    {"cboDur", "QComboBox", "", 0, 3060},
    {"Label15", "QLabel", "Sec.", 0, 0},
    {"Label12", "QLabel", "Restore Factory Default Settings:", 0, 0},
    {"cmdDefSet", "QPushButton", "&Defaults", 0, 3080},
    {"Label8", "QLabel", "Enter Ring-Tone File Name:", B, 0},
    {"txtTuneFile", "QLineEdit", "default", 0, 4010},
    {"cmdBrowse", "QPushButton", "Bro&wse ...", 0, 4010},
    {"chkOctave", "QCheckBox", "Raise Tune One Octave", 0, 4020},
    {"Label10", "QLabel", "Load the New Melody into the Device:", B, 0},
    {"cmdLoad", "QPushButton", "&Load", D, 4030},
    {"Label16", "QLabel", "Play Currently Loaded Melody:", B, 0},
    {"cmdPlay", "QPushButton", "&Play", D, 4040},
    {"Label11", "QLabel", "Restore Factory Default Tune:", 0, 0},
    {"cmdDefTune", "QPushButton", "&Default", D, 4050},
    {"Label17", "QLabel", "Beeps at Power-up:", 0, 0},
    {"cboStartBeeps", "QComboBox", "", 0, 5000},
    {"Frame1", "QGroupBox", "", 0, 0},
    {"Label21", "QLabel", "Clear After Reporting:", 0, 0},
    {"chkGreset", "QCheckBox", "Glitch Count", C, 5060},
    {"chkMreset", "QCheckBox", "Min. Voltage", C, 5060},
    {"Label22", "QLabel", "Command Time Window:", 0, 0},
    {"cboCmdTime", "QComboBox", "", 0, 5010},
    {"Label35", "QLabel", "S", 0, 0},
    {"Label20", "QLabel", "Glitch Period (Frame Time):", 0, 0},
    {"cboGtime", "QComboBox", "", 0, 5020},
    {"Label36", "QLabel", "mS", 0, 0},
    {"Label23", "QLabel", "Min. Voltage Capture Time:", 0, 0},
    {"cboVminDly", "QComboBox", "", 0, 5030},
    {"Label45", "QLabel", "mS", 0, 0},
    {"Label18", "QLabel", "Low Voltage Alert: -- Beeps:", 0, 0},
    {"cboVlowBeeps", "QComboBox", "", 0, 5040},
    {"Label19", "QLabel", "-- Time Delay:", 0, 0},
    {"cboVlowDly", "QComboBox", "", 0, 5050},
    {"Label34", "QLabel", "S", 0, 0},
    {"Frame2", "QGroupBox", "Report Activation (\"On-Off\" Cycles): ", 0, 0},
    {"Label24", "QLabel", "Voltage:", 0, 0},
    {"cboVcycles", "QComboBox", "", 0, 5070},
    {"Label33", "QLabel", "Glitch:", 0, 0},
    {"cboGcycles", "QComboBox", "", 0, 5070},
    {"Label43", "QLabel", "Min. Volt.:", 0, 0},
    {"cboMcycles", "QComboBox", "", 0, 5070},
    {"Label25", "QLabel", "Zero Output:", 0, 0},
    {"optZ10(0)", "QRadioButton", "Two-Tone", C, 5080},
    {"optZ10(1)", "QRadioButton", "10-Beeps", 0, 5080},
    {"cmdVtrim", "QPushButton", "V. Trim", H | D, 0},
    {"Label26", "QLabel", "\"ZE\" Frequency:", 0, 0},
    {"cboZeFreq", "QComboBox", "", 0, 5090},
    {"Label37", "QLabel", "Hz", 0, 0},
    {"Label27", "QLabel", "\"ZE\" Duration:", 0, 0},
    {"cboZeDur", "QComboBox", "", 0, 5090},
    {"Label40", "QLabel", "S", 0, 0},
    {"Label28", "QLabel", "\"ro\" Frequency:", 0, 0},
    {"cboRoFreq", "QComboBox", "", 0, 5090},
    {"Label38", "QLabel", "Hz", 0, 0},
    {"Label29", "QLabel", "\"ro\" Duration:", 0, 0},
    {"cboRoDur", "QComboBox", "", 0, 5090},
    {"Label41", "QLabel", "S", 0, 0},
    {"Label30", "QLabel", "Inter-Beep Pause:", 0, 0},
    {"cboIBpause", "QComboBox", "", 0, 5100},
    {"Label39", "QLabel", "S", 0, 0},
    {"Label31", "QLabel", "Inter-Digit Pause:", 0, 0},
    {"cboIDpause", "QComboBox", "", 0, 5110},
    {"Label42", "QLabel", "S", 0, 0},
    {"Label32", "QLabel", "Restore Factory Default Settings:", 0, 0},
    {"cmdDefAdv", "QPushButton", "&Defaults", 0, 5120},
    {"cmdReadAD", "QPushButton", "Read A/D", 0, 0},
    {"lblADvalue", "QLabel", "A/D Value:  ", 0, 0},
    {"Label46", "QLabel", "Vtrim Value:", 0, 0},
    {"cboVtrim", "QComboBox", "", 0, 0},
    {"Frame3", "QGroupBox", "", 0, 0},
    {"Label47", "QLabel", "Calculated Adjusted Voltage (from current Vtrim value)", 0, 0},
    {"lblP1(0)", "QLabel", "+1:  ", 0, 0},
    {"lblP1(6)", "QLabel", "+7:  ", 0, 0},
    {"lblM1(0)", "QLabel", "-1:  ", 0, 0},
    {"lblM1(6)", "QLabel", "-7:  ", 0, 0},
};

// Designed places of the top-level controls, in twips.
struct Place {
  const char* name;
  int left, top, width, height;
};
const Place kPlaces[] = {
    {"TabStrip1", 120, 120, 5412, 4812},     {"fraSettings", 240, 480, 5172, 4332},
    {"fraMelody", 240, 480, 5172, 4332},     {"fraAdvanced", 240, 480, 5172, 4332},
    {"fraVtrim", 240, 480, 5175, 5295},      {"fraTransfer", 120, 5040, 3732, 732},
    {"cmdHelp", 4200, 5280, 1212, 372},      {"cmdExit", 4200, 5820, 1212, 372},
    {"Label9", 240, 5940, 612, 252},         {"shpStatus", 900, 5916, 240, 240},
    {"lblConStatus", 1320, 5940, 2052, 252}, {"lblVersion", 2880, 5940, 972, 252},
    {"sliderThres", 600, 960, 2652, 552},    {"cmdBeep", -1, -1, 852, 612},
};

QString Caption(QWidget* w) {
  if (auto* label = qobject_cast<QLabel*>(w)) return label->text();
  if (auto* button = qobject_cast<QAbstractButton*>(w)) return button->text();
  if (auto* edit = qobject_cast<QLineEdit*>(w)) return edit->text();
  if (auto* combo = qobject_cast<QComboBox*>(w)) return combo->currentText();
  if (auto* box = qobject_cast<QGroupBox*>(w)) return box->title();
  return {};
}

bool Checked(QWidget* w) {
  auto* button = qobject_cast<QAbstractButton*>(w);
  return button != nullptr && button->isChecked();
}

}  // namespace

class frmMainTest : public QObject, public WindowFixture {
  Q_OBJECT

 private slots:
  void init() { makeWindow(); }
  void cleanup() { destroyWindow(); }

  void everyControlInItsDesignedState() {
    QCOMPARE(window_->windowTitle(), QString("Vexaro  -  Version 3.0"));
    QVERIFY(!window_->windowIcon().pixmap(32, 32).isNull());  // its own icon, drawn from SVG
    QCOMPARE(window_->size(), QSize(377, 425));               // 5655 x 6375 twips at 96 dpi
    QVERIFY(!QFontInfo(window_->font()).family().isEmpty());
    for (const Expected& e : kControls) {
      QWidget* w = c(e.name);
      const QString what = e.name;
      QVERIFY2(w->inherits(e.className),
               qPrintable(what + " is a " + w->metaObject()->className()));
      if (e.text != nullptr) QVERIFY2(Caption(w) == e.text, qPrintable(what + ": " + Caption(w)));
      QVERIFY2(w->isHidden() == bool(e.state & H), qPrintable(what + " hidden"));
      QVERIFY2(w->isEnabled() == !(e.state & D), qPrintable(what + " enabled"));
      QVERIFY2(Checked(w) == bool(e.state & C), qPrintable(what + " checked"));
      QVERIFY2(w->font().bold() == bool(e.state & B), qPrintable(what + " bold"));
      QVERIFY2(w->property("helpContext").toInt() == e.help, qPrintable(what + " help"));
      QVERIFY2(w->toolTip() == QString(e.toolTip), qPrintable(what + " tool tip"));
    }
    QVERIFY(c<QLabel>("labGTLT")->font().pointSize() > c<QLabel>("Label1")->font().pointSize());
    QCOMPARE(c<StatusLamp>("shpStatus")->fillColor(), QColor(255, 0, 0));
    QCOMPARE(c<QSlider>("sliderThres")->minimum(), 0);
    QCOMPARE(c<QSlider>("sliderThres")->maximum(), 100);
    for (const Place& p : kPlaces) {
      const QRect r = c(p.name)->geometry();
      const auto px = [](int twips) { return qRound(twips / 15.0); };
      if (p.left >= 0) QCOMPARE(r.topLeft(), QPoint(px(p.left), px(p.top)));
      QCOMPARE(r.size(), QSize(px(p.width), px(p.height)));
    }
  }

  // A screen reader names every input control by the label in front of it on its row (the
  // turn-on controls and the file name by their headings), check boxes and option buttons by
  // their own captions, and describes a control by its tool tip. On Linux a combo box's own
  // name is its text: its name is its label's, through the labelled-by relation.
  void everyInputControlIsNamedByTheLabelInFrontOfIt() {
    const std::map<QString, QString> headings = {{"txtThres", "Turn-on Position:"},
                                                 {"sliderThres", "Turn-on Position:"},
                                                 {"txtTuneFile", "Enter Ring-Tone File Name:"}};
    int inputs = 0;
    for (QWidget* w : window_->findChildren<QWidget*>()) {
      const bool captioned = qobject_cast<QCheckBox*>(w) || qobject_cast<QRadioButton*>(w);
      if (w->objectName().isEmpty() ||
          !(captioned || qobject_cast<QComboBox*>(w) || qobject_cast<QLineEdit*>(w) ||
            qobject_cast<QSlider*>(w))) {
        continue;
      }
      ++inputs;
      QString expected;
      if (captioned) {
        expected = qobject_cast<QAbstractButton*>(w)->text();
      } else if (headings.contains(w->objectName())) {
        expected = headings.at(w->objectName());
      } else {
        int nearest = -1;
        for (auto* label : w->parentWidget()->findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
          const int middle = label->geometry().center().y();
          if (middle >= w->y() && middle <= w->geometry().bottom() && label->x() < w->x() &&
              label->x() > nearest) {
            nearest = label->x();
            expected = label->text();
          }
        }
      }
      QVERIFY2(!expected.isEmpty(), qPrintable(w->objectName()));
      QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
      QString name = a->text(QAccessible::Name);
      if (qobject_cast<QComboBox*>(w)) {
        name.clear();
        for (const auto& [label, relation] : a->relations(QAccessible::Label)) {
          if (qobject_cast<QLabel*>(label->object())) name = label->text(QAccessible::Name);
        }
      }
      QVERIFY2(name == expected, qPrintable(w->objectName() + " is named " + name));
      QVERIFY2(a->text(QAccessible::Description) == w->toolTip(), qPrintable(w->objectName()));
    }
    QCOMPARE(inputs, 22 + 6);
  }

  // Every list shows its field's items (one table for the window, the tool and the checks),
  // takes typing only when it is editable, and starts empty with nothing selected.
  void listsHoldTheirItemsWithNothingSelected() {
    const auto expect = [&](const char* name, bool editable, QStringList items) {
      auto* combo = c<QComboBox>(name);
      QStringList shown;
      for (int i = 0; i < combo->count(); ++i) shown << combo->itemText(i);
      QVERIFY2(shown == items, name);
      QVERIFY2(combo->isEditable() == editable, name);
      QVERIFY2(combo->currentIndex() == -1 && combo->currentText().isEmpty(), name);
    };
    int lists = 0;
    for (const FieldInfo& info : AllFields()) {
      if (info.kind != ControlKind::EditableList && info.kind != ControlKind::PickList) continue;
      QStringList items;
      for (const char* item : info.items) items << item;
      expect(info.control, info.kind == ControlKind::EditableList, items);
      ++lists;
    }
    QCOMPARE(lists, 18);
    expect("cboVtrim", false,
           {"-7", "-6", "-5", "-4", "-3", "-2", "-1", "0", "1", "2", "3", "4", "5", "6", "7"});
  }

  // With the texts the controls hold in use, nothing is cut off and nothing lies on another
  // control, on any page.
  void nothingClippedOrOverlapping() {
    // The widest texts the lists hold once an entry is settled.
    const std::pair<const char*, const char*> texts[] = {
        {"cboLowV", "12.0"},    {"cboLowV", "OFF"},    {"cboFreq", "2358"},
        {"cboDur", "0.816"},    {"cboGtime", "65"},    {"cboVminDly", "5000"},
        {"cboVlowDly", "2.0"},  {"cboZeFreq", "2404"}, {"cboZeDur", "0.750"},
        {"cboRoFreq", "4999"},  {"cboRoDur", "0.126"}, {"cboIBpause", "0.496"},
        {"cboIDpause", "1.50"}, {"cboCmdTime", "4.0"}, {"cboVtrim", "-7"},
        {"txtThres", "100"},
    };
    for (const auto& [name, text] : texts) {
      QWidget* w = c(name);
      QRect field;
      if (auto* combo = qobject_cast<QComboBox*>(w)) {
        QStyleOptionComboBox option;
        option.initFrom(combo);
        option.editable = combo->isEditable();
        field = combo->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                               QStyle::SC_ComboBoxEditField, combo);
      } else {
        field = w->contentsRect().adjusted(3, 0, -3, 0);
      }
      QVERIFY2(w->fontMetrics().horizontalAdvance(text) <= field.width(),
               qPrintable(QString("%1 cannot show %2").arg(name, text)));
    }
    c<QLabel>("lblConStatus")->setText("Device Connected");
    c<QLabel>("lblVersion")->setText("Version 3.1");

    const auto textFits = [](QWidget* w) {
      const QString caption = Caption(w);
      if (caption.isEmpty() || qobject_cast<QComboBox*>(w) || qobject_cast<QLineEdit*>(w)) {
        return true;
      }
      if (auto* wrap = qobject_cast<WrapButton*>(w)) return wrap->captionHeight() <= w->height();
      if (auto* label = qobject_cast<QLabel*>(w); label && label->wordWrap()) {
        return w->fontMetrics().boundingRect(w->rect(), Qt::TextWordWrap, caption).height() <=
               w->height();
      }
      return w->sizeHint().width() <= w->width() + (qobject_cast<QPushButton*>(w) ? 16 : 0) &&
             w->fontMetrics().height() <= w->height();
    };
    // Two sibling controls overlap when their rectangles meet; for labels only the text counts.
    const auto extent = [](QWidget* w) {
      if (auto* label = qobject_cast<QLabel*>(w); label && !label->wordWrap()) {
        const int width = w->fontMetrics().horizontalAdvance(label->text());
        return QRect(w->pos(), QSize(width, w->height()));
      }
      return w->geometry();
    };
    const QStringList containers = {"fraSettings", "fraMelody", "fraAdvanced", "fraVtrim",
                                    "fraTransfer", "Frame1",    "Frame2",      "Frame3"};
    for (const QString& name : containers) {
      const QList<QWidget*> children =
          c(qPrintable(name))->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
      for (QWidget* w : children) {
        if (w->objectName().isEmpty()) continue;
        QVERIFY2(textFits(w), qPrintable(w->objectName() + " is clipped"));
        const QRect inside = c(qPrintable(name))->contentsRect();
        QVERIFY2(inside.contains(w->geometry()),
                 qPrintable(QString("%1 %2,%3 %4x%5 sticks out of %6 %7,%8 %9x%10")
                                .arg(w->objectName())
                                .arg(w->x())
                                .arg(w->y())
                                .arg(w->width())
                                .arg(w->height())
                                .arg(name)
                                .arg(inside.x())
                                .arg(inside.y())
                                .arg(inside.width())
                                .arg(inside.height())));
        for (QWidget* other : children) {
          if (other == w || other->objectName().isEmpty()) continue;
          QVERIFY2(!extent(w).intersects(extent(other)),
                   qPrintable(w->objectName() + " overlaps " + other->objectName()));
        }
      }
    }
    for (const char* name : {"Label9", "lblConStatus", "lblVersion", "cmdHelp", "cmdExit"}) {
      QVERIFY2(textFits(c(name)), name);
    }
    QVERIFY(!extent(c("lblConStatus")).intersects(extent(c("lblVersion"))));
  }

  void tabsBringTheirPageToTheFrontAndHideTheCalibrationPage() {
    const QStringList pages = {"fraSettings", "fraMelody", "fraAdvanced"};
    const auto front = [&] {
      QStringList visible;
      for (const QString& page : pages + QStringList{"fraVtrim"}) {
        if (c(qPrintable(page))->isVisible()) visible << page;
      }
      return visible;
    };
    QCOMPARE(front(), QStringList{"fraSettings"});
    QTabBar* bar = c<QTabWidget>("TabStrip1")->tabBar();
    QCOMPARE(bar->count(), 3);
    const QStringList captions = {"S&ettings", "&Melody", "&Advanced"};
    const QStringList tips = {"Basic Parameter Settings", "Melody Settings",
                              "Advanced Parameter Settings"};
    for (int i = 0; i < 3; ++i) {
      QCOMPARE(bar->tabText(i), captions[i]);
      QCOMPARE(bar->tabToolTip(i), tips[i]);
    }
    for (int i : {1, 2, 0, 2}) {
      // The calibration page is open; choosing any tab, the selected one too, closes it.
      c("fraVtrim")->show();
      c("fraVtrim")->raise();
      QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(i).center());
      QCOMPARE(front(), QStringList{pages[i]});
    }
    // The same with the access key of the selected tab.
    c("fraVtrim")->show();
    QTest::keyClick(window_.get(), Qt::Key_A, Qt::AltModifier);
    QCOMPARE(front(), QStringList{"fraAdvanced"});
    QTest::keyClick(window_.get(), Qt::Key_E, Qt::AltModifier);
    QCOMPARE(front(), QStringList{"fraSettings"});
  }

  void accessKeysReachTheVisiblePageOnly() {
    QSignalSpy basic(c<QPushButton>("cmdDefSet"), &QPushButton::clicked);
    QSignalSpy advanced(c<QPushButton>("cmdDefAdv"), &QPushButton::clicked);
    // A button's access key clicks it after a short press animation.
    QTest::keyClick(window_.get(), Qt::Key_D, Qt::AltModifier);
    QTRY_COMPARE(basic.count(), 1);
    QCOMPARE(advanced.count(), 0);
    QTest::keyClick(window_.get(), Qt::Key_A, Qt::AltModifier);
    QTest::keyClick(window_.get(), Qt::Key_D, Qt::AltModifier);
    QTRY_COMPARE(advanced.count(), 1);
    QCOMPARE(basic.count(), 1);
  }

  void helpOpensTheTopicOfTheButtonOrTheFocusedControl() {
    QTest::mouseClick(c<QPushButton>("cmdDefSet"), Qt::LeftButton);  // texts the checks accept
    QTest::mouseClick(c<QPushButton>("cmdHelp"), Qt::LeftButton);
    struct Focus {
      const char* control;
      int context;
    };
    const Focus focus[] = {{"cboFreq", 3030}, {"cboDur", 3060},    {"txtThres", 3000},
                           {"chkRev", 3010},  {"cmdDefSet", 3080}, {"TabStrip1", 2000}};
    for (const Focus& f : focus) {
      QWidget* w =
          f.control == QString("TabStrip1") ? c<QTabWidget>("TabStrip1")->tabBar() : c(f.control);
      w->setFocus(Qt::OtherFocusReason);
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
    }
    QTest::keyClick(window_.get(), Qt::Key_M, Qt::AltModifier);
    c("txtTuneFile")->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);

    QList<int> contexts;
    for (const auto& request : dialogs_->help) {
      contexts << request.context;
      QVERIFY(request.file.endsWith("/vexarohelp.html"));
    }
    QCOMPARE(contexts, (QList<int>{900, 3030, 3060, 3000, 3010, 3080, 2000, 4010}));
    QVERIFY(dialogs_->messages.empty());
  }

  void helpViewerOpensAtTheTopicOrSaysTheFileIsMissing() {
    QtDialogs dialogs;
    dialogs.setWindow(window_.get());
    dialogs.ShowHelp(VEXARO_SOURCE_DIR "/help/vexarohelp.html", 3030);
    auto* browser = window_->findChild<QTextBrowser*>("helpBrowser");
    QVERIFY(browser != nullptr);
    QCOMPARE(browser->source().fragment(), QString("3030"));
    QVERIFY(browser->toPlainText().contains("Beep Frequency"));
    dialogs.ShowHelp("/nonexistent/vexarohelp.html", 900);
    QVERIFY(browser->toPlainText().contains("Help is not available"));
    QVERIFY(QApplication::activeModalWidget() == nullptr);
  }

  void fileFilterBecomesQtsForm() {
    QCOMPARE(
        QtFileFilter("RTTTL RingTone Files (*.txt; *.rtttl)|*.txt;*.rtttl| All Files (*.*)|*.*"),
        QString("RTTTL RingTone Files (*.txt; *.rtttl) (*.txt *.rtttl);; All Files (*.*) (*)"));
  }

  void exitUnloadsTheWindow() {
    QSignalSpy unloaded(window_.get(), &frmMain::unloaded);
    QTest::mouseClick(c<QPushButton>("cmdExit"), Qt::LeftButton);
    QCOMPARE(unloaded.count(), 1);
    QVERIFY(!window_->isVisible());
  }

  void showsTheConnectionAsTheSearchFindsIt() {
    platform_->addInterface({"/dev/hidraw1", 0x04D8, 0x47A1}, true).openError =
        OpenError::NoPermission;
    QTRY_COMPARE_WITH_TIMEOUT(c<QLabel>("lblConStatus")->text(), QString("No Access to Device"),
                              3000);
    platform_->interfaces().back().openError.reset();
    QTRY_COMPARE_WITH_TIMEOUT(c<QLabel>("lblConStatus")->text(), QString("Device Connected"), 3000);
    QCOMPARE(c<StatusLamp>("shpStatus")->fillColor(), QColor(0, 255, 0));
  }
};

}  // namespace vexaro

VEXARO_WINDOW_TEST_MAIN(vexaro::frmMainTest)

#include "frmMainTest.moc"
