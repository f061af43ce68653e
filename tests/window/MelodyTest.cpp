// The melody buttons on the simulated device: Load, Default, Play/Stop, Test Beep and Browse.

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <fstream>

#include "WindowFixture.h"
#include "link/DeviceContract.h"
#include "window/SettingsPage.h"

namespace vexaro {

class MelodyTest : public QObject, public WindowFixture {
  Q_OBJECT

  SimulatedFirmware& firmware() { return platform_->firmware(); }

  std::vector<std::uint8_t> melody() {
    return {firmware().store().begin() + kMelodyAddress, firmware().store().end()};
  }

  // The command bytes the device received since the settings were read.
  std::vector<char> commands() {
    std::vector<char> sent;
    for (const ReceivedCommand& r : firmware().received()) {
      if (r.command != command::kReadByte && r.command != command::kStatusPoll) {
        sent.push_back(static_cast<char>(r.command));
      }
    }
    return sent;
  }

  void load(const QString& name, bool raise = false) {
    BringPageToFront(window_->controls(), c("cmdLoad"));
    c<QLineEdit>("txtTuneFile")->setText(name);
    c<QCheckBox>("chkOctave")->setChecked(raise);
    QTest::mouseClick(c<QPushButton>("cmdLoad"), Qt::LeftButton);
  }

  static QString TempFile(const char* name, const std::string& contents) {
    const QString path = QDir::temp().filePath(name);
    std::ofstream(path.toStdString(), std::ios::binary) << contents;
    return path;
  }

 private slots:
  void init() {
    DeviceStore store = FactoryStore();
    std::fill(store.begin() + kMelodyAddress, store.end(), 0xEE);
    platform_ = std::make_unique<SimulatedPlatform>(store);
    makeWindow();
    window_->Timer1_Timer();  // found and read
  }
  void cleanup() { destroyWindow(); }

  void loadStoresTheFileAndDefaultTheFactoryTune() {
    load(TempFile("two.txt", "name:d=4,o=5,b=100:8c6,8d6\n"));
    std::vector<std::uint8_t> expected(100, 0);
    expected[0] = 119, expected[1] = 20, expected[2] = 106, expected[3] = 22;
    QVERIFY(melody() == expected);
    QVERIFY(c("cmdPlay")->hasFocus());

    // Raised by an octave, a C6 is stored as a C7: 60, and 125 for a quarter at 63 bpm.
    load(TempFile("c6.txt", "x:d=4,o=5,b=63:c6"), true);
    QCOMPARE(melody()[0], std::uint8_t{60});
    QCOMPARE(melody()[1], std::uint8_t{125});

    // "default" exactly is the factory tune, never raised.
    load("default", true);
    const DeviceStore factory = FactoryStore();
    QVERIFY(std::equal(factory.begin() + kMelodyAddress, factory.end(), melody().begin()));
    QVERIFY(dialogs_->messages.empty());
  }

  void aFileThatCannotBeLoadedSendsNothing() {
    const QString names[] = {"Default", TempFile("bad.txt", "x:d=4,o=5,b=0:c")};
    for (const QString& name : names) {
      const std::size_t before = firmware().received().size();
      load(name);
      QCOMPARE(firmware().received().size(), before);
      QCOMPARE(dialogs_->messages.back().title, QString("File Error"));
      QCOMPARE(dialogs_->messages.back().text, "File \"" + name + "\" Not Found!");
      QCOMPARE(dialogs_->messages.back().icon, Dialogs::Icon::Warning);
      QVERIFY(c("cmdBrowse")->hasFocus());
      QVERIFY(c("cmdPlay")->isEnabled());
      QCOMPARE(melody()[0], std::uint8_t{0xEE});
    }
    load(TempFile("good.txt", "x:d=4,o=5,b=63:c6"));  // a later good load works
    QCOMPARE(melody()[0], std::uint8_t{119});
  }

  void defaultTuneButtonResetsTheFileNameAndTheRaise() {
    c<QLineEdit>("txtTuneFile")->setText("mine.txt");
    c<QCheckBox>("chkOctave")->setChecked(true);
    BringPageToFront(window_->controls(), c("cmdDefTune"));
    QTest::mouseClick(c<QPushButton>("cmdDefTune"), Qt::LeftButton);
    QCOMPARE(c<QLineEdit>("txtTuneFile")->text(), QString("default"));
    QVERIFY(!c<QCheckBox>("chkOctave")->isChecked());
    QCOMPARE(melody()[0], std::uint8_t{50});
    QCOMPARE(firmware().received().size(), std::size_t{29 + 100});
  }

