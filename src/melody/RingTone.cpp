#include "melody/RingTone.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <exception>
#include <string>
#include <system_error>

#include "common/NumberText.h"
#include "common/QuotedText.h"

namespace vexaro {

namespace {

constexpr double kC4Frequency = 261.6255653;  // C in octave 4; equal temperament from here
constexpr double kPauseFrequency = 1000.0;    // a pause is timed as a 1000 Hz tone
constexpr double kWholeNoteBeats = 240.0;     // 60 s times 4: a beat is a quarter note
constexpr double kDotFactor = 1.5;

// Initial defaults of every parse.
constexpr int kInitialDuration = 4;
constexpr int kInitialOctave = 6;
constexpr int kInitialBeatsPerMinute = 63;

struct NoteName {
  std::string_view text;
  int index;  // semitones above C
};
// Searched in this order, and the last row found in an item wins: "a#" matches "a" and then
// "a#"; "e#" has no row of its own and is an E; "h" is another name for "b".
constexpr NoteName kNoteNames[] = {
    {"c", 0}, {"c#", 1}, {"d", 2}, {"d#", 3},  {"e", 4},  {"f", 5},  {"f#", 6},
    {"g", 7}, {"g#", 8}, {"a", 9}, {"a#", 10}, {"b", 11}, {"h", 11},
};

// Ends the parse with a sentence for the user.
struct ParseFailure {
  std::string sentence;
};

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
bool IsItemEnd(char c) {
  return c == ',' || c == '\n' || c == '\r';
}
bool Contains(std::string_view text, std::string_view piece) {
  return text.find(piece) != std::string_view::npos;
}

// Cuts the file into items: an item ends at a comma or a line end ("\r\n", "\n" or a lone "\r").
class ItemReader {
 public:
  explicit ItemReader(std::string_view contents) : contents_(contents) {}

  bool atEnd() const { return pos_ >= contents_.size(); }

  // The next item, lower-cased (ASCII letters only). Blanks before it and at its end are
  // dropped, so "8g5  ," is a G in octave 5, not a note that ends in a blank.
  std::string next() {
    while (!atEnd() && IsBlank(contents_[pos_])) ++pos_;
    const std::size_t start = pos_;
    while (!atEnd() && !IsItemEnd(contents_[pos_])) ++pos_;
    std::size_t end = pos_;
    while (end > start && IsBlank(contents_[end - 1])) --end;
    std::string item(contents_.substr(start, end - start));
    for (char& c : item) {
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    if (!atEnd()) {
      const char end = contents_[pos_++];
      if (end == '\r' && !atEnd() && contents_[pos_] == '\n') ++pos_;
    }
    return item;
  }

 private:
  std::string_view contents_;
  std::size_t pos_ = 0;
};

// The whole number a defaults value writes: blanks around it, an optional sign, decimal digits
// with an optional fraction after a "." (halves go to the even neighbour), -32768 to 32767.
// Hexadecimal, exponents and thousands separators are not numbers here.
int ReadWholeNumber(std::string_view text, std::string_view what) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  const std::string_view number = text.substr(begin, end - begin);
  if (number.empty()) throw ParseFailure{"The " + std::string(what) + " has no value."};

  const auto notWhole = [&] {
    return ParseFailure{"The " + std::string(what) + " " + QuotedText(number) +
                        " is not a whole number."};
  };
  const auto outside = [&] {
    return ParseFailure{"The " + std::string(what) + " " + QuotedText(number) +
                        " lies outside -32768 to 32767."};
  };

  const std::size_t signLength = (number[0] == '+' || number[0] == '-') ? 1 : 0;
  std::size_t digits = 0;
  bool seenPoint = false;
  bool integerPartNonZero = false;
  for (char c : number.substr(signLength)) {
    if (IsDigit(c)) {
      ++digits;
      if (!seenPoint && c != '0') integerPartNonZero = true;
    } else if (c == '.' && !seenPoint) {
      seenPoint = true;
    } else {
      throw notWhole();
    }
  }
  if (digits == 0) throw notWhole();

