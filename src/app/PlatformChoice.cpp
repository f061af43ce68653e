#include "app/PlatformChoice.h"

#include <filesystem>
#include <system_error>

#include "common/Utf8Path.h"
#include "link/DeviceLock.h"
#include "simulator/SimulatedStoreFile.h"
#ifdef _WIN32
#include "link/windows/WinHidPlatform.h"
#else
#include "link/hidapi/HidapiPlatform.h"
#endif
#ifdef _WIN32
#include "link/windows/WinNotices.h"
#elif defined(__APPLE__)
#include "link/mac/MacNotices.h"
#elif defined(__linux__)
#include "link/udev/UdevNotices.h"
#endif

namespace vexaro {

namespace {

// The name of a memory file's lock: its full path, links followed, so that every name of one file
// takes one lock.
std::string LockNameOf(const std::string& file) {
  std::error_code ec;
  const std::filesystem::path full = std::filesystem::weakly_canonical(PathFromUtf8(file), ec);
  if (ec) return file;
  const std::u8string name = full.u8string();
  return {name.begin(), name.end()};
}

bool Exists(const std::string& file) {
  std::error_code ec;
  return std::filesystem::exists(PathFromUtf8(file), ec) || ec;
}

}  // namespace

// The simulated device with its memory in a file that other programs may use at the same time, as
// two programs share one device: each exchange sequence holds the file's lock. Taking it reads the
// memory from the file; giving it back first writes the memory to the file when a store changed
// it. So each program sees the other's stores and none is lost, and the window and the tool may
// share one file.
class MemoryFilePlatform final : public HidPlatform {
 public:
  MemoryFilePlatform(SimulatedPlatform& device, std::string file, bool writableChecked)
      : device_(device),
        file_(std::move(file)),
        lockName_(LockNameOf(file_)),
        writableChecked_(writableChecked) {}

  std::vector<HidInterfaceInfo> enumerate() override { return device_.enumerate(); }
  OpenResult open(const std::string& path) override { return device_.open(path); }
  std::string serviceFailure() override { return device_.serviceFailure(); }

  LockResult lockDevice(const std::string&) override {
    LockResult taken = TryLockDevicePath(lockName_);
    taken.name = file_;
    if (!taken.lock) return taken;
    // The file was in use as the program started: what was not checked then is checked now.
    if (!writableChecked_) {
      if (const Result<void> writable = CheckStoreFileWritable(file_); !writable) {
        return {nullptr, false, file_, writable.why()};
      }
      writableChecked_ = true;
    }
    const Result<DeviceStore> loaded = LoadStoreFile(file_);
    if (!loaded) return {nullptr, false, file_, loaded.why()};
    device_.firmware().store() = *loaded;
    taken.lock = std::make_unique<Held>(*this, std::move(taken.lock), *loaded);
    return taken;
  }

  const std::string& file() const { return file_; }

  // Whether every store of the run was kept in the file.
  Result<void> finish() const {
    if (!lost_.empty()) return Failure{lost_};
    return {};
  }

 private:
  class Held final : public DeviceLock {
   public:
    Held(MemoryFilePlatform& platform, std::unique_ptr<DeviceLock> lock, const DeviceStore& loaded)
        : platform_(platform), lock_(std::move(lock)), loaded_(loaded) {}
    ~Held() override {
      const DeviceStore& now = platform_.device_.firmware().store();
      if (now == loaded_) return;
      if (const Result<void> saved = SaveStoreFile(platform_.file_, now);
          !saved && platform_.lost_.empty()) {
        platform_.lost_ = saved.why();
      }
    }  // the lock goes after the file is written

   private:
    MemoryFilePlatform& platform_;
    std::unique_ptr<DeviceLock> lock_;
    DeviceStore loaded_;
  };

  SimulatedPlatform& device_;
  std::string file_;
  std::string lockName_;
  bool writableChecked_;
  std::string lost_;  // the first store that could not be written, why
};

PlatformChoice::~PlatformChoice() = default;

Result<std::unique_ptr<PlatformChoice>> PlatformChoice::make(const PlatformOptions& options,
                                                             std::ostream& traceOut) {
  std::unique_ptr<PlatformChoice> choice(new PlatformChoice);
  if (options.simulate) {
    DeviceStore store = FactoryStore();
    const std::string& file = options.simulateFile;
    bool checked = false;
    if (!file.empty()) {
      // Read, made when missing, and checked under the file's lock: another program may be
      // writing it. While another one holds it, the file is only read (when it is there); the
      // first exchange sequence checks the rest.
      const LockResult taken = TryLockDevicePath(LockNameOf(file));
      if (!taken.lock && !taken.busy) return Failure{taken.why};
      if (taken.lock || Exists(file)) {
        const Result<DeviceStore> loaded = LoadStoreFile(file);
        if (!loaded) return Failure{loaded.why()};
        store = *loaded;
      }
      if (taken.lock) {
        if (const Result<void> writable = CheckStoreFileWritable(file); !writable) {
          return Failure{writable.why()};
        }
        checked = true;
      }
    }
    choice->simulatedDevice_ = std::make_unique<SimulatedPlatform>(store);
    choice->simulatedDevice_->firmware().setLatency(options.simulatedLatency);
    choice->simulated_ = choice->simulatedDevice_.get();
    if (!file.empty()) {
      auto shared = std::make_unique<MemoryFilePlatform>(*choice->simulated_, file, checked);
      choice->memoryFile_ = shared.get();
      choice->base_ = std::move(shared);
    }
  } else {
#ifdef _WIN32
    choice->base_ = MakeWinHidPlatform();
#else
    choice->base_ = MakeHidapiPlatform();
#endif
  }
  if (options.trace) {
    choice->trace_ = TrafficTrace(&traceOut);
    choice->traced_ = MakeTracingPlatform(choice->plain(), choice->trace_);
  }
  return choice;
}

std::unique_ptr<DeviceNotices> MakeSystemNotices(bool simulate) {
  if (simulate) return MakeNoDeviceNotices("the simulated device is never plugged in or out.");
#ifdef _WIN32
  return MakeWinNotices();
#elif defined(__APPLE__)
  return MakeMacNotices();
#elif defined(__linux__)
  return MakeUdevNotices();
#else
  return MakeNoDeviceNotices("this system's device notices are not used, so it is polled.");
#endif
}

const std::string& PlatformChoice::simulatedFile() const {
  static const std::string kNone;
  return memoryFile_ != nullptr ? memoryFile_->file() : kNone;
}

Result<void> PlatformChoice::saveSimulatedStore() {
  if (memoryFile_ == nullptr) return {};
  return memoryFile_->finish();
}

}  // namespace vexaro
