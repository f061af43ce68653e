#pragma once
// The settings commands of the command-line tool: `read` and `set`.

#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "app/CliSession.h"
#include "common/Result.h"
#include "settings/SettingsRecord.h"

namespace vexaro {

// `vexaro read [--json]`: the settings as the window shows them.
int ReadSettingsCommand(CliSession& session, bool json, std::ostream& out, std::ostream& err);

// What `vexaro set` was asked to store.
struct SetRequest {
  std::vector<std::pair<std::string, std::string>> values;  // key, value, in the given order
  bool defaults = false;  // start from the factory settings instead of the device's
};

// Parses `key=value` arguments and, when `fromFile` is not empty, a JSON object such as
// `read --json` prints or a backup file's settings (the file's values first, an argument may
// change one); `defaults` as the request's own. Fails with one sentence when the request is not
// well-formed: an unknown key, a key given twice, a version no device reports.
Result<SetRequest> ParseSetRequest(const std::vector<std::string>& assignments,
                                   const std::string& fromFile, bool defaults);

// `vexaro set`: reads the device as the window does, applies each value that differs from the
// device's own text through the window's entry checks, then stores every field in the Send
// button's order (nothing at all when no value differs).
int SetSettingsCommand(CliSession& session, const SetRequest& request, std::ostream& err);

}  // namespace vexaro