  // from_chars takes a "-" but no "+".
  const std::string_view unsignedPart = number.substr(number[0] == '+' ? 1 : 0);
  double value = 0.0;
  const auto [stop, ec] =
      std::from_chars(unsignedPart.data(), unsignedPart.data() + unsignedPart.size(), value,
                      std::chars_format::fixed);
  if (ec == std::errc::result_out_of_range) {
    if (integerPartNonZero) throw outside();
    value = 0.0;  // a fraction too small for a double
  } else if (ec != std::errc() || stop != unsignedPart.data() + unsignedPart.size()) {
    throw notWhole();
  }
  const Result<std::int16_t> whole = ToInt16(value);
  if (!whole) throw outside();
  return *whole;
}

// One defaults key ("d=", "o=" or "b="): when the item holds `key`, the text after it up to the
// first ":" (or to the item's end) sets `target`, and the item becomes what follows that ":" (or
// nothing). The keys are taken in the order d, o, b, each from what the one before left.
void TakeDefault(std::string& item, std::string_view key, std::string_view what, int& target) {
  const std::size_t at = item.find(key);
  if (at == std::string::npos) return;
  item.erase(0, at + key.size());
  const std::size_t colon = item.find(':');
  if (colon == std::string::npos) {
    target = ReadWholeNumber(item, what);
    item.clear();
  } else {
    target = ReadWholeNumber(std::string_view(item).substr(0, colon), what);
    item.erase(0, colon + 1);
  }
}

struct Defaults {
  int duration = kInitialDuration;
  int octave = kInitialOctave;
  int beatsPerMinute = kInitialBeatsPerMinute;
};

// One note item (not empty) under the defaults in force. `number` is 1-based, for messages.
TuneNote MakeNote(std::string_view item, const Defaults& defaults, int raiseOctave,
                  std::size_t number) {
  int index = 0;
  for (const NoteName& name : kNoteNames) {
    if (Contains(item, name.text)) index = name.index;
  }

  // Only the last character is looked at: "c.6" is in octave 6, "c6." in the default octave.
  const char last = item.back();
  const int octave = (last >= '4' && last <= '8') ? last - '0' : defaults.octave;

  // The frequency is computed (and may overflow) even for a pause, which then replaces it.
  double frequency = NoteFrequency(index, octave);
  if (raiseOctave == 1) frequency = frequency + frequency;
  if (!std::isfinite(frequency)) {
    throw ParseFailure{"The frequency of note " + std::to_string(number) +
                       " is too large to compute."};
  }
  const bool isPause = Contains(item, "p");
  if (isPause) frequency = kPauseFrequency;

  // At most two leading digits are read: "128c" is a twelfth.
  int durationNumber = defaults.duration;
  if (IsDigit(item[0])) {
    durationNumber = item[0] - '0';
    if (item.size() > 1 && IsDigit(item[1])) durationNumber = durationNumber * 10 + (item[1] - '0');
  }
  if (defaults.beatsPerMinute == 0) {
    throw ParseFailure{"A tempo of 0 beats per minute cannot be played."};
  }
  if (durationNumber == 0) throw ParseFailure{"A duration number of 0 cannot be played."};
  const double length = NoteLength(defaults.beatsPerMinute, durationNumber, Contains(item, "."));
  if (!std::isfinite(length)) {
    throw ParseFailure{"The length of note " + std::to_string(number) +
                       " is too large to compute."};
  }
  return TuneNote{frequency, length, isPause};
}

}  // namespace

double NoteFrequency(int index, int octave) {
  const double steps = static_cast<double>(index + 12 * (octave - 4));
  return kC4Frequency * std::pow(2.0, steps / 12.0);
}

double NoteLength(int beatsPerMinute, int durationNumber, bool dotted) {
  const double length = (kWholeNoteBeats / beatsPerMinute) / durationNumber;
  return dotted ? length * kDotFactor : length;
}

Result<std::vector<TuneNote>> ParseRingTone(std::string_view contents, int raiseOctave) {
  std::vector<TuneNote> notes;
  try {
    Defaults defaults;
    ItemReader reader(contents);
    while (!reader.atEnd() && notes.size() < kMaxTuneNotes) {
      std::string item = reader.next();
      // Defaults items may stand anywhere in the file and hold for every later note.
      TakeDefault(item, "d=", "default duration", defaults.duration);
      TakeDefault(item, "o=", "default octave", defaults.octave);
      TakeDefault(item, "b=", "tempo", defaults.beatsPerMinute);
      // What is left of a name ends at its colon.
      if (const std::size_t colon = item.find(':'); colon != std::string::npos) {
        item.erase(0, colon + 1);
      }
      if (item.empty()) continue;
      notes.push_back(MakeNote(item, defaults, raiseOctave, notes.size() + 1));
    }
  } catch (const ParseFailure& failure) {
    return Failure{failure.sentence};
  } catch (const std::exception&) {
    return Failure{"The ring-tone text could not be read."};
  }
  return notes;
}

}  // namespace vexaro
