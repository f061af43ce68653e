#include "StandInDevice.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <array>
#include <atomic>
#include <deque>
#include <thread>

namespace vexaro::standin {
namespace {

constexpr DWORD kPipeBuffer = 65536;
constexpr int kListening = 12;  // free instances kept waiting for opens (a busy pipe refuses one)
constexpr std::size_t kQueuedReports = 32;  // per handle, as the HID class driver keeps

std::wstring Wide(const std::string& text) {
  return std::wstring(text.begin(), text.end());
}

bool IsPipe(const std::string& path) {
  return path.rfind(R"(\\.\pipe\)", 0) == 0;
}

struct Write {
  OVERLAPPED overlapped{};
  std::vector<std::uint8_t> data;
};

// One pipe instance: listening for an open, then one open handle of the program.
struct Instance {
  std::size_t device = 0;
  HANDLE pipe = INVALID_HANDLE_VALUE;
  HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  OVERLAPPED overlapped{};
  bool connected = false;
  bool reading = false;
  std::array<std::uint8_t, 512> received{};
  std::deque<std::unique_ptr<Write>> writes;
};

}  // namespace

struct StandInDevices::Impl {
  std::vector<DeviceBehaviour> devices;
  std::vector<bool> unplugged;
  std::vector<std::size_t> lateSent;
  SimulatedFirmware firmware;
  std::mutex mutex;
  std::map<std::string, int> opens;
  std::atomic<int> openNow{0};
  std::vector<std::unique_ptr<Instance>> instances;
  std::deque<std::pair<std::chrono::steady_clock::time_point,
                       std::pair<std::size_t, std::vector<std::uint8_t>>>>
      late;
  std::vector<std::size_t> unplugRequests;  // under mutex
  HANDLE wake = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  std::atomic<bool> stop{false};
  std::thread thread;

  void listen(std::size_t device) {
    auto instance = std::make_unique<Instance>();
    instance->device = device;
    const DWORD inBuffer = devices[device].takesReports ? kPipeBuffer : 0;
    instance->pipe = CreateNamedPipeW(
        Wide(devices[device].entry.path).c_str(),
        (devices[device].denied ? PIPE_ACCESS_INBOUND : PIPE_ACCESS_DUPLEX) | FILE_FLAG_OVERLAPPED,
        PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT, PIPE_UNLIMITED_INSTANCES,
        kPipeBuffer, inBuffer, 0, nullptr);
    if (instance->pipe == INVALID_HANDLE_VALUE) return;
    instance->overlapped.hEvent = instance->event;
    if (!ConnectNamedPipe(instance->pipe, &instance->overlapped) &&
        GetLastError() == ERROR_PIPE_CONNECTED) {
      SetEvent(instance->event);
    }
    instances.push_back(std::move(instance));
  }

  void close(Instance& instance) {
    CancelIoEx(instance.pipe, nullptr);
    DWORD count = 0;
    if (instance.reading || !instance.connected) {
      GetOverlappedResult(instance.pipe, &instance.overlapped, &count, TRUE);
    }
    for (auto& write : instance.writes) {
      GetOverlappedResult(instance.pipe, &write->overlapped, &count, TRUE);
    }
    DisconnectNamedPipe(instance.pipe);
    CloseHandle(instance.pipe);
    CloseHandle(instance.event);
    if (instance.connected) --openNow;
    instance.pipe = INVALID_HANDLE_VALUE;
  }

  void read(Instance& instance) {
    instance.reading = devices[instance.device].isVexaro && devices[instance.device].takesReports;
    if (!instance.reading) return;
    if (!ReadFile(instance.pipe, instance.received.data(), instance.received.size(), nullptr,
                  &instance.overlapped) &&
        GetLastError() != ERROR_IO_PENDING) {
      instance.reading = false;
    }
  }

  // Takes the opens that completed: a report goes to every handle open when it arrives.
  void acceptOpens() {
    for (auto& instance : instances) {
      if (instance->connected || instance->pipe == INVALID_HANDLE_VALUE) continue;
      // The wait lets Wine deliver the connect's completion to this thread; the handle counts as
      // open from then, though the program's open returned before.
      if (WaitForSingleObject(instance->event, 0) != WAIT_OBJECT_0 ||
          !HasOverlappedIoCompleted(&instance->overlapped)) {
        continue;
      }
      DWORD count = 0;
      const bool ok = GetOverlappedResult(instance->pipe, &instance->overlapped, &count, FALSE);
      ResetEvent(instance->event);
      if (!ok) {
        close(*instance);
        continue;
      }
      instance->connected = true;
      ++openNow;
      {
        const std::lock_guard lock(mutex);
        ++opens[devices[instance->device].entry.path];
      }
      read(*instance);
    }
  }

  void send(std::size_t device, const std::vector<std::uint8_t>& report) {
    // A handle the program opened before it wrote the command that this answers gets the reply,
    // even when this thread has not yet taken its open.
    acceptOpens();
    for (auto& instance : instances) {
      if (instance->device != device || !instance->connected ||
          instance->pipe == INVALID_HANDLE_VALUE)
        continue;
      if (instance->writes.size() >= kQueuedReports) continue;  // a full queue drops the report
      auto write = std::make_unique<Write>();
      write->data = report;
      if (WriteFile(instance->pipe, write->data.data(), static_cast<DWORD>(write->data.size()),
                    nullptr, &write->overlapped) ||
          GetLastError() == ERROR_IO_PENDING) {
        instance->writes.push_back(std::move(write));
      }
    }
  }

