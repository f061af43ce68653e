#pragma once
// Text at the edge of Windows. The programs carry every text, file names included, as UTF-8; the
// Windows services speak UTF-16 and hand `main` its arguments in the ANSI code page, which cannot
// hold most letters.

#include <string>
#include <string_view>
#include <vector>

namespace vexaro {

// UTF-16 <-> UTF-8. A lone surrogate (possible in a Windows file name) becomes U+FFFD.
std::string Utf8FromWide(std::wstring_view wide);
std::wstring WideFromUtf8(std::string_view utf8);

// The arguments of a Windows command line, split by CommandLineToArgvW, in UTF-8 and without the
// program name. Its rules are the older C runtime's: they differ from today's C runtime only for
// two quotes inside a quoted argument, which end the quoting here ("a""b c" is a"b and c, where
// the C runtime of Visual Studio 2008 and later reads one argument a"b c).
std::vector<std::string> Utf8Arguments(const wchar_t* commandLine);

// The arguments of this process's own command line.
std::vector<std::string> Utf8CommandLineArguments();

// While it lives, a console that the program writes to shows UTF-8 (file names in messages);
// the console's own code page is restored afterwards, output flushed first, and also when Ctrl+C,
// Ctrl+Break or closing the console ends the program.
class Utf8Console {
 public:
  Utf8Console();
  ~Utf8Console();
  Utf8Console(const Utf8Console&) = delete;
  Utf8Console& operator=(const Utf8Console&) = delete;

 private:
  unsigned previousCodePage_;
};

}  // namespace vexaro
