#pragma once
// Text of address book files in the character sets they come in, turned into
// the code page 932 the phone book keeps.

#include <string>
#include <string_view>
#include <vector>

enum class Charset {
    Utf8,
    Cp932,   // Shift_JIS and its Windows form
    Latin1,  // ISO-8859-1 and ASCII
    Other,   // any other name, through iconv
};

// The character set of a MIME charset name (case does not matter);
// "SHIFT_JIS", "SJIS", "CP932", "WINDOWS-31J" are code page 932.
Charset CharsetOfName(std::string_view name);

bool IsValidUtf8(std::string_view bytes);
// Whether a file without a declared character set is UTF-8: all of it, or so
// much of it that a few stray bytes (a Latin-1 letter pasted in) are
// mistakes in a UTF-8 file rather than signs of Shift_JIS.
bool LooksLikeUtf8(std::string_view bytes);
// Every lead byte has a trail byte, and no byte is one code page 932 never uses.
bool IsValidCp932(std::string_view bytes);

// Text in a form that can be split at ASCII separators: code page 932 bytes
// as they are (`cp932`), or UTF-8 for every other character set.
struct SplittableText {
    std::string bytes;
    bool cp932 = false;
    // False when the input had bytes that are not valid in its character set
    // (they are dropped, or kept as they were for code page 932).
    bool valid = true;
};

// `name` is the charset's name for Charset::Other, else ignored.
SplittableText DecodeText(std::string_view raw, Charset charset, std::string_view name = {});

// A piece of SplittableText in code page 932.
std::string ToCp932(std::string_view piece, bool isCp932);

// Splits at `separator` outside backslash escapes and undoes the escapes
// ("\n" and "\N" become a line break, "\x" becomes x). In code page 932 a
// trail byte 0x5C is part of its character, never an escape.
std::vector<std::string> SplitEscaped(std::string_view text, char separator, bool isCp932);
