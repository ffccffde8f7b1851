#pragma once
// What the user is told about a number handed over by a link, in words any
// front end can show (in the user's language where one is installed).

#include <string>
#include <string_view>

#include "phonebook/DialLink.h"

// Why `link` gives no number to show; empty when it gives one.
std::string DialLinkProblemMessage(const DialLink& parsed, std::string_view link);
// A linked number that came while a call goes on.
std::string LinkWhileBusyMessage(const std::string& number);
// A second start could not hand its number to the running program.
std::string LinkNotHandedOverMessage();
