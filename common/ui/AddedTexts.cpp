#include "common/ui/AddedTexts.h"

#include <QCoreApplication>

#include "common/UserLanguage.h"

QString AddedText(const char* english) {
    return QCoreApplication::translate(kAddedTextContext, english);
}

namespace {

std::string AddedTextUtf8(const char* english) {
    return AddedText(english).toStdString();
}

}  // namespace

void SayCoreTextsInTheUsersLanguage() {
    SetUserTranslation(&AddedTextUtf8);
}
