#include "app/PlatformChoice.h"

#include "simulator/SimulatedStoreFile.h"
#ifdef _WIN32
#include "link/windows/WinHidPlatform.h"
#else
#include "link/hidapi/HidapiPlatform.h"
#endif

namespace vexaro {

std::unique_ptr<PlatformChoice> PlatformChoice::Make(const PlatformOptions& options,
                                                     std::ostream& traceOut, std::string& error) {
  std::unique_ptr<PlatformChoice> choice(new PlatformChoice);
  if (options.simulate) {
    DeviceStore store = FactoryStore();
    if (!options.simulateFile.empty()) {
      StoreFileResult loaded = LoadStoreFile(options.simulateFile);
      if (!loaded.store) {
        error = loaded.error;
        return nullptr;
      }
      if (error = StoreFileWriteProblem(options.simulateFile); !error.empty()) return nullptr;
      store = *loaded.store;
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

std::string PlatformChoice::SaveSimulatedStore() {
  if (simulated_ == nullptr || simulateFile_.empty()) return {};
  return SaveStoreFile(simulateFile_, simulated_->firmware().store());
}

}  // namespace vexaro
