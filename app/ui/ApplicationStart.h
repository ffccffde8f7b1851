#pragma once
// The application object as the program starts it: without a reachable
// display the program says so and ends with status 1 instead of Qt's abort;
// the platform's own dialogs speak the user's language; fixed-size dialogs
// offer no maximise button.

#include <QApplication>
#include <QLocale>
#include <QString>
#include <memory>
#include <string>

std::unique_ptr<QApplication> StartApplication(int& argc, char** argv);

// That the program needs a desktop, in the session's language (told before
// any application object is made).
std::string NoDisplayText();

// Installs Qt's own translation (qtbase_<language>.qm in `folder`) for
// `locale` into `application`. False when there is none for it.
bool LoadQtTranslation(QCoreApplication& application, const QLocale& locale, const QString& folder);
// Installs the translation of the texts the program adds (built in) for
// `locale`. False when there is none for it (English stays).
bool LoadAddedTextTranslation(QCoreApplication& application, const QLocale& locale);
