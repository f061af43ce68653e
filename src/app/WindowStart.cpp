#include "app/WindowStart.h"

#include "window/WindowProgram.h"

namespace vexaro {

int StartWindowProgram(const PlatformOptions& options, bool calibrationSwitch, Dialogs& dialogs,
                       std::ostream& err, const std::function<void(QWidget*)>& windowShown) {
  const Result<std::unique_ptr<PlatformChoice>> choice = PlatformChoice::make(options, err);
  const std::unique_ptr<DeviceNotices> notices = MakeSystemNotices(options.simulate);
  // The chosen platform as the window program takes it, or the sentence saying why there is none.
  const auto forTheWindow = [&]() -> Result<WindowPlatform> {
    if (!choice) return Failure{choice.why()};
    PlatformChoice* const chosen = choice->get();
    return WindowPlatform{chosen->platform(), chosen->trace(),
                          [chosen] { return chosen->saveSimulatedStore(); }, notices.get(),
                          chosen->simulatedFile()};
  };
  return RunWindowProgram(forTheWindow(), calibrationSwitch, dialogs, err, windowShown);
}

}  // namespace vexaro
