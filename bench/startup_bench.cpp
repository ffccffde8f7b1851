// Start-up of the handset window until its first paint, offscreen: skin file
// lookups, bitmap reading, region, text areas, font, port open and hang-up.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QTemporaryDir>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/ui/HandsetApp.h"
#include "handset/ui/HandsetDlg.h"
#include "platform/posix/PosixCommDevice.h"

namespace {

// A line on which the phone never says anything; every operation succeeds.
class SilentLine final : public CommDevice {
public:
    bool Open(const std::string&) override { return m_open = true; }
    bool IsOpen() const override { return m_open; }
    bool Close() override { return !(m_open = !m_open); }
    bool SetupComm(uint32_t, uint32_t) override { return true; }
    bool SetCommTimeouts(const CommTimeouts&) override { return true; }
    bool GetCommState(Dcb&) override { return true; }
    bool SetCommState(const Dcb&) override { return true; }
    bool PurgeComm(uint32_t) override { return true; }
    bool ClearCommError(uint32_t& errors, ComStat& stat) override {
        errors = 0;
        stat = {};
        return true;
    }
    bool EscapeCommFunction(uint32_t) override { return true; }
    bool ReadFile(uint8_t*, uint32_t, uint32_t& got) override {
        got = 0;
        return true;
    }
    bool WriteFile(const uint8_t*, uint32_t length, uint32_t& written) override {
        written = length;
        return true;
    }
    void Sleep(uint32_t) override {}

private:
    bool m_open = false;
};

struct Environment {
    QTemporaryDir config;
    QTemporaryDir runtime;
    QTemporaryDir skins;
    std::unique_ptr<QApplication> application;
    std::unique_ptr<CHandsetApp> app;
    int ptyMaster = -1;
    std::string ptySlave;

    Environment() {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        setenv("XDG_CONFIG_HOME", config.path().toLocal8Bit().constData(), 1);
        setenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit().constData(), 1);
        static int argc = 1;
        static char name[] = "startup_bench";
        static char* argv[] = {name, nullptr};
        application = std::make_unique<QApplication>(argc, argv);
        app = std::make_unique<CHandsetApp>();
        WriteSkin("small", 240, 520);
        WriteSkin("large", 1000, 2000);
        ptyMaster = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (ptyMaster >= 0 && grantpt(ptyMaster) == 0 && unlockpt(ptyMaster) == 0)
            ptySlave = ptsname(ptyMaster);
    }

    // A rounded body on a black surround, 24 bits per pixel, with its
    // settings file naming every area.
    void WriteSkin(const std::string& name, int width, int height) {
        const std::string dir = skins.path().toStdString() + "/";
        const uint32_t stride = (uint32_t(width) * 3 + 3) / 4 * 4;
        std::vector<uint8_t> bmp(54 + size_t(stride) * height, 0);
        auto put32 = [&](size_t at, uint32_t v) {
            for (int i = 0; i < 4; ++i) bmp[at + i] = uint8_t(v >> (8 * i));
        };
        bmp[0] = 'B';
        bmp[1] = 'M';
        put32(10, 54);
        put32(14, 40);
        put32(18, uint32_t(width));
        put32(22, uint32_t(height));
        bmp[26] = 1;
        bmp[28] = 24;
        for (int y = 0; y < height; ++y) {
            const double dy = (y - height / 2.0) / (height / 2.0);
            const int half =
                int((width / 2.0 - 2) * std::sqrt(std::max(0.0, 1.0 - std::pow(dy, 8))));
            uint8_t* row = bmp.data() + 54 + size_t(height - 1 - y) * stride;
            for (int x = width / 2 - half; x < width / 2 + half; ++x) {
                row[x * 3] = 90;
                row[x * 3 + 1] = 110;
                row[x * 3 + 2] = 130;
            }
        }
        if (FILE* f = std::fopen((dir + name + ".bmp").c_str(), "wb")) {
            std::fwrite(bmp.data(), 1, bmp.size(), f);
            std::fclose(f);
        }
        const int w = width;
        const std::string ini = "BMPFILE = " + name + ".bmp\nDISPLAY1 = 20, 40, " +
                                std::to_string(w - 20) + ", 60\nDISPLAY2 = 20, 60, " +
                                std::to_string(w - 20) + ", 80\nDISPLAY3 = 20, 80, " +
                                std::to_string(w - 20) +
                                ", 100\nANTENNA = 20, 20, 80, 40\nPICTURE = 20, 100, 120, 160\n"
                                "BTN_SEND = 20, 300, 60, 330\nFONTSIZE = 10\n";
        if (FILE* f = std::fopen((dir + name + ".ini").c_str(), "wb")) {
            std::fwrite(ini.data(), 1, ini.size(), f);
            std::fclose(f);
        }
    }
};

Environment& Env() {
    static Environment env;
    return env;
}

struct FirstPaint : QObject {
    bool painted = false;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) painted = true;
        return false;
    }
};

void StartUp(benchmark::State& state, const QString& skinFile, bool pty) {
    Environment& env = Env();
    if (!env.app->OpenSkinFile(skinFile)) {
        state.SkipWithError("skin file did not open");
        return;
    }
    if (pty && env.ptySlave.empty()) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
    CommDeviceFactory factory = [&env, pty]() -> std::unique_ptr<CommDevice> {
        if (!pty) return std::make_unique<SilentLine>();
        const std::string slave = env.ptySlave;
        return std::make_unique<PosixCommDevice>([slave](const std::string&) { return slave; });
    };
    for (auto _ : state) {
        const auto begin = std::chrono::steady_clock::now();
        auto window = std::make_unique<CHandsetDlg>(*env.app, nullptr, factory);
        FirstPaint paint;
        window->installEventFilter(&paint);
        if (!window->OnInitDialog()) {
            state.SkipWithError("start-up failed");
            return;
        }
        window->StopMonitor();
        window->show();
        while (!paint.painted) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        const auto end = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(end - begin).count());
        window->removeEventFilter(&paint);
        window.reset();
        QCoreApplication::processEvents();
        // Take away the hang-up bytes so that the line never fills up.
        uint8_t sink[256];
        while (pty && read(env.ptyMaster, sink, sizeof sink) > 0) {
        }
    }
}

QString Generated(const char* name) {
    return Env().skins.path() + "/" + name + ".ini";
}

// The skin the program ships with (240 x 520, with its pictures).
void BM_StartUpDefaultSkin(benchmark::State& state) {
    StartUp(state, QStringLiteral(TELVOXA_BUILD_DATA_DIR "/default.ini"), false);
}
void BM_StartUpSmallSkin(benchmark::State& state) {
    StartUp(state, Generated("small"), false);
}
void BM_StartUpLargeSkin(benchmark::State& state) {
    StartUp(state, Generated("large"), false);
}
void BM_StartUpSmallSkinOnPty(benchmark::State& state) {
    StartUp(state, Generated("small"), true);
}

BENCHMARK(BM_StartUpDefaultSkin)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartUpSmallSkin)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartUpLargeSkin)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartUpSmallSkinOnPty)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
