// vexaro-link [--simulate[=FILE]] [--trace] [kalfo]: the window program.

#include <QApplication>
#include <QCommandLineParser>
#include <iostream>
#include <string_view>

#ifdef Q_OS_UNIX
#include <unistd.h>

#include <QSocketNotifier>
#include <csignal>
#endif
#ifdef Q_OS_WIN
#include "app/windows/ParentConsole.h"
#endif

#include "app/BuildInfo.h"
#include "app/WindowStart.h"
#include "window/ApplicationIdentity.h"
#include "window/WindowProgram.h"

namespace {

#ifdef Q_OS_UNIX
// A termination signal ends the program as closing the window does, so that the simulated
// device's memory is saved. The handler only writes to a pipe; the window's thread does the rest.
int signalPipe[2] = {-1, -1};

void OnTerminationSignal(int) {
  const char byte = 1;
  [[maybe_unused]] const auto written = ::write(signalPipe[1], &byte, 1);
}

void QuitOnTerminationSignals(QApplication& application) {
  if (::pipe(signalPipe) != 0) return;
  auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &application);
  QObject::connect(notifier, &QSocketNotifier::activated, &application, vexaro::EndWindowProgram);
  struct sigaction action {};
  action.sa_handler = OnTerminationSignal;
  sigemptyset(&action.sa_mask);
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
}
#else
void QuitOnTerminationSignals(QApplication&) {}
#endif

// Windows and macOS always have their one display; X11 and Wayland need theirs named.
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
constexpr bool kDisplayMayBeMissing = true;
#else
constexpr bool kDisplayMayBeMissing = false;
#endif

bool HasDisplay() {
  return !qEnvironmentVariableIsEmpty("DISPLAY") ||
         !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
         !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

}  // namespace

int main(int argc, char** argv) {
  bool printsAndLeaves = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument(argv[i]);
    printsAndLeaves = printsAndLeaves || argument == "--help" || argument == "-h" ||
                      argument == "--help-all" || argument == "--version" || argument == "-v";
  }
  if (kDisplayMayBeMissing && printsAndLeaves) {
    // --help and --version print and leave; they need no display to do so.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  } else if (kDisplayMayBeMissing && !HasDisplay()) {
    std::cerr << "vexaro-link: there is no graphical display (neither DISPLAY nor "
                 "WAYLAND_DISPLAY is set); run it on a desktop, or use the command-line tool "
                 "'vexaro'.\n";
    return 1;
  }
  QApplication application(argc, argv);  // takes Qt's own options first
  QuitOnTerminationSignals(application);
#ifdef Q_OS_WIN
  // Windows ends a window program by closing its window, which saves the simulated memory; the
  // console it may share (--trace) would end it at once at Ctrl+C, so that ends it as closing
  // does. Made after the application object, so it goes first.
  const vexaro::QuitOnConsoleEvents consoleEvents(vexaro::RequestEndWindowProgram);
#endif
  vexaro::SetApplicationIdentity(vexaro::kVersion);

  QCommandLineParser parser;
  parser.setApplicationDescription("Vexaro USB Link: settings, melody and tests of a Vexaro.");
  parser.addHelpOption();
  parser.addVersionOption();
  const QCommandLineOption simulate(
      "simulate",
      "Use the simulated device instead of USB; --simulate=FILE keeps its memory in FILE.", "FILE");
  const QCommandLineOption trace("trace", "Print every report on standard error.");
  parser.addOption(simulate);
  parser.addOption(trace);
  parser.addPositionalArgument("kalfo", "Shows the voltage calibration button.", "[kalfo]");

  // A bare --simulate has no file; Qt's parser wants a value, so give it an empty one.
  QStringList arguments = QApplication::arguments();
  for (QString& argument : arguments) {
    if (argument == "--simulate") argument = "--simulate=";
  }
  parser.process(arguments);

  vexaro::PlatformOptions options;
  options.simulate = parser.isSet(simulate);
  options.simulateFile = parser.value(simulate).toStdString();
  options.trace = parser.isSet(trace);
#ifdef Q_OS_WIN
  // The trace goes to the console the program was started from (cmd, PowerShell).
  if (options.trace) vexaro::UseParentConsole();
#endif
  vexaro::QtDialogs dialogs;
  // The calibration switch is the argument string left after the options, exactly "kalfo".
  return vexaro::StartWindowProgram(
      options, parser.positionalArguments().join(' ') == "kalfo", dialogs, std::cerr,
      [&dialogs](QWidget* window) { dialogs.setWindow(window); });
}
