#include "app/WindowStart.h"

#include "window/WindowProgram.h"
#if defined(_WIN32)
#include "sound/windows/WinSound.h"
#elif defined(__APPLE__)
#include "sound/mac/MacSound.h"
#elif defined(__linux__)
#include "sound/pulse/PulseSound.h"
#endif

namespace vexaro {

namespace {

// The speakers as each system's own sound service reaches them.
std::unique_ptr<SoundOutput> MakeSystemSoundOutput() {
#if defined(_WIN32)
  return MakeWinSoundOutput();
#elif defined(__APPLE__)
  return MakeMacSoundOutput();
#elif defined(__linux__)
  return MakePulseSoundOutput();
#else
  return MakeNoSoundOutput("this system's sound service is not supported.");
#endif
}

}  // namespace

int StartWindowProgram(const PlatformOptions& options, bool calibrationSwitch, Dialogs& dialogs,
                       std::ostream& err, const std::function<void(QWidget*)>& windowShown) {
  const Result<std::unique_ptr<PlatformChoice>> choice = PlatformChoice::make(options, err);
  const std::unique_ptr<DeviceNotices> notices = MakeSystemNotices(options.simulate);
  const std::unique_ptr<SoundOutput> sound = MakeSystemSoundOutput();
  // The chosen platform as the window program takes it, or the sentence saying why there is none.
  const auto forTheWindow = [&]() -> Result<WindowPlatform> {
    if (!choice) return Failure{choice.why()};
    PlatformChoice* const chosen = choice->get();
    return WindowPlatform{chosen->platform(),
                          chosen->trace(),
                          *sound,
                          [chosen] { return chosen->saveSimulatedStore(); },
                          notices.get(),
                          chosen->simulatedFile()};
  };
  return RunWindowProgram(forTheWindow(), calibrationSwitch, dialogs, err, windowShown);
}

}  // namespace vexaro
