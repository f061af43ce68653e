#include "melody/TuneDecode.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <map>
#include <utility>

#include "common/NumberText.h"
#include "common/ToneCodes.h"
#include "link/DeviceContract.h"

namespace vexaro {

namespace {

constexpr double kPauseFrequency = 1000.0;  // a pause is timed as a 1000 Hz tone
constexpr std::size_t kPairs = 50;

constexpr std::array<const char*, 12> kNoteNames = {"C",  "C#", "D",  "D#", "E",  "F",
                                                    "F#", "G",  "G#", "A",  "A#", "B"};
constexpr std::array<const char*, 12> kItemNames = {"c",  "c#", "d",  "d#", "e",  "f",
                                                    "f#", "g",  "g#", "a",  "a#", "b"};

// Tempos the parser takes: a positive 16-bit number.
constexpr int kMaxTempo = 32767;
// A note item names octaves 4 to 8 by its last character; others come from an "o=" item.
constexpr int kFirstItemOctave = 4;
constexpr int kLastItemOctave = 8;
// Below C-2 (4.1 Hz) the tone period overflows the encoder; from B13 up it rounds to 0.
constexpr int kLowestOctave = -2;
constexpr int kHighestOctave = 13;
// A note item's duration number is its first one or two digits.
constexpr int kMaxDurationNumber = 99;
constexpr int kStandardDurations[] = {1, 2, 4, 8, 16, 32};

// What the text is preferred to hold, best first: standard lengths in octaves a note item names,
// then any length there, then other octaves as well.
enum Level { kStandard = 0, kAnyLength = 1, kAnyOctave = 2, kLevels = 3 };

std::string NearestNoteName(double frequency) {
  const int steps =
      static_cast<int>(std::lround(12.0 * std::log2(frequency / NoteFrequency(0, 4))));
  const int index = ((steps % 12) + 12) % 12;
  return kNoteNames[index] + std::to_string(4 + (steps - index) / 12);
}

struct Pitch {
  int index;  // semitone above C; -1 for a pause
  int octave;
  double frequency;
  bool named;  // the octave is one a note item can name
};

const Pitch kPausePitch{-1, 0, kPauseFrequency, true};

// The semitones of every octave by the pitch code the encoder gives them: those in octaves a note
// item names first, each group nearest first to the frequency the device plays for the code.
const std::array<std::vector<Pitch>, 256>& PitchesByCode() {
  static const auto table = [] {
    std::array<std::vector<Pitch>, 256> byCode;
    for (int octave = kLowestOctave; octave <= kHighestOctave; ++octave) {
      for (int index = 0; index < 12; ++index) {
        const double f = NoteFrequency(index, octave);
        const std::optional<NoteCodes> codes = EncodeTuneNote({f, 0.0, false});
        if (codes && codes->PitchCode != 0) {
          const bool named = octave >= kFirstItemOctave && octave <= kLastItemOctave;
          byCode[codes->PitchCode].push_back({index, octave, f, named});
        }
      }
    }
    for (std::size_t code = 1; code < byCode.size(); ++code) {
      const auto off = [&](const Pitch& p) {
        return std::abs(std::log2(p.frequency * code * kToneTick));
      };
      std::stable_sort(byCode[code].begin(), byCode[code].end(),
                       [&](const Pitch& a, const Pitch& b) {
                         return a.named != b.named ? a.named : off(a) < off(b);
                       });
    }
    return byCode;
  }();
  return table;
}

struct Length {
  int number;
  bool dotted;
  bool standard;
};

// Standard lengths first, plain before dotted.
const std::vector<Length>& Lengths() {
  static const auto lengths = [] {
    std::vector<Length> all;
    for (const bool dotted : {false, true}) {
      for (int n : kStandardDurations) all.push_back({n, dotted, true});
    }
    for (const bool dotted : {false, true}) {
      for (int n = 1; n <= kMaxDurationNumber; ++n) {
        if (std::find(std::begin(kStandardDurations), std::end(kStandardDurations), n) ==
            std::end(kStandardDurations)) {
          all.push_back({n, dotted, false});
        }
      }
    }
    return all;
  }();
  return lengths;
}

struct Candidate {
  const Pitch* pitch;
  const Length* length;
  Level level;
};

// The duration code the encoder gives a note of this pitch and length at this tempo.
std::optional<std::uint8_t> DurationCode(const Candidate& c, int tempo) {
  const bool pause = c.pitch->index < 0;
  const std::optional<NoteCodes> codes = EncodeTuneNote(
      {c.pitch->frequency, NoteLength(tempo, c.length->number, c.length->dotted), pause});
  if (!codes) return std::nullopt;
  return codes->DurationCode;
}

struct Interval {
  int lo;
  int hi;
};

// The tempos at which `c` gets duration code `target`. The code falls as the tempo rises, so they
// form one interval; it is first estimated from code = K / tempo, then settled by the encoder.
std::optional<Interval> TemposFor(const Candidate& c, std::uint8_t target) {
  const double k = c.pitch->frequency * (240.0 / kPeriodsPerLength) *
                   (c.length->dotted ? 1.5 : 1.0) / c.length->number;
  const double highest = target == 255 ? 32767.5 : target + 0.5;  // 255 is also the cap
  const double lowest = target == 1 ? 0.0 : target - 0.5;         // 1 is also the floor
  const double from = std::floor(k / highest) - 1;
  const double to = lowest == 0.0 ? kMaxTempo : std::ceil(k / lowest) + 1;
  int lo = static_cast<int>(std::clamp(from, 1.0, static_cast<double>(kMaxTempo) + 1));
  int hi = static_cast<int>(std::clamp(to, 0.0, static_cast<double>(kMaxTempo)));
  while (lo <= hi && DurationCode(c, lo) != target) ++lo;
  while (hi >= lo && DurationCode(c, hi) != target) --hi;
  if (lo > hi) return std::nullopt;
  return Interval{lo, hi};
}

// Every pitch and length that could stand for a note with these codes, best level first. When no
// semitone has the pitch code, those with the nearest code stand in (`pitchFound` false).
struct Candidates {
  std::vector<Candidate> list;
  bool pitchFound = true;
};

Candidates CandidatesFor(const NoteCodes& codes) {
  Candidates result;
  std::vector<const Pitch*> pitches;
  if (codes.PitchCode == 0) {
    pitches.push_back(&kPausePitch);
  } else {
    const auto& byCode = PitchesByCode();
    for (int distance = 0; pitches.empty() && distance < 256; ++distance) {
      for (const int code : {codes.PitchCode - distance, codes.PitchCode + distance}) {
        if (code < 1 || code > 255 || !pitches.empty()) continue;
        for (const Pitch& p : byCode[code]) pitches.push_back(&p);
      }
      result.pitchFound = distance == 0;
    }
  }
  for (const Length& length : Lengths()) {
    for (const Pitch* pitch : pitches) {
      const Level level = !pitch->named ? kAnyOctave : length.standard ? kStandard : kAnyLength;
      result.list.push_back({pitch, &length, level});
    }
  }
  std::stable_sort(result.list.begin(), result.list.end(),
                   [](const Candidate& a, const Candidate& b) { return a.level < b.level; });
  return result;
}

// A tempo's standing: notes served at each level (more is better), then round numbers near 120.
struct TempoScore {
  std::array<int, kLevels> served{};
  int tempo = 0;

