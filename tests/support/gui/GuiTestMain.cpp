// main() of every GUI test program: an offscreen QApplication with a profile,
// data and runtime folder of its own, so no test touches the user's settings
// or call history.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>
#include <cstdlib>

namespace {

QtMessageHandler g_defaultHandler = nullptr;

// The offscreen platform says so for every mask, raise and mouse grab; the
// windows under test ask for them all the time.
void QuietOffscreen(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtWarningMsg && message.startsWith(QLatin1String("This plugin does not support")))
        return;
    g_defaultHandler(type, context, message);
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QTemporaryDir config;
    QTemporaryDir runtime;
    QTemporaryDir data;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("XDG_CONFIG_HOME", config.path().toLocal8Bit().constData(), 1);
    setenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit().constData(), 1);
    setenv("XDG_DATA_HOME", data.path().toLocal8Bit().constData(), 1);
    g_defaultHandler = qInstallMessageHandler(QuietOffscreen);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
