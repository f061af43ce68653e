// The window program from start to end on a simulated device's memory file: memory that cannot
// be kept is said in a message box, and the file is shared with the command-line tool.

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <filesystem>
#include <sstream>
#include <thread>
#include <vector>

#ifdef Q_OS_WIN
#include <windows.h>

#include "app/windows/ParentConsole.h"
#endif

#include "app/PlatformChoice.h"
#include "app/VexaroCli.h"
#include "app/WindowStart.h"
#include "common/QuotedText.h"
#include "simulator/SimulatedStoreFile.h"
#include "support/SharedDevice.h"
#include "window/SettingsPage.h"
#include "window/WindowFixture.h"
#include "window/WindowProgram.h"

namespace vexaro {

class WindowProgramTest : public QObject {
  Q_OBJECT

  // A factory memory file in a folder of its own, removed at the end.
  struct MemoryFile {
    QTemporaryDir folder;
    std::filesystem::path dir = folder.path().toStdString();
    std::filesystem::path file = dir / "device.txt";
    MemoryFile() { QVERIFY(SaveStoreFile(file.string(), FactoryStore()).ok()); }
  };

  // Runs `steps` on the window once it runs, then closes it. (A run that ends before its window
  // shows leaves the steps undone; the next call replaces them.)
  QTimer runner_;
  void whenTheWindowRuns(std::function<void(frmMain&)> steps) {
    runner_.disconnect();
    runner_.setSingleShot(true);
    runner_.start(0);
    QObject::connect(&runner_, &QTimer::timeout, [steps = std::move(steps)] {
      for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* window = qobject_cast<frmMain*>(widget)) {
          steps(*window);
          window->close();
        }
      }
    });
  }

  // The window program on the memory file, its platform made as its main makes it (with the
  // trace on `err`).
  static int runWindowOn(const MemoryFile& memory, Dialogs& dialogs, std::ostream& err) {
    PlatformOptions options;
    options.simulate = true;
    options.simulateFile = memory.file.string();
    options.trace = true;
    options.simulatedLatency = std::chrono::microseconds(0);
    return StartWindowProgram(options, false, dialogs, err);
  }

 private slots:
  void memoryThatCannotBeKeptIsSaidInAMessageBox() {
    namespace fs = std::filesystem;
    const QString cannotWrite = "Cannot write the simulated device file FILE: ";
    // The exit status, and the message (FILE: the file's path). A read-only file (refused for
    // root too); the folder gone during a Send, after the memory was read for it. A file that is
    // kept is the other tests' and the scripted keys' case.
    const std::pair<int, QString> cases[] = {
        {2, cannotWrite + "it is read-only. Nothing was sent; the program ends."},
        {3, cannotWrite + "its folder does not exist, so what the simulated device stored in "
                          "this run is lost."},
    };
    for (const auto& [status, message] : cases) {
      const MemoryFile memory;
      if (status == 2) fs::permissions(memory.file, fs::perms::owner_read);
      FakeDialogs dialogs;
      const bool goes = status == 3;  // a lambda may not capture a structured binding everywhere
      HookedErr errText("hid> 00 54", [&] {
        if (goes) fs::remove_all(memory.dir);
      });
      std::ostream err(&errText);
      whenTheWindowRuns([](frmMain& window) {
        window.Timer1_Timer();
        SettingsPage& page = window.settingsPage();
        QVERIFY(page.setText(Field::chkRev, page.text(Field::chkRev) == "1" ? "0" : "1"));
        window.controls().cmdSend->click();
      });
      QCOMPARE(runWindowOn(memory, dialogs, err), status);
      const QString quoted = QString::fromStdString(QuotedText(memory.file.string()));
      dialogs.expectLast(1, "File Error", QString(message).replace("FILE", quoted),
                         Dialogs::Icon::Warning);
      // Windows deletes no read-only file.
      if (fs::exists(memory.file)) fs::permissions(memory.file, fs::perms::owner_all);
    }
  }

  // The window and the tool on one memory file, as two programs on one device: the tool's store
  // outlives the window's end; while another program holds the device, a tick is skipped with
  // the status saying so (the window stays), and a click sends nothing.
  void theWindowAndTheToolShareOneMemoryFile() {
    const MemoryFile memory;
    const std::string simulate = "--simulate=" + memory.file.string();
    const std::uint8_t changed = FactoryStore()[9] ^ 0x40;  // the beep's period
    FakeDialogs dialogs;
    std::ostringstream err;
    QStringList statuses;
    whenTheWindowRuns([&](frmMain& window) {
      const auto status = [&] { statuses.push_back(window.controls().lblConStatus->text()); };
      window.Timer1_Timer();
      status();
      std::ostringstream toolOut;
      std::ostringstream toolErr;
      QCOMPARE(RunVexaroCli({simulate, "poke", "9", std::to_string(changed)}, toolOut, toolErr), 0);
      {
        PlatformOptions options;
        options.simulate = true;
        options.simulateFile = memory.file.string();
        const auto other = PlatformChoice::make(options, err);
        QVERIFY(other.ok());
        const LockHeldElsewhere holder(
            [&] { return (*other)->platform().lockDevice(SimulatedPlatform::kDefaultPath); });
        QVERIFY(holder.taken());
        window.Timer1_Timer();
        status();
        QVERIFY(window.isVisible());
        window.controls().cmdSend->click();  // would store the window's byte 9 over the tool's
      }
      window.Timer1_Timer();
      status();
    });
    QCOMPARE(runWindowOn(memory, dialogs, err), 0);
    QCOMPARE(statuses, (QStringList{"Device Connected", "Device in Use", "Device Connected"}));
    dialogs.expectLast(1, "Device in Use",
                       "Another program is using " + QString::fromStdString(memory.file.string()) +
                           ". Nothing was sent; try again when it has finished.",
                       Dialogs::Icon::Warning);
    const Result<DeviceStore> kept = LoadStoreFile(memory.file.string());
    QVERIFY(kept.ok());
    QCOMPARE((*kept)[9], changed);
  }

  // A termination signal while the start-up "File Error" box is open (before the window's event
  // loop runs) ends the program, as it does once the window is up: the request handed over from
  // another thread, as a console's control handler makes it, and on Windows Ctrl+C in the console.
  void endingWhileTheStartUpBoxIsOpenEndsTheProgram() {
    std::vector<std::pair<const char*, std::function<void()>>> enders = {
        {"from another thread", [] { std::thread(RequestEndWindowProgram).join(); }}};
#ifdef Q_OS_WIN
    // A console of the test's own stands for the one --trace attaches to (under Wine the one a
    // program started from a Linux shell gets takes no Ctrl+C).
    FreeConsole();
    QVERIFY(AllocConsole() != 0);
    const QuitOnConsoleEvents consoleEvents(RequestEndWindowProgram);
    enders.emplace_back("Ctrl+C", [] { QVERIFY(GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0) != 0); });
#endif
    for (const auto& [how, end] : enders) {
      QtDialogs dialogs;
      std::ostringstream err;
      QString endedBox;
      QTimer ender;
      QObject::connect(&ender, &QTimer::timeout, [&, &end = end] {
        if (QWidget* box = QApplication::activeModalWidget();
            box != nullptr && endedBox.isEmpty()) {
          endedBox = box->windowTitle();
          end();
        }
      });
      ender.start(10);
      // Left open for long, the box is closed here, and the test fails.
      bool stillOpen = false;
      QTimer fallback;
      fallback.setSingleShot(true);
      QObject::connect(&fallback, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
          stillOpen = true;
          box->reject();
        }
      });
      fallback.start(10000);
      const Result<WindowPlatform> failed = Failure{"the memory file is a folder."};
      QCOMPARE(RunWindowProgram(failed, false, dialogs, err), 2);
      QVERIFY2(endedBox == "File Error", how);
      QVERIFY2(!stillOpen, how);
    }
  }
};

}  // namespace vexaro

VEXARO_WINDOW_TEST_MAIN(vexaro::WindowProgramTest)
#include "WindowProgramTest.moc"
