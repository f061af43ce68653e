#pragma once
// The melody commands of the command-line tool: parse, load, play, stop and beep.

#include <optional>
#include <ostream>
#include <string>

#include "app/CliSession.h"
#include "melody/TuneImage.h"

namespace vexaro {

// `vexaro parse FILE [--raise-octave]`: the notes and the image, no device needed.
int ParseCommand(const std::string& file, bool raiseOctave, std::ostream& out, std::ostream& err);

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
