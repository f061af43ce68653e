#include "app/CliBackup.h"

#include "app/CliMelody.h"
#include "app/VexaroCli.h"
#include "backup/DeviceBackup.h"
#include "melody/MelodyLoad.h"
#include "melody/TuneDecode.h"

namespace vexaro {

namespace {

// The exit status of a backup or a restore, after its sentence when it failed.
int Finish(const DeviceOutcome& outcome, std::ostream& err) {
  switch (outcome.kind) {
    case DeviceOutcome::Kind::Done:
      return kExitDone;
    case DeviceOutcome::Kind::Refused:
      return Fail(err, kExitBadInput, outcome.why);
    case DeviceOutcome::Kind::Device:
      return Fail(err, kExitDeviceLost, outcome.why);
  }
  return Fail(err, kExitInternalError, outcome.why);
}

}  // namespace

int BackupCommand(CliSession& session, const std::string& file, std::ostream& err) {
  return Finish(BackUpDevice(session.usb(), file), err);
}

int PrepareRestore(const std::string& file, Backup& backup, std::ostream& err) {
  Result<Backup> read = ReadBackupFile(file);
  if (!read) return Fail(err, kExitBadInput, read.why());
  backup = *std::move(read);
  return kExitDone;
}

int RestoreCommand(CliSession& session, const Backup& backup, const std::string& only,
                   std::ostream& err) {
  const RestoreParts parts{only.empty() || only == "settings", only.empty() || only == "melody",
                           only.empty() || only == "trim"};
  std::optional<ProgressLine> line;
  const DeviceOutcome outcome = RestoreDevice(
      session.usb(), session.exchange(), backup, parts,
      [&](std::size_t stored, std::size_t total) {
        if (!line) line.emplace(err, session.showProgress(), total);  // shows 0 of total
        if (stored > 0) line->acknowledged(stored);
      });
  if (line) line->end();
  return Finish(outcome, err);
}

int TuneCommand(CliSession& session, bool rtttl, const std::optional<std::string>& wave,
                std::ostream& out, std::ostream& err) {
  TuneImage image{};
  if (const auto lost = ReadTuneImage(session.usb(), session.link(), image)) {
    return Fail(err, kExitDeviceLost, LostWhileReading(*lost));
  }
  if (wave) return WriteTuneSound(image, *wave, err);
  if (rtttl) {
    const RingToneText found = FindRingToneText(image);
    out << found.text << '\n';
    for (const std::string& sentence : found.inexact) err << "vexaro: " << sentence << '\n';
    return kExitDone;
  }
  std::size_t number = 0;
  for (const StoredNote& n : DecodeTuneImage(image).notes) {
    out << NoteLine(++number, n.Frequency, n.Length, n.IsPause, n.codes, n.Name) << '\n';
  }
  out << ImageLines(image);
  return kExitDone;
}

}  // namespace vexaro
