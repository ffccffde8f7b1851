#pragma once
// Code page 932 (Shift-JIS) text at the boundary with the UTF-8 world.
// Invalid or unmappable input never throws: see each function.

#include <string>
#include <string_view>

// True for a byte that starts a two-byte character of code page 932
// (0x81..0x9F, 0xE0..0xFC).
bool IsCp932LeadByte(unsigned char c);

// Bytes to UTF-8. The byte 0x5C shows as the yen sign U+00A5, as a Japanese
// font draws it, unless `yenForBackslash` is false. A byte sequence that is
// not code page 932 becomes U+FFFD for each offending byte.
std::string Cp932ToUtf8(std::string_view cp932, bool yenForBackslash = true);

// UTF-8 to bytes. "¥" (U+00A5) becomes 0x5C. A character with no code page
// 932 form is dropped; invalid UTF-8 bytes are dropped.
std::string Utf8ToCp932(std::string_view utf8);

// UTF-16 code units (as stored in wide archive strings) to code page 932;
// unmappable characters are dropped.
std::string Utf16ToCp932(std::u16string_view utf16);
