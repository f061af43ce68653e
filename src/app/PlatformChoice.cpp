#include "app/PlatformChoice.h"

#include "simulator/SimulatedStoreFile.h"
#ifdef _WIN32
#include "link/windows/WinHidPlatform.h"
#else
#include "link/hidapi/HidapiPlatform.h"
#endif

namespace vexaro {

Result<std::unique_ptr<PlatformChoice>> PlatformChoice::make(const PlatformOptions& options,
                                                             std::ostream& traceOut) {
  std::unique_ptr<PlatformChoice> choice(new PlatformChoice);
  if (options.simulate) {
    DeviceStore store = FactoryStore();
    if (!options.simulateFile.empty()) {
      const Result<DeviceStore> loaded = LoadStoreFile(options.simulateFile);
      if (!loaded) return Failure{loaded.why()};
      if (const Result<void> writable = CheckStoreFileWritable(options.simulateFile); !writable) {
        return Failure{writable.why()};
      }
      store = *loaded;
      choice->simulateFile_ = options.simulateFile;
    }
    auto simulated = std::make_unique<SimulatedPlatform>(store);
    simulated->firmware().setLatency(options.simulatedLatency);
    choice->simulated_ = simulated.get();
    choice->base_ = std::move(simulated);
  } else {
#ifdef _WIN32
    choice->base_ = MakeWinHidPlatform();
#else
    choice->base_ = MakeHidapiPlatform();
#endif
  }
  if (options.trace) {
    choice->trace_ = TrafficTrace(&traceOut);
    choice->traced_ = MakeTracingPlatform(*choice->base_, choice->trace_);
  }
  return choice;
}

Result<void> PlatformChoice::saveSimulatedStore() {
  if (simulated_ == nullptr || simulateFile_.empty()) return {};
  return SaveStoreFile(simulateFile_, simulated_->firmware().store());
}

}  // namespace vexaro
