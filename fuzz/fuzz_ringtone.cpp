// Ring-tone files come from wherever the user browses to: any bytes at all.
//
// Input: byte 0 picks the raise-octave box ('0' unchecked, '1' checked, '2' grayed: the byte
// modulo 3); the remaining bytes are the file's contents. The file is parsed and its notes
// encoded into the device's melody image, as the Load button does.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "FuzzCheck.h"
#include "melody/RingTone.h"
#include "melody/TuneImage.h"

using namespace vexaro;

namespace {

// A sentence with no control character (C0, DEL, C1) and no byte that no UTF-8 character holds;
// a printable character of the file may be shown.
bool IsPrintableSentence(std::string_view text) {
  if (text.empty() || text.back() != '.') return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto u = static_cast<unsigned char>(text[i]);
    const bool c1 =
        u == 0xc2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) < 0xa0;
    if (u < 0x20 || u == 0x7f || u == 0xc0 || u == 0xc1 || u >= 0xf5 || c1) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const int raiseOctave = data[0] % 3;
  const std::string_view contents(reinterpret_cast<const char*>(data + 1), size - 1);

  const Result<std::vector<TuneNote>> parsedNotes = ParseRingTone(contents, raiseOctave);
  if (!parsedNotes) {
    // A failed parse's sentence shows no raw file bytes.
    FUZZ_CHECK(IsPrintableSentence(parsedNotes.why()));
    return 0;
  }
  const std::vector<TuneNote>& notes = *parsedNotes;
  FUZZ_CHECK(notes.size() <= kMaxTuneNotes);

  bool allEncodable = true;
  for (const TuneNote& note : notes) {
    FUZZ_CHECK(std::isfinite(note.Frequency) && note.Frequency >= 0);
    FUZZ_CHECK(std::isfinite(note.Length) && note.Length != 0);
    if (note.IsPause) FUZZ_CHECK(note.Frequency == 1000.0);
    if (!EncodeTuneNote(note)) allEncodable = false;
  }

  // The image must agree note for note with the single-note encoder.
  const Result<TuneImage> encoded = MakeTuneImage(notes);
  FUZZ_CHECK(encoded.ok() == allEncodable);
  if (!encoded) {
    FUZZ_CHECK(IsPrintableSentence(encoded.why()));
    return 0;
  }
  const TuneImage& image = *encoded;
  for (std::size_t k = 0; k < notes.size(); ++k) {
    const std::optional<NoteCodes> codes = EncodeTuneNote(notes[k]);
    FUZZ_CHECK(image[2 * k] == codes->PitchCode);
    FUZZ_CHECK(image[2 * k + 1] == codes->DurationCode);
    FUZZ_CHECK(codes->DurationCode >= 1);
    if (notes[k].IsPause) FUZZ_CHECK(codes->PitchCode == 0);
  }
  for (std::size_t i = 2 * notes.size(); i < image.size(); ++i) {
    FUZZ_CHECK(image[i] == 0);
  }
  return 0;
}