  bool betterThan(const TempoScore& other, int upToLevel) const {
    for (int level = upToLevel; level >= 0; --level) {
      if (served[level] != other.served[level]) return served[level] > other.served[level];
    }
    const auto roundness = [](int t) { return t % 10 == 0 ? 0 : t % 5 == 0 ? 1 : 2; };
    if (roundness(tempo) != roundness(other.tempo)) {
      return roundness(tempo) < roundness(other.tempo);
    }
    return std::abs(tempo - 120) < std::abs(other.tempo - 120);
  }
};

// The tempo that serves the most notes, searched level by level: a level is searched only when
// the ones before it serve no tempo for every note.
int ChooseTempo(const std::vector<NoteCodes>& notes) {
  // Notes with the same codes share their candidates and intervals.
  struct Group {
    int count = 0;
    Candidates candidates;
    std::vector<Interval> intervals;  // of the levels searched so far
  };
  std::map<std::pair<int, int>, Group> groups;
  for (const NoteCodes& n : notes) {
    Group& group = groups[{n.PitchCode, n.DurationCode}];
    if (group.count++ == 0) group.candidates = CandidatesFor(n);
  }

  std::vector<std::array<int, kLevels>> served(kMaxTempo + 1);
  TempoScore best{{}, 120};
  for (int level = 0; level < kLevels; ++level) {
    std::vector<int> change(kMaxTempo + 2, 0);
    for (auto& [key, group] : groups) {
      for (const Candidate& c : group.candidates.list) {
        if (c.level != level) continue;
        if (const auto found = TemposFor(c, static_cast<std::uint8_t>(key.second))) {
          group.intervals.push_back(*found);
        }
      }
      std::sort(group.intervals.begin(), group.intervals.end(),
                [](const Interval& a, const Interval& b) { return a.lo < b.lo; });
      // Merged, so that a note counts once at each tempo.
      int end = 0;
      for (const Interval& i : group.intervals) {
        const int from = std::max(i.lo, end + 1);
        if (from > i.hi) continue;
        change[from] += group.count;
        change[i.hi + 1] -= group.count;
        end = i.hi;
      }
    }
    int running = 0;
    for (int tempo = 1; tempo <= kMaxTempo; ++tempo) {
      running += change[tempo];
      served[tempo][level] = running;
    }
    best = TempoScore{served[1], 1};
    for (int tempo = 2; tempo <= kMaxTempo; ++tempo) {
      const TempoScore score{served[tempo], tempo};
      if (score.betterThan(best, level)) best = score;
    }
    if (best.served[level] == static_cast<int>(notes.size())) break;
  }
  return best.tempo;
}

struct Choice {
  Candidate candidate;
  std::string reason;  // why it is not exact; empty when it is
};

std::string PitchName(const Pitch& p) {
  return p.index < 0 ? "pause" : kNoteNames[p.index] + std::to_string(p.octave);
}

// The candidate that stores the codes exactly at `tempo`, or the nearest one with the reason.
Choice ChooseNote(const NoteCodes& codes, int tempo, std::size_t number) {
  const Candidates candidates = CandidatesFor(codes);
  Choice nearest{candidates.list.front(), {}};
  int bestDistance = 1 << 30;
  for (const Candidate& c : candidates.list) {
    const std::optional<std::uint8_t> code = DurationCode(c, tempo);
    if (!code) continue;  // too long to encode: the whole load would fail
    if (code == codes.DurationCode && candidates.pitchFound) return {c, {}};
    const int distance = std::abs(*code - codes.DurationCode);
    if (distance < bestDistance) {
      bestDistance = distance;
      nearest.candidate = c;
    }
  }
  const Pitch& pitch = *nearest.candidate.pitch;
  const std::string note = "note " + std::to_string(number) + " (";
  if (!candidates.pitchFound) {
    nearest.reason = note + "pitch code " + std::to_string(codes.PitchCode) + ", " +
                     FixedText(1 / (codes.PitchCode * kToneTick), 2) +
                     " Hz): no note is played with this pitch code; the nearest, " +
                     PitchName(pitch) + ", has " +
                     std::to_string(EncodeTuneNote({pitch.frequency, 0.0, false})->PitchCode) + ".";
  } else {
    nearest.reason = note + PitchName(pitch) + ", duration code " +
                     std::to_string(codes.DurationCode) + "): no length gives this code at " +
                     std::to_string(tempo) + " beats per minute; the nearest gives " +
                     std::to_string(DurationCode(nearest.candidate, tempo).value_or(0)) + ".";
  }
  return nearest;
}

// The most frequent value, the first one seen on a tie; `fallback` when there is none.
int MostFrequent(const std::vector<int>& values, int fallback) {
  std::map<int, int> counts;
  int best = fallback;
  int bestCount = 0;
  for (const int v : values) {
    if (++counts[v] > bestCount) {
      best = v;
      bestCount = counts[v];
    }
  }
  return best;
}

// The ring-tone text of the chosen notes. Notes of the default length and octave leave them out;
// a dot stands before the octave digit ("c.6": "c6." would take the default octave).
std::string WriteText(const std::vector<Choice>& choices, int tempo) {
  std::vector<int> numbers;
  std::vector<int> octaves;
  for (const Choice& c : choices) {
    numbers.push_back(c.candidate.length->number);
    if (c.candidate.pitch->index >= 0 && c.candidate.pitch->named) {
      octaves.push_back(c.candidate.pitch->octave);
    }
  }
  const int duration = MostFrequent(numbers, 4);
  int octave = MostFrequent(octaves, 6);
  // An "o=" item may not follow the header's tempo in the same item: the first note sets it.
  if (!choices.empty() && !choices.front().candidate.pitch->named) {
    octave = choices.front().candidate.pitch->octave;
  }
  std::string text = "vexaro:d=" + std::to_string(duration) + ",o=" + std::to_string(octave) +
                     ",b=" + std::to_string(tempo) + ":";
  bool first = true;
  for (const Choice& c : choices) {
    const Pitch& pitch = *c.candidate.pitch;
    const Length& length = *c.candidate.length;
    std::string item;
    std::string octaveDigit;
    if (pitch.index >= 0 && pitch.octave != octave) {
      if (pitch.named) {
        octaveDigit = std::to_string(pitch.octave);
      } else {
        octave = pitch.octave;
        text += (first ? "" : ",") + std::string("o=") + std::to_string(octave);
        first = false;
      }
    }
    if (length.number != duration) item += std::to_string(length.number);
    item += pitch.index < 0 ? "p" : kItemNames[pitch.index];
    if (length.dotted) item += ".";
    item += octaveDigit;
    text += (first ? "" : ",") + item;
    first = false;
  }
  return text;
}

}  // namespace

std::string NoteLine(std::size_t number, double frequency, double seconds, bool pause,
                     const NoteCodes& codes, const std::string& name) {
  return std::to_string(number) + ": " + FixedText(frequency, 2) + " Hz " + FixedText(seconds, 4) + " s " +
         (pause          ? "pause"
          : name.empty() ? "tone"
                         : "tone " + name) +
         " pitch " + std::to_string(codes.PitchCode) + " duration " +
         std::to_string(codes.DurationCode);
}

StoredMelody DecodeTuneImage(const TuneImage& image) {
  StoredMelody melody;
  std::size_t pair = 0;
  for (; pair < kPairs && image[2 * pair + 1] != 0; ++pair) {
    StoredNote note;
    note.codes = {image[2 * pair], image[2 * pair + 1]};
    note.IsPause = note.codes.PitchCode == 0;
    const double period = note.IsPause ? 1 / kPauseFrequency : note.codes.PitchCode * kToneTick;
    note.Frequency = 1 / period;
    note.Length = note.codes.DurationCode * kPeriodsPerLength * period;
    if (!note.IsPause) note.Name = NearestNoteName(note.Frequency);
    melody.notes.push_back(note);
  }
  for (std::size_t i = 2 * pair; i < image.size(); ++i) {
    if (image[i] != 0) {
      melody.strayByte = i;
      break;
    }
  }
  return melody;
}

RingToneText FindRingToneText(const TuneImage& image) {
  const StoredMelody melody = DecodeTuneImage(image);
  std::vector<NoteCodes> notes;
  for (const StoredNote& n : melody.notes) notes.push_back(n.codes);

  RingToneText result;
  result.beatsPerMinute = ChooseTempo(notes);
  std::vector<Choice> choices;
  for (std::size_t k = 0; k < notes.size(); ++k) {
    choices.push_back(ChooseNote(notes[k], result.beatsPerMinute, k + 1));
  }
  result.text = WriteText(choices, result.beatsPerMinute);

  // What `load` makes of the text is the judge, not the search.
  const TuneImage loaded = [&] {
    const Result<std::vector<TuneNote>> parsed = ParseRingTone(result.text, 0);
    const Result<TuneImage> encoded = MakeTuneImage(parsed ? *parsed : std::vector<TuneNote>{});
    return encoded ? *encoded : TuneImage{};
  }();
  for (std::size_t k = 0; k < notes.size(); ++k) {
    if (loaded[2 * k] == image[2 * k] && loaded[2 * k + 1] == image[2 * k + 1]) {
      continue;
    }
    result.inexact.push_back(!choices[k].reason.empty()
                                 ? choices[k].reason
                                 : "note " + std::to_string(k + 1) + " is stored as " +
                                       std::to_string(loaded[2 * k]) + ", " +
                                       std::to_string(loaded[2 * k + 1]) + ".");
  }
  if (melody.strayByte) {
    result.inexact.push_back("the bytes after the last note are not all 0 (address " +
                             std::to_string(kMelodyAddress + *melody.strayByte) + " holds " +
                             std::to_string(image[*melody.strayByte]) +
                             "); a load stores 0 there.");
  }
  return result;
}

}  // namespace vexaro
