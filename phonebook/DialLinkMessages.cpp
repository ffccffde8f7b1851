#include "phonebook/DialLinkMessages.h"

#include "common/UserLanguage.h"

std::string DialLinkProblemMessage(const DialLink& parsed, std::string_view link) {
    const std::string shown = LinkForMessage(link);
    switch (parsed.problem) {
        case DialLinkProblem::None:
            break;
        case DialLinkProblem::NoNumber:
            return InUserLanguage(QT_TRANSLATE_NOOP("Telvoxa", "\"%1\" holds no phone number"),
                                  {shown});
        case DialLinkProblem::NotANumber:
            return InUserLanguage(
                QT_TRANSLATE_NOOP("Telvoxa",
                                  "\"%1\" is not a phone number: \"%2\" cannot be dialled"),
                {shown, parsed.refused});
        case DialLinkProblem::TooLong:
            return InUserLanguage(
                QT_TRANSLATE_NOOP("Telvoxa", "\"%1\" is not a phone number: more than %2 digits"),
                {shown, std::to_string(kLongestLinkedNumber)});
    }
    return {};
}

std::string LinkWhileBusyMessage(const std::string& number) {
    return InUserLanguage(
        QT_TRANSLATE_NOOP("Telvoxa",
                          "The number %1 was not shown: the handset is busy with a call."),
        {number});
}

std::string LinkNotHandedOverMessage() {
    return InUserLanguage(QT_TRANSLATE_NOOP(
        "Telvoxa", "the running Telvoxa did not answer; the number was not handed over"));
}
