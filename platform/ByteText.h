// Byte text: ABC, settings and language files are 8-bit text kept as bytes from load to save.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace rq {

// The lines of a text file, without their line ends, exactly as read.
using TLines = std::vector<std::string>;

enum class LineEnd { CrLf, Lf, Cr };

// Splits at CR LF, LF or CR. A final line without a line end is kept; a line end
// at the very end does not make an extra empty line.
TLines SplitLines(std::string_view bytes);

// The convention of the first line break; LF when the text has none.
LineEnd DetectLineEnd(std::string_view bytes);

std::string_view LineEndText(LineEnd end);

// Every line followed by the line end, as a file is written back.
std::string JoinLines(const TLines& lines, LineEnd end);

// "A" to "Z" only, whatever the locale: bytes 0x80-0xFF stay as they are.
char ToLowerAscii(char c);
std::string ToLowerAscii(std::string_view text);
bool EqualsIgnoreCaseAscii(std::string_view a, std::string_view b);
// Compares as ToLowerAscii(a).compare(ToLowerAscii(b)) would (bytes unsigned), without
// the copies: below, equal to or above zero.
int CompareCaseBlind(std::string_view a, std::string_view b);
// Whether ToLowerAscii(text) holds `lowered` (itself lower-case), without the copy.
bool ContainsCaseBlind(std::string_view text, std::string_view lowered);

// Blanks (and other control characters up to space) removed from both ends.
std::string_view TrimBlanks(std::string_view text);

bool IsValidUtf8(std::string_view bytes);

}  // namespace rq