  void playRunsToItsEndThenStops() {
    BringPageToFront(window_->controls(), c("cmdPlay"));
    QTest::mouseClick(c<QPushButton>("cmdPlay"), Qt::LeftButton);
    QCOMPARE(commands(), (std::vector<char>{'P', 'S'}));
    QCOMPARE(c<QPushButton>("cmdPlay")->text(), QString("&Play"));
    for (const char* name : {"cmdPlay", "cmdSend", "cmdLoad", "cmdDefTune", "cmdBrowse"}) {
      QVERIFY2(c(name)->isEnabled(), name);
    }
  }

  // A stop clicked while the melody plays: S at once, and the play's own end sends S again.
  void playStoppedByTheUser() {
    BringPageToFront(window_->controls(), c("cmdPlay"));
    bool sawStopCaption = false;
    QTimer::singleShot(0, this, [&] {
      sawStopCaption = c<QPushButton>("cmdPlay")->text() == "&Stop";
      QVERIFY(!c("cmdLoad")->isEnabled());
      QVERIFY(!c("cmdSend")->isEnabled());
      QVERIFY(c("cmdBeep")->isEnabled());
      QTest::mouseClick(c<QPushButton>("cmdPlay"), Qt::LeftButton);
    });
    QTest::mouseClick(c<QPushButton>("cmdPlay"), Qt::LeftButton);
    QVERIFY(sawStopCaption);
    QCOMPARE(commands(), (std::vector<char>{'P', 'S', 'S'}));
    QVERIFY(!firmware().playing());
    QCOMPARE(c<QPushButton>("cmdPlay")->text(), QString("&Play"));
  }

  void beepSendsTheCodesOfTheTwoBoxes() {
    auto& settings = window_->settingsPage();
    settings.SetText(Field::cboFreq, "1568 (G6)");
    settings.SetText(Field::cboDur, "0.125 (1/8)");
    QTest::mouseClick(c<QPushButton>("cmdBeep"), Qt::LeftButton);
    QVERIFY(firmware().received().back() == (ReceivedCommand{command::kBeep, 80, 12}));

    // A text that reached the box without its check cannot make a beep: nothing is sent.
    settings.SetText(Field::cboFreq, "400");
    const std::size_t before = firmware().received().size();
    QTest::mouseClick(c<QPushButton>("cmdBeep"), Qt::LeftButton);
    QCOMPARE(firmware().received().size(), before);
    QCOMPARE(dialogs_->messages.back().title, QString("Beep Error"));
  }

  void browsePutsTheChosenFileInTheNameBox() {
    BringPageToFront(window_->controls(), c("cmdBrowse"));
    dialogs_->fileAnswers = {std::nullopt, QString("/home/me/tune.rtttl")};
    QTest::mouseClick(c<QPushButton>("cmdBrowse"), Qt::LeftButton);
    QCOMPARE(c<QLineEdit>("txtTuneFile")->text(), QString("default"));  // cancelled
    QTest::mouseClick(c<QPushButton>("cmdBrowse"), Qt::LeftButton);
    QCOMPARE(c<QLineEdit>("txtTuneFile")->text(), QString("/home/me/tune.rtttl"));
    QVERIFY(c("cmdLoad")->hasFocus());
    QCOMPARE(dialogs_->fileRequests.size(), std::size_t{2});
    QCOMPARE(dialogs_->fileRequests[0].title, QString("Open Melody File"));
    QCOMPARE(dialogs_->fileRequests[0].filter,
             QString("RTTTL RingTone Files (*.txt; *.rtttl)|*.txt;*.rtttl| All Files (*.*)|*.*"));
  }

  void uploadLocksTheOtherTransfers() {
    bool locked = false;
    QTimer probe;
    connect(&probe, &QTimer::timeout, [&] {
      if (window_->exchange().Busy()) {
        locked = !c("cmdSend")->isEnabled() && !c("cmdPlay")->isEnabled() &&
                 !c("cmdBeep")->isEnabled() && !c("cmdDefTune")->isEnabled();
      }
    });
    probe.start(0);
    load("default");
    QVERIFY(locked);
    QVERIFY(c("cmdSend")->isEnabled());
  }
};

}  // namespace vexaro

VEXARO_WINDOW_TEST_MAIN(vexaro::MelodyTest)

#include "MelodyTest.moc"
