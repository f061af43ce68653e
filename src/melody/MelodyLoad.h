#pragma once
// Loading a melody: a ring-tone file read, parsed and encoded into the device's melody image,
// then stored byte by byte with the acknowledged exchange.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "common/Result.h"
#include "link/ApiUSBRoutines.h"
#include "link/CommandExchange.h"
#include "melody/TuneImage.h"

namespace vexaro {

// A ring-tone file read and encoded.
struct TuneFile {
  TuneImage image{};
  std::vector<TuneNote> notes;
};

// Reads the file at `path` (a relative path from the current folder) and encodes its notes, or
// says in one sentence why the file cannot be loaded. Nothing is sent. Files larger than a ring
// tone can sensibly be (16 MiB) are refused.
Result<TuneFile> LoadTuneFile(const std::string& path, int raiseOctave);

// Stores the image at device addresses 28 to 127, all 100 bytes (the zeros after the last note
// too, so a shorter melody erases the end of a longer one). False when the device was lost.
// `acknowledged`, when given, is told how many bytes the device has acknowledged, after each.
[[nodiscard]] bool UploadTuneImage(CommandExchange& exchange, const TuneImage& image,
                                   const std::function<void(std::size_t)>& acknowledged = nullptr);

// Reads the 100 melody bytes, one plain transfer each from address 28 up. Stops at the first
// transfer that loses the device and returns its address; std::nullopt when all 100 arrived.
std::optional<std::uint8_t> ReadTuneImage(ApiUSBRoutines& usb, const LinkState& link,
                                          TuneImage& image);

}  // namespace vexaro
