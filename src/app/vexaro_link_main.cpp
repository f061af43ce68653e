// vexaro-link [--simulate[=FILE]] [--trace] [kalfo]: the window program.

#include <QApplication>
#include <QCommandLineParser>
#include <iostream>
#include <string_view>

#include "app/BuildInfo.h"
#include "app/PlatformChoice.h"
#include "link/ApiUSBRoutines.h"
#include "window/frmMain.h"

int main(int argc, char** argv) {
  // --help and --version print and leave; they must not need a display to do so.
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument(argv[i]);
    if (argument == "--help" || argument == "-h" || argument == "--version" || argument == "-v") {
      if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    }
  }
  QApplication application(argc, argv);  // takes Qt's own options first
  QApplication::setApplicationName("vexaro-link");
  QApplication::setApplicationDisplayName("Vexaro USB Link");
  QApplication::setApplicationVersion(vexaro::kVersion);

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
  std::string error;
  const auto choice = vexaro::PlatformChoice::Make(options, std::cerr, error);
  if (!choice) {
    std::cerr << "vexaro-link: " << error << '\n';
    return 2;
  }

  vexaro::LinkState link;
  vexaro::ApiUSBRoutines usb(choice->platform(), link, choice->trace());
  vexaro::DeviceSettings DeviceSettings{};
  vexaro::QtDialogs dialogs;
  vexaro::frmMain window(usb, link, DeviceSettings, dialogs);
  dialogs.setWindow(&window);
  QObject::connect(&window, &vexaro::frmMain::unloaded, &application, &QApplication::quit,
                   Qt::QueuedConnection);
  window.show();
  const int status = QApplication::exec();
  usb.CloseDeviceHandles();
  return status;
}
