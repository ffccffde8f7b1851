#pragma once
// What the user is told about a number handed in by a link or by --dial.

#include <QString>
#include <string>
#include <string_view>

#include "phonebook/DialLink.h"

// Why `link` gives no number to show (for a refused one).
std::string DialLinkProblemText(const DialLink& parsed, std::string_view link);

// A link's number that came while the handset was busy with a call.
QString LinkWhileBusyText(const std::string& number);

// The running window did not take the number.
std::string LinkNotHandedOverText();
