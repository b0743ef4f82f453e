// Windows-1252 <-> Unicode, our own table: every one of the 256 bytes round-trips.
#pragma once

#include <string>
#include <string_view>

namespace rq {

// The five bytes the code page leaves undefined (0x81 0x8D 0x8F 0x90 0x9D) map to the
// C1 control characters of the same value, so no byte is ever lost.
char32_t Cp1252ToUnicode(unsigned char byte);

// The byte for a code point, or -1 when the code page has none.
int UnicodeToCp1252(char32_t cp);

std::string Cp1252ToUtf8(std::string_view bytes);

// Text from a file as screens show it: the bytes themselves when they are valid
// UTF-8, else read as Windows-1252.
std::string DisplayUtf8(std::string_view bytes);

// Characters the code page cannot hold become "?"; `lossless` tells whether any did.
std::string Utf8ToCp1252(std::string_view utf8, bool* lossless = nullptr);

// Appends the UTF-8 form of one code point.
void AppendUtf8(std::string& out, char32_t cp);

}  // namespace rq
