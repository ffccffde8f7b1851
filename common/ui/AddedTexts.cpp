#include "common/ui/AddedTexts.h"

#include <QCoreApplication>

QString AddedText(const char* english) {
    return QCoreApplication::translate(kAddedTextContext, english);
}
