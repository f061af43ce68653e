#include "app/VexaroCli.h"

#include <CLI/CLI.hpp>
#include <charconv>
#include <optional>

#include "app/BuildInfo.h"
#include "app/CliBackup.h"
#include "app/CliCalibration.h"
#include "app/CliMelody.h"
#include "app/CliSettings.h"
#include "app/PlatformChoice.h"
#include "link/ApiUSBRoutines.h"
#include "link/DeviceContract.h"

namespace vexaro {
namespace {

struct Options {
  PlatformOptions platform;
  std::string device;
};

// A whole number from 0 to `max`, in decimal or with a 0x prefix in hexadecimal.
std::optional<unsigned> ParseNumber(const std::string& text, unsigned max) {
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const char* first = text.data() + (hex ? 2 : 0);
  const char* last = text.data() + text.size();
  unsigned value = 0;
  const auto [end, ec] = std::from_chars(first, last, value, hex ? 16 : 10);
  if (ec != std::errc() || end != last || first == last || value > max) return std::nullopt;
  return value;
}

int List(HidPlatform& platform, const std::string& devicePath, std::ostream& out,
         std::ostream& err) {
  LinkState why;  // what the search of the other commands would tell, when none can be used
  const auto passedBy = [&why](const std::string& path, const std::string& reason) {
    if (why.UnusablePath.empty()) {
      why.UnusablePath = path;
      why.UnusableReason = reason;
    }
  };
  int usable = 0;
  for (const HidInterfaceInfo& info : platform.enumerate()) {
    if (!IsVexaro(info) || (!devicePath.empty() && info.path != devicePath)) continue;
    OpenResult opened = platform.open(info.path);
    std::string state;
    if (opened.device) {
      if (const Result<void> lengths = CheckReportLengths(opened.device->reportLengths())) {
        state = "can be opened";
        ++usable;
      } else {
        passedBy(info.path, lengths.why());
        state = "cannot be used: " + lengths.why();
      }
    } else if (opened.error == OpenError::NoPermission) {
      if (why.NoAccessPath.empty()) why.NoAccessPath = info.path;
      state = std::string("no permission to open (") + kNoPermissionHint + ")";
    } else {
      passedBy(info.path, "it cannot be opened");
      state = "cannot be opened";
    }
    out << info.path << ": " << state << '\n';
  }
  why.ServiceFailure = platform.serviceFailure();  // as the enumeration found it
  if (usable == 0) return Fail(err, kExitNoDevice, WhyNoDevice(why));
  return kExitDone;
}

int Peek(CliSession& session, unsigned address, unsigned count, std::ostream& out,
         std::ostream& err) {
  std::string lines;
  for (unsigned a = address; a < address + count; ++a) {
    const std::uint8_t value =
        session.usb().PlainTransfer({command::kReadByte, static_cast<std::uint8_t>(a)});
    if (!session.link().DeviceDetected) {
      return Fail(err, kExitDeviceLost,
                  "device lost while reading address " + std::to_string(a) + ".");
    }
    lines += std::to_string(a) + ": " + std::to_string(value) + '\n';
  }
  out << lines;
  return kExitDone;
}

}  // namespace

int RunVexaroCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                 HidPlatform* platformOverride) {
  Options options;
  CLI::App app{"Reads and writes the memory of a Vexaro over USB.", "vexaro"};
  app.fallthrough();
  // CLI11 takes /x for an option on Windows; here a / starts a file name on every system.
  app.allow_windows_style_options(false);
  app.footer(
      "Exit status: 0 done, 1 no device (or no permission to open it), 2 bad input (nothing "
      "sent), 3 device lost or not answering (or the simulated memory not saved).");
  app.require_subcommand(0, 1);
  app.set_version_flag("--version", std::string("vexaro ") + kVersion);
  bool printUdevRules = false;
  app.add_flag("--simulate", options.platform.simulate,
               "Talk to the simulated device instead of a real one (--simulate=FILE keeps its "
               "memory in FILE)");
  app.add_option("--simulate-file", options.platform.simulateFile)->group("");
  app.add_flag("--trace", options.platform.trace, "Print every report on standard error");
  app.add_option("--device", options.device, "Use the device at PATH (see 'vexaro list')")
      ->option_text("PATH");
  app.add_flag("--print-udev-rules", printUdevRules,
               "Print the udev rule that lets a desktop user open the device (Linux only)");

  auto* list = app.add_subcommand("list", "List every Vexaro and whether it can be opened");
  std::string peekAddress;
  std::string peekCount = "1";
  auto* peek = app.add_subcommand("peek", "Print COUNT stored bytes from address ADDR");
  peek->add_option("ADDR", peekAddress, "First address, 0 to 255")->required();
  peek->add_option("COUNT", peekCount, "How many bytes (1 when left out)");
  bool json = false;
  auto* read = app.add_subcommand("read", "Print the settings as the window shows them");
  read->add_flag("--json", json,
                 "Print them as one JSON object (a backup that 'set --from' restores)");
  std::vector<std::string> assignments;
  std::string fromFile;
  SetRequest setRequest;
  auto* set = app.add_subcommand(
      "set", "Store settings: key=value pairs as 'read' prints them, checked as in the window");
  set->add_option("key=value", assignments, "Settings to change; the others keep their value");
  set->add_option("--from", fromFile, "Take the settings from a file that 'read --json' wrote")
      ->option_text("FILE");
  set->add_flag("--defaults", setRequest.defaults, "Start from the factory settings");
  std::string tuneFile;
  bool raiseOctave = false;
  auto* parse = app.add_subcommand(
      "parse", "Print the notes and the melody image of a ring-tone file (no device needed)");
  parse->add_option("FILE", tuneFile, "RTTTL ring-tone file")->required();
  parse->add_flag("--raise-octave", raiseOctave, "Raise every note one octave");
  auto* load = app.add_subcommand(
      "load", "Store a ring-tone file (or 'default', the factory tune) as the melody");
  load->add_option("FILE", tuneFile, "RTTTL ring-tone file, or default")->required();
  load->add_flag("--raise-octave", raiseOctave, "Raise every note one octave");
  bool wait = false;
  auto* play = app.add_subcommand("play", "Play the stored melody");
  play->add_flag("--wait", wait, "Wait until it has ended");
  auto* stop = app.add_subcommand("stop", "Stop playing");
  std::vector<std::string> beepValues;
  auto* beep = app.add_subcommand(
      "beep",
      "Sound one beep (FREQ in Hz, DURATION in s; the device's beep settings when left out)");
  beep->add_option("FREQ DURATION", beepValues, "Frequency and duration")->expected(0, 2);
  auto* adc =
      app.add_subcommand("adc", "Print the A/D value and what it would read with each trim");
  std::string trimText;
  auto* trim =
      app.add_subcommand("trim", "Print the stored voltage trim, or store VALUE (-7 to 7)");
  trim->add_option("VALUE", trimText, "Trim steps, -7 to 7");
  std::string backupFile;
  auto* backup = app.add_subcommand(
      "backup", "Write the settings, the voltage trim and the melody to one JSON file");
  backup->add_option("FILE", backupFile, "The file to write")->required();
  std::string restorePart;
  auto* restore =
      app.add_subcommand("restore", "Store what a 'backup' file holds, checked whole first");
  restore->add_option("FILE", backupFile, "A file that 'vexaro backup' wrote")->required();
  restore->add_option("--only", restorePart, "Restore only the settings, the melody or the trim")
      ->check(CLI::IsMember({"settings", "melody", "trim"}));
  bool rtttl = false;
  auto* tune = app.add_subcommand("tune", "Print the notes of the stored melody");
  tune->add_flag("--rtttl", rtttl, "Print a ring-tone text that 'load' stores as the same bytes");
  std::string pokeAddress;
  std::string pokeValue;
  auto* poke = app.add_subcommand("poke", "Store VALUE at address ADDR");
  poke->add_option("ADDR", pokeAddress, "Address, 0 to 255")->required();
  poke->add_option("VALUE", pokeValue, "Byte, 0 to 255")->required();

  // --simulate=FILE names the file; a bare --simulate is the flag alone.
  std::vector<std::string> reversed;
  for (auto it = args.rbegin(); it != args.rend(); ++it) {
    if (it->rfind("--simulate=", 0) == 0) {
      reversed.push_back(it->substr(11));
      reversed.push_back("--simulate-file");
      reversed.push_back("--simulate");
    } else {
      reversed.push_back(*it);
    }
  }
  try {
    app.parse(reversed);
  } catch (const CLI::CallForHelp&) {
    out << app.help();
    return kExitDone;
  } catch (const CLI::CallForVersion&) {
    out << "vexaro " << kVersion << '\n';
    return kExitDone;
  } catch (const CLI::ParseError& e) {
    return Fail(err, kExitBadInput, std::string(e.what()) + " (see 'vexaro --help').");
  }

  if (printUdevRules) {
#if defined(__linux__)
    out << kUdevRules;
#elif defined(_WIN32)
    out << "No udev rule is needed on Windows: every user may open the device.\n";
#elif defined(__APPLE__)
    out << "No udev rule is needed on macOS: every user may open the device.\n";
#else
    out << "udev rules are for Linux; this system needs none.\n";
#endif
    return kExitDone;
  }
  if (app.get_subcommands().empty()) {
    return Fail(err, kExitBadInput, "no command given (see 'vexaro --help').");
  }
  if (options.platform.simulate && options.platform.simulateFile.empty() &&
      app.count("--simulate-file") > 0) {
    return Fail(err, kExitBadInput, "--simulate= needs a file name after the '='.");
  }

  std::optional<unsigned> address;
  std::optional<unsigned> count;
  if (peek->parsed()) {
    address = ParseNumber(peekAddress, 255);
    if (!address) {
      return Fail(err, kExitBadInput,
                  "ADDR must be a number from 0 to 255, not \"" + peekAddress + "\".");
    }
    count = ParseNumber(peekCount, 256);
    if (!count || *count == 0 || *address + *count > 256) {
      return Fail(err, kExitBadInput,
                  "COUNT must be a number from 1 to " + std::to_string(256 - *address) +
                      ", not \"" + peekCount + "\".");
    }
  }

  std::optional<unsigned> pokeAt;
  std::optional<unsigned> pokeByte;
  if (poke->parsed()) {
    pokeAt = ParseNumber(pokeAddress, 255);
    pokeByte = ParseNumber(pokeValue, 255);
    if (!pokeAt || !pokeByte) {
      return Fail(err, kExitBadInput,
                  "ADDR and VALUE must be numbers from 0 to 255, not \"" + pokeAddress +
                      "\" and \"" + pokeValue + "\".");
    }
  }
  if (parse->parsed()) return ParseCommand(tuneFile, raiseOctave, out, err);
  std::optional<int> trimValue;
  if (trim->parsed() && trim->count("VALUE") > 0) {
    trimValue = ParseTrim(trimText);
    if (!trimValue) {
      return Fail(err, kExitBadInput,
                  "the trim must be a whole number from -7 to 7, not \"" + trimText + "\".");
    }
  }
  TuneImage image{};
  if (load->parsed()) {
    if (const int status = PrepareLoad(tuneFile, raiseOctave, err, image); status != 0) {
      return status;
    }
  }
  Backup restoring;
  if (restore->parsed()) {
    if (const int status = PrepareRestore(backupFile, restoring, err); status != 0) return status;
  }
  if (set->parsed()) {
    Result<SetRequest> request = ParseSetRequest(assignments, fromFile, setRequest.defaults);
    if (!request) return Fail(err, kExitBadInput, request.why());
    setRequest = *std::move(request);
  }

  options.platform.simulatedLatency = std::chrono::microseconds(0);
  const Result<std::unique_ptr<PlatformChoice>> made = PlatformChoice::Make(options.platform, err);
  if (!made) return Fail(err, kExitBadInput, made.why());
  PlatformChoice* const choice = made->get();
  std::unique_ptr<HidPlatform> tracedOverride;
  if (platformOverride != nullptr && options.platform.trace) {
    tracedOverride = MakeTracingPlatform(*platformOverride, choice->trace());
  }
  HidPlatform& platform = tracedOverride     ? *tracedOverride
                          : platformOverride ? *platformOverride
                                             : choice->platform();

  // Every device handle is closed again when the command returns.
  const auto runCommand = [&]() -> int {
    if (list->parsed()) return List(platform, options.device, out, err);

    CliSession session(platform, choice->trace());
    if (const int status = session.Connect(platform, options.device, err); status != 0) {
      return status;
    }
    if (read->parsed()) return ReadSettingsCommand(session, json, out, err);
    if (set->parsed()) return SetSettingsCommand(session, setRequest, err);
    if (load->parsed()) return LoadCommand(session, image, err);
    if (backup->parsed()) return BackupCommand(session, backupFile, err);
    if (restore->parsed()) return RestoreCommand(session, restoring, restorePart, err);
    if (tune->parsed()) return TuneCommand(session, rtttl, out, err);
    if (adc->parsed()) return AdcCommand(session, out, err);
    if (trim->parsed()) return TrimCommand(session, trimValue, out, err);
    if (play->parsed()) return PlayCommand(session, wait, err);
    if (stop->parsed()) return StopCommand(session, err);
    if (beep->parsed()) {
      const auto value = [&](std::size_t i) {
        return i < beepValues.size() ? std::optional<std::string>(beepValues[i]) : std::nullopt;
      };
      return BeepCommand(session, value(0), value(1), err);
    }
    if (poke->parsed()) {
      if (!session.exchange().SendCommand(command::kStoreByte, static_cast<std::uint8_t>(*pokeAt),
                                          static_cast<std::uint8_t>(*pokeByte))) {
        return Fail(err, kExitDeviceLost, "device lost before it acknowledged the byte.");
      }
      return kExitDone;
    }
    return Peek(session, *address, *count, out, err);
  };
  const int status = runCommand();
  if (const Result<void> saved = choice->SaveSimulatedStore(); !saved) {
    std::string saveError = saved.why();
    saveError.pop_back();  // its full stop
    Fail(err, kExitDeviceLost,
         saveError + ", so what the simulated device stored in this run is lost.");
    return status != kExitDone ? status : kExitDeviceLost;
  }
  return status;
}

}  // namespace vexaro
