// The measured operations, run against one simulated device with zero latency: its time is
// virtual, so what the clock sees is the host's own work (the link, the exchange loop, the
// settings and melody code) plus the simulated firmware's bookkeeping, and no waiting at all.

#include "LinkBench.h"

#include <cstddef>
#include <cstdint>
#include <string>

#include "SimulatedLink.h"
#include "link/ApiUSBRoutines.h"
#include "link/CommandExchange.h"
#include "link/DeviceContract.h"
#include "link/TrafficTrace.h"
#include "melody/MelodyLoad.h"
#include "melody/RingTone.h"
#include "melody/TuneDecode.h"
#include "melody/TuneImage.h"
#include "settings/FactoryDefaults.h"
#include "settings/SettingsRead.h"
#include "settings/SettingsRecord.h"
#include "simulator/SimulatedDevice.h"

namespace vexaro::bench {

namespace {

// One simulated device, found and opened as the programs find it.
struct Device : SimulatedLink {
  std::size_t reportsSoFar() {
    const SimulatedFirmware& firmware = platform.firmware();
    return firmware.reportsReceived() + firmware.readsServed();
  }
};

// Ends a benchmark as failed with `why`; true when it did.
bool Failed(benchmark::State& state, bool failed, const char* why) {
  if (failed) state.SkipWithError(why);
  return failed;
}

// Opens the device before the timed loop; false (and the benchmark failed) when it cannot.
bool Open(benchmark::State& state, Device& device) {
  return !Failed(state, !device.link.DeviceDetected, "the simulated device was not found");
}

// Checks, after the timed loop, that the device is still there and that each operation moved
// the number of reports the table's USB floor assumes. Shows the count as a counter.
void CheckReports(benchmark::State& state, Device& device, std::size_t before, int expected) {
  if (Failed(state, !device.link.DeviceDetected, "the simulated device was lost")) return;
  const auto iterations = static_cast<double>(state.iterations());
  const double perOperation = static_cast<double>(device.reportsSoFar() - before) / iterations;
  state.counters["reports"] = perOperation;
  Failed(state, perOperation != expected, "the operation moved an unexpected number of reports");
}

void PlainTransferF2(benchmark::State& state) {
  Device device;
  if (!Open(state, device)) return;
  const std::size_t before = device.reportsSoFar();
  for (auto _ : state) {
    benchmark::DoNotOptimize(device.usb.plainTransfer({command::kReadByte, 2}));
  }
  CheckReports(state, device, before, 2);
}

void ExchangeT9(benchmark::State& state) {
  Device device;
  if (!Open(state, device)) return;
  const std::size_t before = device.reportsSoFar();
  for (auto _ : state) {
    const bool sent = device.exchange.SendCommand(command::kStoreByte, 9, 170);
    benchmark::DoNotOptimize(sent);
    if (Failed(state, !sent, "the exchange lost the device")) return;
  }
  CheckReports(state, device, before, 2);
}

void SettingsRead(benchmark::State& state) {
  Device device;
  if (!Open(state, device)) return;
  DeviceSettings settings{};
  const std::size_t before = device.reportsSoFar();
  for (auto _ : state) {
    if (Failed(state, ReadSettingsBytes(device.usb, device.link, settings).has_value(),
               "the settings read lost the device")) {
      return;
    }
    ShownSettings shown = ShowSettings(settings);
    benchmark::DoNotOptimize(shown);
  }
  CheckReports(state, device, before, 2 * kSettingsAddressCount);
}

constexpr int kSendWrites = 23;  // a firmware 3.0 or later device: every field is stored

void Send(benchmark::State& state) {
  Device device;
  if (!Open(state, device)) return;
  DeviceSettings settings{};
  if (Failed(state, ReadSettingsBytes(device.usb, device.link, settings).has_value(),
             "the settings read lost the device")) {
    return;
  }
  // The window's texts after both Defaults buttons: what the Send button then encodes.
  SettingsTexts texts;
  for (const auto& defaults : {BasicDefaults(settings), AdvancedDefaults()}) {
    for (const FieldText& entry : defaults) TextOf(texts, entry.field) = entry.text;
  }
  const std::size_t before = device.reportsSoFar();
  for (auto _ : state) {
    const EncodedSettings encoded = EncodeSettings(texts, settings);
    if (Failed(state, encoded.writes.size() != kSendWrites, "the factory texts did not encode")) {
      return;
    }
    for (const ByteWrite& write : encoded.writes) {
      if (Failed(state,
                 !device.exchange.SendCommand(command::kStoreByte, write.address, write.value),
                 "the exchange lost the device")) {
        return;
      }
    }
  }
  CheckReports(state, device, before, 2 * kSendWrites);
}

constexpr int kUploadReports = 2 * static_cast<int>(kMelodySize);  // one T per melody byte

void Upload(benchmark::State& state) {
  Device device;
  if (!Open(state, device)) return;
  const TuneImage image = DefaultTuneImage();
  const std::size_t before = device.reportsSoFar();
  for (auto _ : state) {
    if (Failed(state, !UploadTuneImage(device.exchange, image), "the upload lost the device")) {
      return;
    }
  }
  CheckReports(state, device, before, kUploadReports);
}

// A ring tone of exactly kMaxTuneNotes items: notes of every duration, dotted notes, sharps,
// octave changes and pauses, so that every branch of the reader has its share.
std::string FiftyNoteRingTone() {
  static constexpr const char* kPhrase[] = {
      "8e6",  "8d#6", "8e6", "8d#6", "8e6", "8b5",   "8d6",  "8c6",  "4a5", "8p",
      "8c5",  "8e5",  "8a5", "4b5",  "8p",  "8e5",   "8g#5", "8b5",  "4c6", "16p",
      "16e6", "8d6",  "8c6", "4.a5", "2p",  "32f#6", "32g6", "16a6", "8g6", "4f6",
  };
  std::string text = "Bench tune:d=4,o=5,b=125:";
  for (std::size_t i = 0; i < kMaxTuneNotes; ++i) {
    if (i > 0) text += ',';
    text += kPhrase[i % std::size(kPhrase)];
  }
  return text;
}

void ParseAndEncode(benchmark::State& state) {
  const std::string text = FiftyNoteRingTone();
  for (auto _ : state) {
    Result<std::vector<TuneNote>> parsed = ParseRingTone(text, 0);
    if (Failed(state, !parsed || parsed->size() != kMaxTuneNotes,
               "the ring tone did not parse into 50 notes")) {
      return;
    }
    Result<TuneImage> encoded = MakeTuneImage(*parsed);
    if (Failed(state, !encoded, "the ring tone did not encode")) return;
    benchmark::DoNotOptimize(encoded);
  }
  state.counters["reports"] = 0;  // nothing crosses the USB; one column for every benchmark
}

// The search behind `vexaro tune --rtttl`: a text that loads as the 50 notes of the ring tone.
void RingToneSearch(benchmark::State& state) {
  const TuneImage image = *MakeTuneImage(*ParseRingTone(FiftyNoteRingTone(), 0));
  for (auto _ : state) {
    const RingToneText found = FindRingToneText(image);
    if (Failed(state, !found.inexact.empty(), "the search found no exact text")) return;
    benchmark::DoNotOptimize(found);
  }
  state.counters["reports"] = 0;
}

constexpr Operation kOperations[] = {
    {"PlainTransfer_F2", "plain transfer (F 2)", 2, 2, PlainTransferF2},
    {"Exchange_T9", "acknowledged exchange (T 9 170)", 2, 2, ExchangeT9},
    {"SettingsRead", "settings read (29 x F, shown)", 2 * kSettingsAddressCount,
     2 * kSettingsAddressCount, SettingsRead},
    {"Send", "Send (encode, 23 x T)", 2 * kSendWrites, 2 * kSendWrites, Send},
    {"Upload", "melody upload (100 x T)", kUploadReports, kUploadReports, Upload},
    {"ParseEncode_50notes", "ring tone parse + encode (50 notes)", 0, kUploadReports,
     ParseAndEncode},
    {"RingToneSearch_50notes", "ring tone search (50 notes)", 0, kUploadReports, RingToneSearch},
};

}  // namespace

std::span<const Operation> Operations() {
  return kOperations;
}

}  // namespace vexaro::bench
