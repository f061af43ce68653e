#include "melody/MelodyLoad.h"

#include <filesystem>
#include <fstream>

#include "common/QuotedText.h"
#include "common/Utf8Path.h"
#include "link/DeviceContract.h"

namespace vexaro {

namespace {
constexpr std::uintmax_t kMaxTuneFileSize = 16u << 20;
}

Result<TuneFile> LoadTuneFile(const std::string& path, int raiseOctave) {
  const std::filesystem::path file = PathFromUtf8(path);
  std::error_code ec;
  if (!std::filesystem::exists(file, ec)) {
    return Failure{"There is no file " + QuotedText(path) + "."};
  }
  if (!std::filesystem::is_regular_file(file, ec)) {
    return Failure{QuotedText(path) + " is not a file."};
  }
  const std::uintmax_t size = std::filesystem::file_size(file, ec);
  if (ec || size > kMaxTuneFileSize) {
    return Failure{QuotedText(path) + " is too large to be a ring tone."};
  }
  std::ifstream in(file, std::ios::binary);
  std::string contents(static_cast<std::size_t>(size), '\0');
  if (!in || !in.read(contents.data(), static_cast<std::streamsize>(size))) {
    return Failure{QuotedText(path) + " cannot be read."};
  }
  Result<std::vector<TuneNote>> notes = ParseRingTone(contents, raiseOctave);
  if (!notes) return Failure{notes.why()};
  const Result<TuneImage> image = MakeTuneImage(*notes);
  if (!image) return Failure{image.why()};
  return TuneFile{*image, *std::move(notes)};
}

bool UploadTuneImage(CommandExchange& exchange, const TuneImage& image,
                     const std::function<void(std::size_t)>& acknowledged) {
  for (std::size_t done = 0; done < image.size(); ++done) {
    if (!exchange.SendCommand(command::kStoreByte, static_cast<std::uint8_t>(kMelodyAddress + done),
                              image[done])) {
      return false;
    }
    if (acknowledged) acknowledged(done + 1);
  }
  return true;
}

std::optional<std::uint8_t> ReadTuneImage(ApiUSBRoutines& usb, const LinkState& link,
                                          TuneImage& image) {
  for (std::size_t i = 0; i < image.size(); ++i) {
    const auto address = static_cast<std::uint8_t>(kMelodyAddress + i);
    const std::uint8_t value = usb.plainTransfer({command::kReadByte, address});
    if (!link.DeviceDetected) return address;
    image[i] = value;
  }
  return std::nullopt;
}

}  // namespace vexaro
