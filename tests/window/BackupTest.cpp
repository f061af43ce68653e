// Back Up... and Restore... on the simulated device, through the dialogs seam.

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <fstream>
#include <sstream>

#include "WindowFixture.h"
#include "common/QuotedText.h"
#include "window/SettingsPage.h"

namespace vexaro {

class BackupTest : public QObject, public WindowFixture {
  Q_OBJECT

  QTemporaryDir folder_;

  void clickWithFile(QPushButton* button, std::optional<QString> path) {
    dialogs_->fileAnswers.push_back(std::move(path));  // nothing: Cancel
    click(button);
  }
  static std::string contents(const QString& path) {
    std::ostringstream text;
    text << std::ifstream(path.toStdString(), std::ios::binary).rdbuf();
    return text.str();
  }

 private slots:
  void cleanup() { destroyWindow(); }

  // Cancelled dialogs (by the access keys) do nothing. Backed up, changed, restored: the device
  // holds its backed-up bytes again and the window shows them; the bar counts the 124
  // acknowledged writes while the transfer controls are off.
  void aRestoreBringsBackWhatWasBackedUp() {
    DeviceStore backedUp = FactoryStore();
    backedUp[3] = 50;  // a beep of 125000 / 50 = 2500 Hz
    backedUp[27] = 3;
    std::fill(backedUp.begin() + 40, backedUp.end(), 0x21);
    connectTo(backedUp);
    for (const Qt::Key key : {Qt::Key_U, Qt::Key_R}) {
      dialogs_->fileAnswers.push_back(std::nullopt);
      QTest::keyClick(window_.get(), key, Qt::AltModifier);  // clicks a moment later
      QTRY_VERIFY(dialogs_->fileAnswers.empty());
    }
    QCOMPARE(dialogs_->saveRequests, std::size_t{1});
    const QString path = folder_.filePath("device.json");
    clickWithFile(ui().cmdBackup, path);

    DeviceStore changed = FactoryStore();
    changed[3] = 80;
    std::fill(changed.begin() + 30, changed.end(), 0x11);
    destroyWindow();
    connectTo(changed);
    QVERIFY(window_->settingsPage().text(Field::cboFreq) != "2500");
    int counted = 0;  // 0 to 124 of 124 shown in turn, the transfer controls off
    QProgressBar* bar = ui().prgRestore;
    connect(bar, &QProgressBar::valueChanged, this, [&](int value) {
      counted += value == counted && bar->maximum() == 124 && bar->isVisible() &&
                 !ui().cmdSend->isEnabled() && !ui().cmdRestore->isEnabled();
    });
    clickWithFile(ui().cmdRestore, path);
    QVERIFY(dialogs_->messages.empty());
    QCOMPARE(firmware().store(), backedUp);
    QCOMPARE(counted, 125);
    QCOMPARE(window_->settingsPage().text(Field::cboFreq), QString("2500"));
    QVERIFY(!bar->isVisible() && ui().Label48->isVisible());
  }

  // Refusals store nothing; a device lost part way leaves the program going, the device shown
  // disconnected, and an earlier backup file as it was. Each says the tool's sentence.
  void failuresAreSaidInTheToolsWords() {
    const QString good = folder_.filePath("good.json");
    connectTo(FactoryStore());
    clickWithFile(ui().cmdBackup, good);
    const std::string backup = contents(good);
    const QString notJson = folder_.filePath("bad.json");
    std::ofstream(notJson.toStdString()) << "{\"vexaro-backup\": 2,";
    struct Case {
      QPushButton* WindowControls::*button;
      QString file;
      std::map<std::uint8_t, std::uint8_t> device;
      std::size_t lostAfter;  // reports; 0: never
      QString message;        // title: sentence
      bool memoryFile = false;  // the file is the simulated device's memory file
    };
    using W = WindowControls;
    // clang-format off
    const Case cases[] = {
        {&W::cmdRestore, notJson, {}, 0, "Restore Error: FILE is not a JSON file."},
        {&W::cmdRestore, good, {{24, 1}}, 0, "Restore Error: these settings are for a 7V device; this one is 70V."},
        {&W::cmdRestore, good, {}, 29 + 23 + 5, "Restore Error: device lost after storing 28 or 29 of 124 bytes, part way through the melody; restore the file again."},
        {&W::cmdBackup, good, {}, 29 + 10, "Backup Error: device lost while reading address 38."},
        {&W::cmdBackup, good, {}, 0, "Backup Error: cannot write FILE: it is the simulated device's memory file, which the window keeps writing; the file already there is unchanged.", true},
    };
    // clang-format on
    for (const Case& c : cases) {
      destroyWindow();
      connectTo(FactoryStore(), c.device);
      if (c.lostAfter > 0) {
        firmware().faults().unplugAfter = firmware().reportsReceived() + c.lostAfter;
      }
      window_->keepFromBackups(c.memoryFile ? c.file.toStdString() : "");
      clickWithFile(ui().*c.button, c.file);
      QString message = c.message;
      message.replace("FILE", QString::fromStdString(QuotedText(c.file.toStdString())));
      dialogs_->expectLast(1, message.section(": ", 0, 0), message.section(": ", 1),
                           c.lostAfter > 0 ? Dialogs::Icon::Critical : Dialogs::Icon::Warning);
      QVERIFY(c.lostAfter > 0 || stores().empty());
      QCOMPARE(ui().lblConStatus->text(),
               QString(c.lostAfter > 0 ? "Device Disconnected" : "Device Connected"));
      QCOMPARE(contents(good), backup);
    }
  }
};

}  // namespace vexaro

VEXARO_WINDOW_TEST_MAIN(vexaro::BackupTest)

#include "BackupTest.moc"
