#pragma once
// The melody commands of the command-line tool: parse, load, play, stop and beep.

#include <optional>
#include <ostream>
#include <string>

#include "app/CliSession.h"
#include "melody/TuneDecode.h"
#include "melody/TuneImage.h"

namespace vexaro {

// `vexaro parse FILE [--raise-octave] [--wav WAVE]`: the notes and the image, no device needed;
// with a `wave` file name, that file is written instead (WriteTuneSound).
int ParseCommand(const std::string& file, bool raiseOctave, const std::optional<std::string>& wave,
                 std::ostream& out, std::ostream& err);

// What the device plays instead of a written note that its limits change, as the end of the note's
// line: "  (played at 490.20 Hz for 0.0979 s, the device's lowest tone)", "  (cut to 255 units:
// 3.8842 s)", "  (raised to 1 unit: 0.0152 s)", "  (too high for the device: silent for 1.0080 s)";
// empty for a note played as written but for the rounding of its codes. `played` is the note's
// pair of the image, decoded.
std::string LimitsMark(const TuneNote& written, const StoredNote& played);

// The image as the device sounds it, as a WAVE file at `file`, written whole or not at all: 0, or
// the exit status after one sentence on `err`.
int WriteTuneSound(const TuneImage& image, const std::string& file, std::ostream& err);

// The image as stored, ten bytes a line after the device address of the line's first byte.
std::string ImageLines(const TuneImage& image);

// `vexaro load FILE|default [--raise-octave]`: the file is read and encoded before the device is
// touched; `image` receives it (0 when it cannot be loaded, the error said on `err`).
int PrepareLoad(const std::string& file, bool raiseOctave, std::ostream& err, TuneImage& image);
int LoadCommand(CliSession& session, const TuneImage& image, std::ostream& err);

// `vexaro play [--wait]`, `vexaro stop`.
int PlayCommand(CliSession& session, bool wait, std::ostream& err);
int StopCommand(CliSession& session, std::ostream& err);

// `vexaro beep [FREQ [DURATION]]`: the texts are checked as the two boxes check them; what is
// left out is taken from the device's beep settings.
int BeepCommand(CliSession& session, std::optional<std::string> frequency,
                std::optional<std::string> duration, std::ostream& err);

}  // namespace vexaro
