#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fw {

// The framework's text functions. Texts are UTF-8 byte strings; the functions that
// count characters here count bytes, which is exact for the ASCII texts the
// program passes them.

// Upper-case hexadecimal digits of the value, no leading zeros ("0" for 0); a
// negative value gives its 32-bit two's complement, as the original framework did.
std::string Hex(int64_t value);

// The last `count` characters of the text, the whole text when it is shorter.
std::string Right(const std::string& text, int count);

// ASCII letters lowered; other bytes unchanged.
std::string Lowercase(const std::string& text);

// The extension of a file name or path, lowered, without its dot: what follows the
// last dot of the last path component; empty when there is none.
std::string LowerExtension(const std::string& fileName);

// The rows of a text, split at each CR or LF; a last row without a line end counts
// unless it is empty.
std::vector<std::string> SplitRows(const std::string& text);

// The first occurrence of `find` replaced; the text unchanged when `find` is empty.
std::string Replace(const std::string& text, const std::string& find, const std::string& with);

// Every occurrence of `find` replaced, scanning left to right without re-reading
// replaced text; the text unchanged when `find` is empty.
std::string ReplaceAll(const std::string& text, const std::string& find, const std::string& with);

// The 32-bit code of a four-character text ("APPL"), its first byte the highest;
// bytes past the fourth are ignored and missing ones count as 0.
uint32_t StringToOSType(const std::string& text);

} // namespace fw