  // One output report from the program.
  void receive(std::size_t device, const std::uint8_t* data, std::size_t size) {
    const DeviceBehaviour& d = devices[device];
    if (size != d.entry.output || data[0] != d.reportId) return;  // not its report: dropped
    std::vector<std::vector<std::uint8_t>> replies;
    {
      const std::lock_guard lock(mutex);
      if (!firmware.receive(std::span(data, size))) {
        unplugRequests.push_back(device);
        return;
      }
      std::uint8_t reply = 0;
      while (firmware.nextReply(reply, std::chrono::milliseconds(0)) == ReadOutcome::Completed) {
        std::vector<std::uint8_t> report(d.entry.input, 0);
        report[0] = d.reportId;
        if (report.size() > 1) report[1] = reply;
        replies.push_back(report);
      }
    }
    for (auto& report : replies) {
      if (lateSent[device] < d.lateReplies) {
        ++lateSent[device];
        late.push_back({std::chrono::steady_clock::now() + d.replyDelay, {device, report}});
      } else {
        send(device, report);
      }
    }
  }

  void unplugNow(std::size_t device) {
    unplugged[device] = true;
    for (auto& instance : instances) {
      if (instance->device == device && instance->pipe != INVALID_HANDLE_VALUE) close(*instance);
    }
  }

  void run() {
    while (!stop) {
      {
        std::vector<std::size_t> requests;
        {
          const std::lock_guard lock(mutex);
          requests.swap(unplugRequests);
        }
        for (std::size_t device : requests) unplugNow(device);
      }
      std::erase_if(instances, [](const auto& i) { return i->pipe == INVALID_HANDLE_VALUE; });
      for (std::size_t device = 0; device < devices.size(); ++device) {
        if (unplugged[device] || !IsPipe(devices[device].entry.path)) continue;
        int free = 0;
        for (auto& instance : instances) free += instance->device == device && !instance->connected;
        for (; free < kListening; ++free) listen(device);
      }
      const auto now = std::chrono::steady_clock::now();
      while (!late.empty() && late.front().first <= now) {
        send(late.front().second.first, late.front().second.second);
        late.pop_front();
      }
      std::vector<HANDLE> events = {wake};
      for (auto& instance : instances) {
        if (events.size() < MAXIMUM_WAIT_OBJECTS)
          events.push_back(instance->event);  // the rest polled
      }
      WaitForMultipleObjects(static_cast<DWORD>(events.size()), events.data(), FALSE, 5);
      acceptOpens();
      for (std::size_t i = 0; i < instances.size(); ++i) {
        Instance& instance = *instances[i];
        if (!instance.reading || !HasOverlappedIoCompleted(&instance.overlapped)) continue;
        DWORD count = 0;
        const bool ok = GetOverlappedResult(instance.pipe, &instance.overlapped, &count, FALSE);
        if (ok) {
          receive(instance.device, instance.received.data(), count);
          if (instance.pipe != INVALID_HANDLE_VALUE) read(instance);
        } else if (GetLastError() == ERROR_MORE_DATA) {
          read(instance);  // a report longer than the device's: dropped
        } else {
          instance.reading = false;
          close(instance);  // the program closed its handle
        }
      }
      // Handles closed by the program, also on instances that never read; finished writes.
      for (auto& instance : instances) {
        if (instance->pipe == INVALID_HANDLE_VALUE || !instance->connected) continue;
        while (!instance->writes.empty() &&
               HasOverlappedIoCompleted(&instance->writes.front()->overlapped)) {
          instance->writes.pop_front();
        }
        DWORD available = 0;
        if (!PeekNamedPipe(instance->pipe, nullptr, 0, nullptr, &available, nullptr) &&
            GetLastError() == ERROR_BROKEN_PIPE) {
          close(*instance);
        }
      }
    }
    for (auto& instance : instances) {
      if (instance->pipe != INVALID_HANDLE_VALUE) close(*instance);
    }
  }
};

StandInDevices::StandInDevices(std::vector<DeviceBehaviour> devices, DeviceStore store)
    : impl_(std::make_unique<Impl>()) {
  impl_->devices = std::move(devices);
  impl_->unplugged.assign(impl_->devices.size(), false);
  impl_->lateSent.assign(impl_->devices.size(), 0);
  impl_->firmware.store() = store;
  impl_->thread = std::thread([this] { impl_->run(); });
  // Every pipe listens before the first enumeration.
  for (const auto& d : impl_->devices) {
    if (!IsPipe(d.entry.path)) continue;
    while (!WaitNamedPipeW(Wide(d.entry.path).c_str(), 10))
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

StandInDevices::~StandInDevices() {
  impl_->stop = true;
  SetEvent(impl_->wake);
  impl_->thread.join();
  CloseHandle(impl_->wake);
}

SimulatedFirmware& StandInDevices::firmware() {
  return impl_->firmware;
}
std::unique_lock<std::mutex> StandInDevices::locked() {
  return std::unique_lock(impl_->mutex);
}

int StandInDevices::opens(const std::string& path) {
  const std::lock_guard lock(impl_->mutex);
  return impl_->opens[path];
}

int StandInDevices::openNow() {
  return impl_->openNow;
}

bool StandInDevices::waitUntilAllClosed() {
  for (int i = 0; i < 200 && impl_->openNow > 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  return impl_->openNow == 0;
}

void StandInDevices::unplug(const std::string& path) {
  const std::lock_guard lock(impl_->mutex);
  for (std::size_t d = 0; d < impl_->devices.size(); ++d) {
    if (impl_->devices[d].entry.path == path) impl_->unplugRequests.push_back(d);
  }
  SetEvent(impl_->wake);
}

std::string RunTag() {
  static std::atomic<int> counter{0};
  return "vexaro-standin-" + std::to_string(GetCurrentProcessId()) + "-" +
         std::to_string(++counter);
}

}  // namespace vexaro::standin
