#include "app/VexaroCli.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <charconv>
#include <functional>
#include <memory>
#include <optional>
#include <variant>

#include "app/BuildInfo.h"
#include "app/CheckedOutput.h"
#include "app/CliBackup.h"
#include "app/CliCalibration.h"
#include "app/CliMelody.h"
#include "app/CliSettings.h"
#include "app/CliWait.h"
#include "app/PlatformChoice.h"
#include "app/QuotedArguments.h"
#include "common/QuotedText.h"
#include "link/ApiUSBRoutines.h"
#include "link/DeviceContract.h"
#include "storage/FileAccess.h"

namespace vexaro {
namespace {

constexpr const char* kIsMemoryFile =
    "it is the simulated device's memory file, which is written when the command ends";

// What a subcommand does once the command line is parsed. Each step returns 0 to go on (or, for
// the last one, for done) or the exit status after one sentence on the error stream.
//
// `check` (may be empty) looks at the arguments before any device is reached: bad input ends the
// command with nothing sent. `run` is the command itself, with what it needs: nothing (Offline),
// the platform and the --device path (OnPlatform), those and the device notices (OnNotices), or a
// session on the device, found and opened (OnDevice). `writes` (may be null) names the file the
// command writes, which must not be the simulated device's memory file: its save at the end would
// replace what the command wrote (empty: it writes none this time).
using Check = std::function<int(std::ostream& err)>;
using Offline = std::function<int(std::ostream& out, std::ostream& err)>;
using OnPlatform = std::function<int(HidPlatform& platform, const std::string& devicePath,
                                     std::ostream& out, std::ostream& err)>;
using OnNotices = std::function<int(HidPlatform& platform, DeviceNotices& notices,
                                    const std::string& devicePath, std::ostream& out,
                                    std::ostream& err)>;
using OnDevice = std::function<int(CliSession& session, std::ostream& out, std::ostream& err)>;

struct Steps {
  Check check;
  std::variant<Offline, OnPlatform, OnNotices, OnDevice> run;
  std::shared_ptr<const std::string> writes = nullptr;
};

// One subcommand: its name, its line in --help, and `setup`, which adds its arguments to its
// parser and returns its steps, bound to where the parser puts their values. A new command is
// one more row of kSubcommands.
struct Subcommand {
  const char* name;
  const char* help;
  Steps (*setup)(CLI::App& command);
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
    if (!IsVexaro(info) || (!devicePath.empty() && !SameDevicePath(info.path, devicePath))) continue;
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
    } else if (opened.error != OpenError::Failed) {
      const bool inUse = opened.error == OpenError::InUse;
      if (why.NoAccessPath.empty()) {
        why.NoAccessPath = info.path;
        why.NoAccessError = opened.error;
      }
      state = std::string("no permission to open (") + (inUse ? kInUseHint : kNoPermissionHint) + ")";
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
        session.usb().plainTransfer({command::kReadByte, static_cast<std::uint8_t>(a)});
    if (!session.link().DeviceDetected) {
      return Fail(err, kExitDeviceLost,
                  "device lost while reading address " + std::to_string(a) + ".");
    }
    lines += std::to_string(a) + ": " + std::to_string(value) + '\n';
  }
  out << lines;
  return kExitDone;
}

Steps ListSetup(CLI::App&) {
  return {{}, OnPlatform(List)};
}

Steps PeekSetup(CLI::App& command) {
  struct Args {
    std::string address;
    std::string count = "1";
    unsigned first = 0;
    unsigned n = 0;
  };
  auto args = std::make_shared<Args>();
  command.add_option("ADDR", args->address, "First address, 0 to 255")->required();
  command.add_option("COUNT", args->count, "How many bytes (1 when left out)");
  const Check check = [args](std::ostream& err) -> int {
    const std::optional<unsigned> address = ParseNumber(args->address, 255);
    if (!address) {
      return Fail(err, kExitBadInput,
                  "ADDR must be a number from 0 to 255, not " + QuotedText(args->address) + ".");
    }
    const std::optional<unsigned> count = ParseNumber(args->count, 256);
    if (!count || *count == 0 || *address + *count > 256) {
      return Fail(err, kExitBadInput,
                  "COUNT must be a number from 1 to " + std::to_string(256 - *address) + ", not " +
                      QuotedText(args->count) + ".");
    }
    args->first = *address;
    args->n = *count;
    return kExitDone;
  };
  return {check, OnDevice([args](CliSession& session, std::ostream& out, std::ostream& err) {
            return Peek(session, args->first, args->n, out, err);
          })};
}

Steps ReadSetup(CLI::App& command) {
  auto json = std::make_shared<bool>(false);
  command.add_flag("--json", *json,
                   "Print them as one JSON object (a backup that 'set --from' restores)");
  return {{}, OnDevice([json](CliSession& session, std::ostream& out, std::ostream& err) {
            return ReadSettingsCommand(session, *json, out, err);
          })};
}

Steps SetSetup(CLI::App& command) {
  struct Args {
    std::vector<std::string> assignments;
    std::string fromFile;
    bool defaults = false;
    SetRequest request;
  };
  auto args = std::make_shared<Args>();
  command.add_option("key=value", args->assignments,
                     "Settings to change; the others keep their value");
  command
      .add_option("--from", args->fromFile,
                  "Take the settings from a file that 'read --json' wrote")
      ->option_text("FILE");
  command.add_flag("--defaults", args->defaults, "Start from the factory settings");
  const Check check = [args](std::ostream& err) -> int {
    Result<SetRequest> request = ParseSetRequest(args->assignments, args->fromFile, args->defaults);
    if (!request) return Fail(err, kExitBadInput, request.why());
    args->request = *std::move(request);
    return kExitDone;
  };
  return {check, OnDevice([args](CliSession& session, std::ostream&, std::ostream& err) {
            return SetSettingsCommand(session, args->request, err);
          })};
}

// The ring-tone file of `parse` and `load`.
struct TuneFileArgs {
  std::string file;
  bool raiseOctave = false;
  TuneImage image{};
};

// The --wav option of `parse` and `tune`: `wave` holds its file name once the command line is
// parsed, when it was given (even as an empty name, which the write then refuses).
struct WaveArgs {
  std::string text;
  std::optional<std::string> wave;
};

Check AddWave(CLI::App& command, const std::shared_ptr<WaveArgs>& args, const char* help) {
  CLI::Option* given = command.add_option("--wav", args->text, help)->option_text("WAVE");
  return [args, given](std::ostream&) {
    if (given->count() > 0) args->wave = args->text;
    return kExitDone;
  };
}

std::shared_ptr<TuneFileArgs> AddTuneFile(CLI::App& command, const char* fileHelp) {
  auto args = std::make_shared<TuneFileArgs>();
  command.add_option("FILE", args->file, fileHelp)->required();
  command.add_flag("--raise-octave", args->raiseOctave, "Raise every note one octave");
  return args;
}

Steps ParseSetup(CLI::App& command) {
  auto args = AddTuneFile(command, "RTTTL ring-tone file");
  auto wave = std::make_shared<WaveArgs>();
  const Check check =
      AddWave(command, wave, "Write the melody as the device sounds it to a WAVE file instead");
  return {check, Offline([args, wave](std::ostream& out, std::ostream& err) {
            return ParseCommand(args->file, args->raiseOctave, wave->wave, out, err);
          })};
}

Steps LoadSetup(CLI::App& command) {
  auto args = AddTuneFile(command, "RTTTL ring-tone file, or default");
  const Check check = [args](std::ostream& err) -> int {
    return PrepareLoad(args->file, args->raiseOctave, err, args->image);
  };
  return {check, OnDevice([args](CliSession& session, std::ostream&, std::ostream& err) {
            return LoadCommand(session, args->image, err);
          })};
}

Steps PlaySetup(CLI::App& command) {
  auto wait = std::make_shared<bool>(false);
  command.add_flag("--wait", *wait, "Wait until it has ended");
  return {{}, OnDevice([wait](CliSession& session, std::ostream&, std::ostream& err) {
            return PlayCommand(session, *wait, err);
          })};
}

Steps StopSetup(CLI::App&) {
  return {{}, OnDevice([](CliSession& session, std::ostream&, std::ostream& err) {
            return StopCommand(session, err);
          })};
}

Steps BeepSetup(CLI::App& command) {
  auto values = std::make_shared<std::vector<std::string>>();
  command.add_option("FREQ DURATION", *values, "Frequency and duration")->expected(0, 2);
  return {{}, OnDevice([values](CliSession& session, std::ostream&, std::ostream& err) {
            const auto value = [&](std::size_t i) {
              return i < values->size() ? std::optional<std::string>((*values)[i]) : std::nullopt;
            };
            return BeepCommand(session, value(0), value(1), err);
          })};
}

Steps AdcSetup(CLI::App&) {
  return {{}, OnDevice(AdcCommand)};
}

Steps TrimSetup(CLI::App& command) {
  struct Args {
    std::string text;
    std::optional<int> value;
  };
  auto args = std::make_shared<Args>();
  CLI::Option* given = command.add_option("VALUE", args->text, "Trim steps, -7 to 7");
  const Check check = [args, given](std::ostream& err) -> int {
    if (given->count() == 0) return kExitDone;
    args->value = ParseTrim(args->text);
    if (!args->value) {
      return Fail(
          err, kExitBadInput,
          "the trim must be a whole number from -7 to 7, not " + QuotedText(args->text) + ".");
    }
    return kExitDone;
  };
  return {check, OnDevice([args](CliSession& session, std::ostream& out, std::ostream& err) {
            return TrimCommand(session, args->value, out, err);
          })};
}

Steps BackupSetup(CLI::App& command) {
  auto file = std::make_shared<std::string>();
  command.add_option("FILE", *file, "The file to write")->required();
  return {{},
          OnDevice([file](CliSession& session, std::ostream&, std::ostream& err) {
            return BackupCommand(session, *file, err);
          }),
          file};
}

Steps RestoreSetup(CLI::App& command) {
  struct Args {
    std::string file;
    std::string only;
    Backup backup;
  };
  auto args = std::make_shared<Args>();
  command.add_option("FILE", args->file, "A file that 'vexaro backup' wrote")->required();
  command.add_option("--only", args->only, "Restore only the settings, the melody or the trim")
      ->check(CLI::IsMember({"settings", "melody", "trim"}));
  const Check check = [args](std::ostream& err) -> int {
    return PrepareRestore(args->file, args->backup, err);
  };
  return {check, OnDevice([args](CliSession& session, std::ostream&, std::ostream& err) {
            return RestoreCommand(session, args->backup, args->only, err);
          })};
}

Steps TuneSetup(CLI::App& command) {
  auto rtttl = std::make_shared<bool>(false);
  CLI::Option* text = command.add_flag(
      "--rtttl", *rtttl, "Print a ring-tone text that 'load' stores as the same bytes");
  auto wave = std::make_shared<WaveArgs>();
  const Check check =
      AddWave(command, wave, "Write the melody as the device sounds it to a WAVE file instead");
  text->excludes(command.get_option("--wav"));
  return {check, OnDevice([rtttl, wave](CliSession& session, std::ostream& out, std::ostream& err) {
            return TuneCommand(session, *rtttl, wave->wave, out, err);
          }),
          std::shared_ptr<const std::string>(wave, &wave->text)};
}

Steps PokeSetup(CLI::App& command) {
  struct Args {
    std::string address;
    std::string value;
    std::uint8_t at = 0;
    std::uint8_t byte = 0;
  };
  auto args = std::make_shared<Args>();
  command.add_option("ADDR", args->address, "Address, 0 to 255")->required();
  command.add_option("VALUE", args->value, "Byte, 0 to 255")->required();
  const Check check = [args](std::ostream& err) -> int {
    const std::optional<unsigned> at = ParseNumber(args->address, 255);
    const std::optional<unsigned> byte = ParseNumber(args->value, 255);
    if (!at || !byte) {
      return Fail(err, kExitBadInput,
                  "ADDR and VALUE must be numbers from 0 to 255, not " + QuotedText(args->address) +
                      " and " + QuotedText(args->value) + ".");
    }
    args->at = static_cast<std::uint8_t>(*at);
    args->byte = static_cast<std::uint8_t>(*byte);
    return kExitDone;
  };
  return {check, OnDevice([args](CliSession& session, std::ostream&, std::ostream& err) -> int {
            if (!session.exchange().SendCommand(command::kStoreByte, args->at, args->byte)) {
              return Fail(err, kExitDeviceLost, "device lost before it acknowledged the byte.");
            }
            return kExitDone;
          })};
}

Steps WaitSetup(CLI::App& command) {
  auto args = std::make_shared<WaitRequest>();
  command.add_flag("--gone", args->gone, "Wait until no Vexaro is left plugged in");
  command.add_option("--timeout", args->limitText, "Give up after SECONDS (status 1)")
      ->option_text("SECONDS");
  const Check check = [args](std::ostream& err) -> int {
    if (args->limitText.empty()) return kExitDone;
    args->limit = ParseWaitSeconds(args->limitText);
    if (!args->limit) {
      return Fail(err, kExitBadInput,
                  "--timeout must be a number of seconds, 0 or more, not " +
                      QuotedText(args->limitText) + ".");
    }
    return kExitDone;
  };
  return {check, OnNotices([args](HidPlatform& platform, DeviceNotices& notices,
                                  const std::string& devicePath, std::ostream& out,
                                  std::ostream& err) {
            args->devicePath = devicePath;
            return WaitCommand(platform, notices, *args, out, err);
          })};
}

// Every command, in the order --help lists them.
constexpr Subcommand kSubcommands[] = {
    {"list", "List every Vexaro and whether it can be opened", ListSetup},
    {"peek", "Print COUNT stored bytes from address ADDR", PeekSetup},
    {"read", "Print the settings as the window shows them", ReadSetup},
    {"set", "Store settings: key=value pairs as 'read' prints them, checked as in the window",
     SetSetup},
    {"parse", "Print the notes and the melody image of a ring-tone file (no device needed)",
     ParseSetup},
    {"load", "Store a ring-tone file (or 'default', the factory tune) as the melody", LoadSetup},
    {"play", "Play the stored melody", PlaySetup},
    {"stop", "Stop playing", StopSetup},
    {"beep", "Sound one beep (FREQ in Hz, DURATION in s; the device's beep settings when left out)",
     BeepSetup},
    {"adc", "Print the A/D value and what it would read with each trim", AdcSetup},
    {"trim", "Print the stored voltage trim, or store VALUE (-7 to 7)", TrimSetup},
    {"backup", "Write the settings, the voltage trim and the melody to one JSON file", BackupSetup},
    {"restore", "Store what a 'backup' file holds, checked whole first", RestoreSetup},
    {"tune", "Print the notes of the stored melody", TuneSetup},
    {"poke", "Store VALUE at address ADDR", PokeSetup},
    {"wait",
     "Wait until a Vexaro is plugged in and print its path (with --gone: until none is left)",
     WaitSetup},
};

int RunCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                   HidPlatform* platformOverride, std::chrono::milliseconds lockWait,
                   DeviceNotices* noticesOverride, bool errIsTerminal) {
  PlatformOptions platformOptions;
  std::string devicePath;
  CLI::App app{"Reads and writes the memory of a Vexaro over USB.", "vexaro"};
  app.fallthrough();
  // CLI11 takes /x for an option on Windows; here a / starts a file name on every system.
  app.allow_windows_style_options(false);
  app.footer(
      "Exit status: 0 done, 1 no device (or no permission to open it, or another program kept "
      "it), 2 bad input (nothing stored), 3 device lost or not answering (or the simulated memory "
      "not saved), 4 an error this program did not expect, 5 the output could not be written "
      "whole (a full disk, a closed pipe).");
  app.require_subcommand(0, 1);
  app.set_version_flag("--version", std::string("vexaro ") + kVersion);
  bool printUdevRules = false;
  app.add_flag("--simulate", platformOptions.simulate,
               "Talk to the simulated device instead of a real one (--simulate=FILE keeps its "
               "memory in FILE)");
  app.add_option("--simulate-file", platformOptions.simulateFile)->group("");
  app.add_flag("--trace", platformOptions.trace, "Print every report on standard error");
  app.add_option("--device", devicePath, "Use the device at PATH (see 'vexaro list')")
      ->option_text("PATH");
  app.add_flag("--print-udev-rules", printUdevRules,
               "Print the udev rule that lets a desktop user open the device (Linux only)");

  std::vector<std::pair<CLI::App*, Steps>> commands;
  for (const Subcommand& row : kSubcommands) {
    CLI::App* command = app.add_subcommand(row.name, row.help);
    commands.emplace_back(command, row.setup(*command));
  }

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
    return Fail(err, kExitBadInput, QuotedArguments(e.what(), args) + " (see 'vexaro --help').");
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
  const auto chosen = std::find_if(commands.begin(), commands.end(),
                                   [](const auto& command) { return command.first->parsed(); });
  if (chosen == commands.end()) {
    return Fail(err, kExitBadInput, "no command given (see 'vexaro --help').");
  }
  if (platformOptions.simulate && platformOptions.simulateFile.empty() &&
      app.count("--simulate-file") > 0) {
    return Fail(err, kExitBadInput, "--simulate= needs a file name after the '='.");
  }

  const Steps& steps = chosen->second;
  if (steps.check) {
    if (const int status = steps.check(err); status != kExitDone) return status;
  }
  if (const auto* offline = std::get_if<Offline>(&steps.run)) return (*offline)(out, err);

  platformOptions.simulatedLatency = std::chrono::microseconds(0);
  const Result<std::unique_ptr<PlatformChoice>> made = PlatformChoice::make(platformOptions, err);
  if (!made) return Fail(err, kExitBadInput, made.why());
  PlatformChoice& choice = **made;
  if (steps.writes && !steps.writes->empty() && !choice.simulatedFile().empty() &&
      SameFile(*steps.writes, choice.simulatedFile())) {
    return Fail(err, kExitBadInput, CannotWrite(*steps.writes, kIsMemoryFile, true).why);
  }
  std::unique_ptr<HidPlatform> tracedOverride;
  if (platformOverride != nullptr && platformOptions.trace) {
    tracedOverride = MakeTracingPlatform(*platformOverride, choice.trace());
  }
  HidPlatform& platform = tracedOverride     ? *tracedOverride
                          : platformOverride ? *platformOverride
                                             : choice.platform();

  // Every device handle is closed again when the command returns.
  const auto runCommand = [&]() -> int {
    if (const auto* onPlatform = std::get_if<OnPlatform>(&steps.run)) {
      return (*onPlatform)(platform, devicePath, out, err);
    }
    if (const auto* onNotices = std::get_if<OnNotices>(&steps.run)) {
      const std::unique_ptr<DeviceNotices> system =
          noticesOverride ? nullptr : MakeSystemNotices(platformOptions.simulate);
      return (*onNotices)(platform, noticesOverride ? *noticesOverride : *system, devicePath, out,
                          err);
    }
    // The trace's lines would break into a line that is rewritten in place.
    CliSession session(platform, choice.trace(), lockWait, errIsTerminal && !platformOptions.trace);
    if (const int status = session.connect(platform, devicePath, err); status != 0) return status;
    return std::get<OnDevice>(steps.run)(session, out, err);
  };
  const int status = runCommand();
  if (const Result<void> saved = choice.saveSimulatedStore(); !saved) {
    std::string saveError = saved.why();
    saveError.pop_back();  // its full stop
    Fail(err, kExitDeviceLost,
         saveError + ", so what the simulated device stored in this run is lost.");
    return status != kExitDone ? status : kExitDeviceLost;
  }
  return status;
}

}  // namespace

int RunVexaroCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                 HidPlatform* platformOverride, std::chrono::milliseconds lockWait,
                 DeviceNotices* notices, bool errIsTerminal) {
  int status = kExitDone;
  try {
    status = RunCommandLine(args, out, err, platformOverride, lockWait, notices, errIsTerminal);
  } catch (const std::exception& e) {
    status = Fail(err, kExitInternalError, UnexpectedError(e.what()));
  } catch (...) {
    status = Fail(err, kExitInternalError, UnexpectedError("no details given"));
  }
  // A command that failed has said so; one that went well is done only once its output is out.
  bool written = false;
  try {
    written = static_cast<bool>(out.flush());
  } catch (...) {  // a stream that throws on failure
  }
  if (!written && status == kExitDone) {
    const auto* checked = dynamic_cast<const CheckedOutput*>(out.rdbuf());
    return Fail(err, kExitOutputLost, OutputFailure(checked != nullptr ? checked->error() : 0));
  }
  return status;
}

std::string UnexpectedError(const std::string& what) {
  // What the library says may name a file.
  return "the command stopped on an error this program did not expect (" + QuotedText(what) +
         "); please report it.";
}

}  // namespace vexaro
