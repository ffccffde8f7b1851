#pragma once
// Numbers as they are dialled. Address books write a number for people to
// read ("+81 90-1234-5678", "(03) 1234-5678"); the phone reports the digits
// it received ("09012345678"). Both are compared in one form.

#include <string>
#include <string_view>

// The dialled form of a number written in code page 932: only the digits, "*"
// and "#" stay (full-width ones become narrow); spaces, hyphens, dots,
// brackets and any other characters go. A leading "+" is the international
// prefix "010", and the country code of Japan after it ("+81", "0081",
// "01081") becomes the trunk prefix "0". Empty when nothing dialable is left.
std::string DialledDigits(std::string_view written);
