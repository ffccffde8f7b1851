#pragma once
// A message for the user in a box with one OK button, as any front end shows it.

#include <string>

enum class MessageIcon { None, Information, Stop };

struct UserMessage {
    std::string text;  // UTF-8
    MessageIcon icon = MessageIcon::None;

    bool operator==(const UserMessage&) const = default;
};
