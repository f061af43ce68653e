// What the tool prints when a text from outside (an argument, a file name, a file's contents) is
// hostile, and when its standard output cannot be written.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/CheckedOutput.h"
#include "common/QuotedText.h"
#include "support/CliRun.h"
#include "support/TestFiles.h"

namespace vexaro {
namespace {

TEST(QuotedText, EscapesAndCutsByCharacters) {
  const std::string a39(39, 'a');
  const std::string euro = "\xe2\x82\xac";
  std::string euros40;
  for (int i = 0; i < 40; ++i) euros40 += euro;
  std::string esc41(41, '\x1b');
  std::string escaped40;
  for (int i = 0; i < 40; ++i) escaped40 += "\\x1b";
  const struct {
    std::string text;
    std::string quoted;
  } cases[] = {
      // clang-format off
      {"", "\"\""}, {"plain", "\"plain\""}, {"a\"b\\c", "\"a\\\"b\\\\c\""},
      {"\n\r\t\x07\x1b[2J\x7f", "\"\\n\\r\\t\\x07\\x1b[2J\\x7f\""},
      {"\xc2\x9b" "1m", "\"\\xc2\\x9b1m\""},  // C1 control sequence introducer
      {"\xc2\xa0\xc3\xa9" + euro + "\xf0\x9f\x98\x80", "\"\xc2\xa0\xc3\xa9" + euro + "\xf0\x9f\x98\x80\""},  // 2, 3 and 4 bytes: kept
      {"\xc0\x80", "\"\\xc0\\x80\""},                        // overlong
      {"\xed\xa0\x80", "\"\\xed\\xa0\\x80\""},               // a surrogate
      {"\xf4\x90\x80\x80", "\"\\xf4\\x90\\x80\\x80\""},      // beyond U+10FFFF
      {"\xe2\x82", "\"\\xe2\\x82\""},                        // cut short
      {"\x80" "a", "\"\\x80a\""},                              // a lone continuation byte
      {a39 + "a", "\"" + a39 + "a\""},                   // 40 characters: whole
      {a39 + "ab", "\"" + a39 + "a\"..."},               // 41: cut
      {a39 + euro + euro, "\"" + a39 + euro + "\"..."},  // characters, not bytes
      {euros40, "\"" + euros40 + "\""}, {esc41, "\"" + escaped40 + "\"..."},  // an escape is one character
      // clang-format on
  };
  for (const auto& c : cases) EXPECT_EQ(QuotedText(c.text), c.quoted) << c.quoted;
  EXPECT_EQ(QuotedText("abcd", 3), "\"abc\"...");
}

// Every place where the tool quotes a text from outside, with each kind of hostile text: standard
// error stays one short line with no control character.
TEST(CliQuoting, HostileTextsReachNoTerminal) {
  std::string long5k;
  while (long5k.size() < 5000) long5k += "\x1b[31mred";
  const std::vector<std::string> hostile = {"\x1b[2J", "\x1b]0;title\x07", "\x07", long5k,
                                            "\xff\xfe\xc0\x80"};
  const std::string folder = (TestFolder() / "quoting").string();
  std::filesystem::create_directories(folder);
  // Each row: the arguments, H standing for the hostile text and F for a file in `folder`, named
  // H, or when `contents` are given, a plain name holding them with H (J: H in JSON escapes).
  const struct {
    std::vector<std::string> args;
    std::string contents;
  } places[] = {
      // clang-format off
      {{"peek", "H"}, ""}, {{"peek", "0", "H"}, ""}, {{"poke", "H", "1"}, ""}, {{"poke", "1", "H"}, ""},
      {{"trim", "H"}, ""}, {{"set", "H"}, ""}, {{"set", "H=1"}, ""}, {{"set", "version=H"}, ""},
      {{"set", "reverse=H"}, ""}, {{"set", "beep-frequency=H"}, ""}, {{"set", "zero-output=H"}, ""},
      {{"set", "--from", "F"}, ""}, {{"set", "--from", "F"}, "{\"version\": \"3.1\", \"J\": \"1\"}"},
      {{"set", "--from", "F"}, "{\"version\": \"J\"}"}, {{"restore", "F"}, ""},
      {{"restore", "F"}, "{\"vexaro-backup\": \"J\"}"}, {{"restore", "F", "--only", "H"}, ""},
      {{"restore", "F", "--only=H"}, ""}, {{"backup", "F/x"}, ""}, {{"parse", "F"}, ""},
      {{"parse", "F"}, "t:d=H,o=5,b=100:c"}, {{"load", "F"}, ""}, {{"load", "F"}, "t:d=4,o=5,b=H:c"},
      {{"--simulate=F", "peek", "0"}, "00 H"}, {{"--simulate=F/x", "peek", "0"}, ""},
      {{"--device", "H", "peek", "0"}, ""}, {{"read", "H"}, ""}, {{"H"}, ""}, {{"--H"}, ""},
      // clang-format on
  };
  const auto replaced = [](std::string text, const std::string& from, const std::string& to) {
    for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
      text.replace(at, from.size(), to);
    }
    return text;
  };
  for (const auto& place : places) {
    for (std::size_t k = 0; k < hostile.size(); ++k) {
      const std::string& h = hostile[k];
      std::string json;
      for (const char c : h) {
        json +=
            std::string("\\u00") + "0123456789abcdef"[(c >> 4) & 15] + "0123456789abcdef"[c & 15];
      }
      const std::string file = folder + "/" + (place.contents.empty() ? h : std::to_string(k));
      if (!place.contents.empty()) {
        TestFile("quoting/" + std::to_string(k),
                 replaced(replaced(place.contents, "J", json), "H", h));
      }
      std::vector<std::string> args;
      for (const std::string& arg : place.args) {
        args.push_back(replaced(replaced(arg, "H", h), "F", file));
      }
      CliDevice device;
      const CliOutcome run = device(args);
      const std::string where = place.args[0] + " " + std::to_string(k);
      EXPECT_NE(run.status, kExitDone) << where;
      ASSERT_FALSE(run.err.empty()) << where;
      EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << where << ": " << run.err;
      EXPECT_EQ(run.err.back(), '\n') << where;
      // No C0 or C1 control, DEL, or byte that no UTF-8 character holds (a text in a JSON file
      // may name any character; a printable one may be shown).
      for (std::size_t i = 0; i + 1 < run.err.size(); ++i) {
        const auto u = static_cast<unsigned char>(run.err[i]);
        const auto next = static_cast<unsigned char>(run.err[i + 1]);
        EXPECT_FALSE(u < 0x20 || u == 0x7f || u == 0xc0 || u == 0xc1 || u >= 0xf5 ||
                     (u == 0xc2 && next < 0xa0))
            << where << ": " << run.err;
      }
      EXPECT_LT(run.err.size(), 400u) << where << ": " << run.err;
    }
  }
}

#ifndef _WIN32
// Output to a full disk is no success: one sentence, status 5, for every command that prints. (A
// closed pipe, and the tool's own standard output, are in acceptance.sh.)
TEST(CliOutput, OutputThatCannotBeWrittenIsTold) {
  const std::string tune = TestFile("tune.txt", "t:d=4,o=5,b=100:c,d");
  const std::vector<std::vector<std::string>> commands = {
      {"list"},      {"peek", "0", "3"}, {"read"}, {"read", "--json"},  {"parse", tune},
      {"adc"},       {"trim"},           {"tune"}, {"tune", "--rtttl"}, {"--help"},
      {"--version"},
  };
  std::FILE* const full = std::fopen("/dev/full", "w");
  ASSERT_NE(full, nullptr);
  for (const std::vector<std::string>& args : commands) {
    CheckedOutput buffer(full);
    std::ostream out(&buffer);
    std::ostringstream err;
    CliDevice device;
    EXPECT_EQ(RunVexaroCli(args, out, err, &device.platform), kExitOutputLost) << args[0];
    EXPECT_EQ(err.str(), "vexaro: the output could not be written: the disk is full.\n") << args[0];
    std::clearerr(full);
  }
  std::fclose(full);
  // Without a CheckedOutput the cause is not known; a command that failed keeps its own sentence.
  std::ostringstream bad;
  bad.setstate(std::ios::badbit);
  std::ostringstream err;
  EXPECT_EQ(RunVexaroCli({"--version"}, bad, err), kExitOutputLost);
  EXPECT_EQ(RunVexaroCli({"peek", "300"}, bad, err), kExitBadInput);
  EXPECT_EQ(err.str(),
            "vexaro: the output could not be written.\n"
            "vexaro: ADDR must be a number from 0 to 255, not \"300\".\n");
}
#endif

}  // namespace
}  // namespace vexaro
