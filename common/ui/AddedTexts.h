#pragma once
// The texts this program adds to the handset's own are written in English
// and shown in the user's language: each goes through Qt's translation with
// one context. A text is written where it is used as
//   AddedText(QT_TRANSLATE_NOOP("Telvoxa", "English text"))
// which is all lupdate needs to list it for translation.

#include <QString>

inline constexpr const char* kAddedTextContext = "Telvoxa";

// `english` in the user's language (as it is without a translation).
QString AddedText(const char* english);

// Has the core's lines for the user (the call history's) said through the
// same translation.
void SayCoreTextsInTheUsersLanguage();
