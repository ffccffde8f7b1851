#include "common/ui/DialLinkTexts.h"

#include <QCoreApplication>

#include "common/ui/AddedTexts.h"

std::string DialLinkProblemText(const DialLink& parsed, std::string_view link) {
    const QString shown = QString::fromStdString(LinkForMessage(link));
    QString text;
    switch (parsed.problem) {
        case DialLinkProblem::None:
            break;
        case DialLinkProblem::NoNumber:
            text =
                AddedText(QT_TRANSLATE_NOOP("Telvoxa", "\"%1\" holds no phone number")).arg(shown);
            break;
        case DialLinkProblem::NotANumber:
            text =
                AddedText(QT_TRANSLATE_NOOP(
                              "Telvoxa", "\"%1\" is not a phone number: \"%2\" cannot be dialled"))
                    .arg(shown, QString::fromStdString(parsed.refused));
            break;
        case DialLinkProblem::TooLong:
            text = AddedText(QT_TRANSLATE_NOOP("Telvoxa",
                                               "\"%1\" is not a phone number: more than %2 digits"))
                       .arg(shown)
                       .arg(kLongestLinkedNumber);
            break;
    }
    return text.toStdString();
}

QString LinkWhileBusyText(const std::string& number) {
    return AddedText(
               QT_TRANSLATE_NOOP("Telvoxa",
                                 "The number %1 was not shown: the handset is busy with a call."))
        .arg(QString::fromStdString(number));
}

std::string LinkNotHandedOverText() {
    return AddedText(
               QT_TRANSLATE_NOOP(
                   "Telvoxa", "the running Telvoxa did not answer; the number was not handed over"))
        .toStdString();
}
