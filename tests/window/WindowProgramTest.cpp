// The window program from its start to its end, on the simulated device with its memory in a
// file: memory that cannot be kept is said in a message box, never lost silently.

#include <QDialog>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <random>
#include <sstream>

#include "app/PlatformChoice.h"
#include "common/QuotedText.h"
#include "simulator/SimulatedStoreFile.h"
#include "window/WindowFixture.h"
#include "window/WindowProgram.h"

namespace vexaro {

class WindowProgramTest : public QObject {
  Q_OBJECT

 private slots:
  void memoryThatCannotBeKeptIsSaidInAMessageBox() {
    namespace fs = std::filesystem;
    const QString cannotWrite = "Cannot write the simulated device file FILE: ";
    // The exit status, and the message (FILE stands for the file's path; empty: no message).
    const std::pair<int, QString> cases[] = {
        // A read-only file (refused for root too, who could write it); the folder gone mid-run.
        {2, cannotWrite + "it is read-only. Nothing was sent; the program ends."},
        {3, cannotWrite + "no file can be made in its folder, so what the simulated device stored "
                          "in this run is lost."},
        {0, ""},  // kept
    };
    for (const auto& [status, message] : cases) {
      const fs::path dir = fs::temp_directory_path() /
                           ("vexaro-window-memory-" + std::to_string(std::random_device()()));
      fs::create_directories(dir);
      const fs::path file = dir / "device.txt";
      QVERIFY(SaveStoreFile(file.string(), FactoryStore()).ok());
      if (status == 2) fs::permissions(file, fs::perms::owner_read);

      PlatformOptions options;
      options.simulate = true;
      options.simulateFile = file.string();
      options.simulatedLatency = std::chrono::microseconds(0);
      FakeDialogs dialogs;
      std::ostringstream err;
      // Once the window runs: the folder goes if the case says so, then the window closes. (A
      // run that ends before its window shows leaves this timer unfired.)
      const bool goes = status == 3;  // a lambda may not capture a structured binding everywhere
      QTimer closer;
      closer.setSingleShot(true);
      QObject::connect(&closer, &QTimer::timeout, [&] {
        if (goes) fs::remove_all(dir);
        for (QWidget* widget : QApplication::topLevelWidgets()) {
          if (qobject_cast<frmMain*>(widget) != nullptr) widget->close();
        }
      });
      closer.start(0);
      // The platform as the window program's main makes it.
      const Result<std::unique_ptr<PlatformChoice>> choice = PlatformChoice::make(options, err);
      const auto platform = [&]() -> Result<WindowPlatform> {
        if (!choice) return Failure{choice.why()};
        PlatformChoice* const chosen = choice->get();
        return WindowPlatform{chosen->platform(), chosen->trace(),
                              [chosen] { return chosen->saveSimulatedStore(); }};
      };
      QCOMPARE(RunWindowProgram(platform(), false, dialogs, err), status);
      QCOMPARE(dialogs.messages.size(), std::size_t{message.isEmpty() ? 0u : 1u});
      if (!message.isEmpty()) {
        QCOMPARE(dialogs.messages[0].title, QString("File Error"));
        const QString quoted = QString::fromStdString(QuotedText(file.string()));
        QCOMPARE(dialogs.messages[0].text, QString(message).replace("FILE", quoted));
        QCOMPARE(dialogs.messages[0].icon, Dialogs::Icon::Warning);
      }
      // Windows deletes no read-only file.
      if (fs::exists(file)) fs::permissions(file, fs::perms::owner_all);
      fs::remove_all(dir);
    }
  }

  // A termination signal while the start-up "File Error" box is open (before the window's event
  // loop runs) ends the program, as it does once the window is up.
  void endingWhileTheStartUpBoxIsOpenEndsTheProgram() {
    QtDialogs dialogs;
    std::ostringstream err;
    QString endedBox;
    QTimer ender;
    QObject::connect(&ender, &QTimer::timeout, [&] {
      if (QWidget* box = QApplication::activeModalWidget(); box != nullptr && endedBox.isEmpty()) {
        endedBox = box->windowTitle();
        EndWindowProgram();
      }
    });
    ender.start(10);
    // Left open after a second, the box is closed here, and the test fails.
    bool stillOpen = false;
    QTimer fallback;
    fallback.setSingleShot(true);
    QObject::connect(&fallback, &QTimer::timeout, [&] {
      if (auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
        stillOpen = true;
        box->reject();
      }
    });
    fallback.start(1000);
    const Result<WindowPlatform> failed = Failure{"the memory file is a folder."};
    QCOMPARE(RunWindowProgram(failed, false, dialogs, err), 2);
    QCOMPARE(endedBox, QString("File Error"));
    QVERIFY(!stillOpen);
  }
};

}  // namespace vexaro

VEXARO_WINDOW_TEST_MAIN(vexaro::WindowProgramTest)
#include "WindowProgramTest.moc"
