#pragma once
// The lines the history tells the user are written in English and said in
// the user's language: the window installs its translation at the start,
// before any other thread asks for one. A text is written where it is used
// as InUserLanguage(QT_TRANSLATE_NOOP("Telvoxa", "English text")), which
// is all that is needed to list it for translation.

#include <initializer_list>
#include <string>

#ifndef QT_TRANSLATE_NOOP
#define QT_TRANSLATE_NOOP(scope, x) x
#endif

// Answers `english` in the user's language (UTF-8); may be called from any
// thread.
using UserTranslation = std::string (*)(const char* english);
// Installs `translation`; nullptr leaves the English texts.
void SetUserTranslation(UserTranslation translation);

// `english` in the user's language, with "%1".."%9" replaced by `args` in
// one pass (an argument's own "%2" stays as it is).
std::string InUserLanguage(const char* english, std::initializer_list<std::string> args = {});
