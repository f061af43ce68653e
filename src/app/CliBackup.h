#pragma once
// The whole-device commands of the command-line tool: backup, restore and tune.

#include <optional>
#include <ostream>
#include <string>

#include "storage/BackupFile.h"
#include "app/CliSession.h"

namespace vexaro {

// `vexaro backup FILE`: reads the settings, the trim and the melody, then writes FILE (nothing
// is written when the device cannot be read whole).
int BackupCommand(CliSession& session, const std::string& file, std::ostream& err);

// `vexaro restore FILE [--only settings|melody|trim]`. The file is read and checked whole before
// the device is touched (PrepareRestore); the settings are then checked against the device
// before the first write, and stored in the Send button's order, then the melody as an upload
// stores it, then the trim. `only` is empty for all three.
int PrepareRestore(const std::string& file, Backup& backup, std::ostream& err);
int RestoreCommand(CliSession& session, const Backup& backup, const std::string& only,
                   std::ostream& err);

// `vexaro tune [--rtttl | --wav WAVE]`: the stored melody as `parse` prints notes, then its 100
// bytes; with `rtttl` a ring-tone text that `load` stores as the same bytes, or the nearest one
// with a sentence on `err` for each note it does not store exactly; with a `wave` file name, that
// file is written instead, the melody as the device sounds it.
int TuneCommand(CliSession& session, bool rtttl, const std::optional<std::string>& wave,
                std::ostream& out, std::ostream& err);

}  // namespace vexaro
