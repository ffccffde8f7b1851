#include "app/ui/ApplicationStart.h"

#include <QLibraryInfo>
#include <QTranslator>
#include <cstdio>
#include <cstdlib>

#include "app/DisplayCheck.h"
#include "common/ui/AddedTexts.h"
#include "common/ui/DialogFrames.h"

namespace {

QtMessageHandler g_previousHandler = nullptr;
// Made before the application object, whose start may end in it.
std::string g_noDisplayText;

// While the application object is made, Qt's only fatal message is that no
// platform could start: a display that is named but cannot be reached. Qt's
// warnings before it say which; the end is ours rather than an abort.
void OnStartMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "%s\n", g_noDisplayText.c_str());
        std::_Exit(1);
    }
    if (g_previousHandler) {
        g_previousHandler(type, context, message);
    } else {
        std::fprintf(stderr, "%s\n",
                     qFormatLogMessage(type, context, message).toLocal8Bit().constData());
    }
}

}  // namespace

std::string NoDisplayText() {
    // No application object yet: the translation is looked up on its own.
    const char* english =
        QT_TRANSLATE_NOOP("Telvoxa", "Telvoxa needs a graphical desktop (no display found)");
    QTranslator translator;
    if (!translator.load(QLocale::system(), QStringLiteral("telvoxa"), QStringLiteral("_"),
                         QStringLiteral(":/i18n")))
        return english;
    const QString said = translator.translate(kAddedTextContext, english);
    return said.isEmpty() ? std::string(english) : said.toLocal8Bit().toStdString();
}

std::unique_ptr<QApplication> StartApplication(int& argc, char** argv) {
    g_noDisplayText = NoDisplayText();
    g_previousHandler = qInstallMessageHandler(OnStartMessage);
    auto application = std::make_unique<QApplication>(argc, argv);
    qInstallMessageHandler(g_previousHandler);
    LoadQtTranslation(*application, QLocale(), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    LoadAddedTextTranslation(*application, QLocale());
    SayCoreTextsInTheUsersLanguage();
    InstallDialogFrames(*application);
    return application;
}

bool LoadAddedTextTranslation(QCoreApplication& application, const QLocale& locale) {
    auto translator = std::make_unique<QTranslator>(&application);
    if (!translator->load(locale, QStringLiteral("telvoxa"), QStringLiteral("_"),
                          QStringLiteral(":/i18n")))
        return false;
    return application.installTranslator(translator.release());
}

bool LoadQtTranslation(QCoreApplication& application, const QLocale& locale,
                       const QString& folder) {
    auto translator = std::make_unique<QTranslator>(&application);
    if (!translator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"), folder))
        return false;
    return application.installTranslator(translator.release());
}
