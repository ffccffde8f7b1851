// The incoming-call notification against a stand-in notification service on
// a private session bus that the test starts.

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QMutex>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QThread>
#include <thread>

#include "history/ui/CallNotifier.h"
#include "platform/Cp932.h"
#include "support/gui/QtPrinters.h"

namespace {

// Records what it is asked to show and to withdraw.
class StandInNotifications : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    struct Shown {
        QString app;
        uint replaces;
        QString summary;
        QString body;
        int urgency;
        uint id;
    };
    std::vector<Shown> shown;
    std::vector<uint> closed;
    QStringList capabilities = {QStringLiteral("body")};
    QMutex mutex;  // for a service that runs on a thread of its own

    size_t ShownCount() {
        const QMutexLocker lock(&mutex);
        return shown.size();
    }
    size_t ClosedCount() {
        const QMutexLocker lock(&mutex);
        return closed.size();
    }

public slots:
    uint Notify(const QString& app, uint replaces, const QString&, const QString& summary,
                const QString& body, const QStringList&, const QVariantMap& hints, int) {
        const QMutexLocker lock(&mutex);
        const uint id = replaces ? replaces : ++m_lastId;
        shown.push_back({app, replaces, summary, body, hints.value("urgency").toInt(), id});
        return id;
    }
    void CloseNotification(uint id) {
        const QMutexLocker lock(&mutex);
        closed.push_back(id);
    }
    QStringList GetCapabilities() { return capabilities; }

private:
    uint m_lastId = 40;
};

CallEvent Event(CallEventKind kind, std::string number = "", std::string nameUtf8 = "") {
    CallEvent event;
    event.kind = kind;
    event.number = std::move(number);
    event.name = Utf8ToCp932(nameUtf8);
    return event;
}

class CallNotifierTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (daemon.isEmpty()) return;
        s_daemon = new QProcess;
        s_daemon->start(daemon, {"--session", "--nofork", "--print-address=1"});
        if (s_daemon->waitForReadyRead(10000))
            s_address = QString::fromUtf8(s_daemon->readLine()).trimmed();
    }
    static void TearDownTestSuite() {
        if (!s_daemon) return;
        s_daemon->terminate();
        s_daemon->waitForFinished(5000);
        delete s_daemon;
        s_daemon = nullptr;
    }

    void SetUp() override {
        if (s_address.isEmpty()) GTEST_SKIP() << "no dbus-daemon to start a private bus";
        ++s_connections;
        serviceName = QStringLiteral("service%1").arg(s_connections);
        clientName = QStringLiteral("client%1").arg(s_connections);
    }
    void TearDown() override {
        QDBusConnection::disconnectFromBus(serviceName);
        QDBusConnection::disconnectFromBus(clientName);
    }

    void RegisterService() {
        QDBusConnection bus = QDBusConnection::connectToBus(s_address, serviceName);
        ASSERT_TRUE(bus.isConnected());
        ASSERT_TRUE(bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &service,
                                       QDBusConnection::ExportAllSlots));
        ASSERT_TRUE(bus.registerService(QStringLiteral("org.freedesktop.Notifications")));
    }
    QDBusConnection Client() { return QDBusConnection::connectToBus(s_address, clientName); }

    static inline QProcess* s_daemon = nullptr;
    static inline QString s_address;
    static inline int s_connections = 0;
    QString serviceName;
    QString clientName;
    StandInNotifications service;
};

TEST_F(CallNotifierTest, RingingShowsTheCallerAnsweringReplacesItEndingWithdrawsIt) {
    RegisterService();
    CCallNotifier notifier(Client());
    QSignalSpy ended(&notifier, &CCallNotifier::CallEnded);

    notifier.Handle(Event(CallEventKind::Incoming, "09012345678", "山田太郎"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return service.shown.size() == 1; }, 5000));
    const auto ringing = service.shown[0];
    EXPECT_EQ(ringing.app, "Telvoxa");
    EXPECT_EQ(ringing.replaces, 0u);
    EXPECT_EQ(ringing.summary, "着信");
    EXPECT_EQ(ringing.body, "山田太郎\n09012345678");
    EXPECT_EQ(ringing.urgency, 2);

    notifier.Handle(Event(CallEventKind::Answered));
    ASSERT_TRUE(QTest::qWaitFor([&] { return service.shown.size() == 2; }, 5000));
    EXPECT_EQ(service.shown[1].replaces, ringing.id);
    EXPECT_EQ(service.shown[1].summary, "着信");
    EXPECT_EQ(service.shown[1].body, "山田太郎\n09012345678\nOn Line");

    notifier.Handle(Event(CallEventKind::Held));
    notifier.Handle(Event(CallEventKind::Ended));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !service.closed.empty(); }, 5000));
    EXPECT_EQ(service.closed, std::vector<uint>{ringing.id});
    EXPECT_EQ(ended.count(), 1);
    EXPECT_EQ(service.shown.size(), 2u);
}

TEST_F(CallNotifierTest, TheBodyIsTheCallerAsTheHandsetShowsItAndTextWhateverTheService) {
    const struct {
        QStringList capabilities;
        const char* number;
        const char* name;
        QString body;
    } cases[] = {
        {{"body"}, "0312345678", "", "0312345678"},
        {{"body"}, "", "", "Not Notified"},
        {{"body"}, "117", "Tom & Jerry <Boss>", "Tom & Jerry <Boss>\n117"},
        {{"body", "body-markup"}, "117", "Tom & Jerry <Boss>", "Tom &amp; Jerry &lt;Boss&gt;\n117"},
        {{"body-markup"}, "<b>", "", "&lt;b&gt;"},
    };
    RegisterService();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.body.toStdString());
        service.capabilities = c.capabilities;
        service.shown.clear();
        service.closed.clear();
        CCallNotifier notifier(Client());  // asks anew
        notifier.Handle(Event(CallEventKind::Incoming, c.number, c.name));
        ASSERT_TRUE(QTest::qWaitFor([&] { return service.shown.size() == 1; }, 5000));
        EXPECT_EQ(service.shown[0].body, c.body);
        notifier.Handle(Event(CallEventKind::Ended));
        ASSERT_TRUE(QTest::qWaitFor([&] { return service.closed.size() == 1; }, 5000));
    }
}

TEST_F(CallNotifierTest, TheEndWithdrawsARingingNotificationAlsoOneStillOnItsWay) {
    // The service answers from its own thread while the end waits.
    QThread serviceThread;
    service.moveToThread(&serviceThread);
    serviceThread.start();
    RegisterService();
    for (const bool idBack : {true, false}) {
        SCOPED_TRACE(idBack ? "id back" : "id on its way");
        {
            CCallNotifier notifier(Client());
            // The service's capabilities are known from a first call.
            notifier.Handle(Event(CallEventKind::Incoming, "111"));
            ASSERT_TRUE(QTest::qWaitFor([&] { return service.ShownCount() == 1; }, 5000));
            notifier.Handle(Event(CallEventKind::Ended));
            ASSERT_TRUE(QTest::qWaitFor([&] { return service.ClosedCount() == 1; }, 5000));
            notifier.Handle(Event(CallEventKind::Incoming, "222"));
            if (idBack) {
                ASSERT_TRUE(QTest::qWaitFor([&] { return service.ShownCount() == 2; }, 5000));
            }
        }
        const QMutexLocker lock(&service.mutex);
        ASSERT_EQ(service.shown.size(), 2u);
        EXPECT_EQ(service.closed, (std::vector<uint>{service.shown[0].id, service.shown[1].id}));
        service.shown.clear();
        service.closed.clear();
    }
    serviceThread.quit();
    serviceThread.wait();
}

TEST_F(CallNotifierTest, EventsThatComeBeforeTheServiceAnswersAreCarriedOutInOrder) {
    RegisterService();
    CCallNotifier notifier(Client());
    notifier.Handle(Event(CallEventKind::Incoming, "100"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return service.shown.size() == 1; }, 5000));
    notifier.Handle(Event(CallEventKind::Ended));
    ASSERT_TRUE(QTest::qWaitFor([&] { return service.closed.size() == 1; }, 5000));
    service.shown.clear();
    service.closed.clear();
    // A call answered and ended at once, then the next one ringing: all
    // before the first Notify has its reply.
    notifier.Handle(Event(CallEventKind::Incoming, "111"));
    notifier.Handle(Event(CallEventKind::Answered));
    notifier.Handle(Event(CallEventKind::Ended));
    notifier.Handle(Event(CallEventKind::Incoming, "222"));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return service.shown.size() == 2 && service.closed.size() == 1; }, 5000));
    QTest::qWait(100);  // nothing more comes
    ASSERT_EQ(service.shown.size(), 2u);
    EXPECT_EQ(service.shown[0].body, "111");
    EXPECT_EQ(service.shown[1].body, "222");
    EXPECT_EQ(service.shown[1].replaces, 0u);
    EXPECT_EQ(service.closed, std::vector<uint>{service.shown[0].id});
}

TEST_F(CallNotifierTest, EventsFromTheLinkThreadArriveOnTheNotifiersThread) {
    RegisterService();
    CCallNotifier notifier(Client());
    std::thread ringing([&] { notifier.OnCallEvent(Event(CallEventKind::Incoming, "333")); });
    ringing.join();
    ASSERT_TRUE(QTest::qWaitFor([&] { return service.shown.size() == 1; }, 5000));
    std::thread ended([&] { notifier.OnCallEvent(Event(CallEventKind::Ended)); });
    ended.join();
    ASSERT_TRUE(QTest::qWaitFor([&] { return service.closed.size() == 1; }, 5000));
    ASSERT_EQ(service.shown.size(), 1u);
    EXPECT_EQ(service.closed[0], service.shown[0].id);
}

TEST_F(CallNotifierTest, WithoutAServiceOrABusNothingIsShownAndNothingFails) {
    for (QDBusConnection bus :
         {Client(), QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"),
                                                  QStringLiteral("nowhere"))}) {
        CCallNotifier notifier(bus);
        QSignalSpy ended(&notifier, &CCallNotifier::CallEnded);
        notifier.Handle(Event(CallEventKind::Incoming, "444"));
        notifier.Handle(Event(CallEventKind::Answered));
        notifier.Handle(Event(CallEventKind::Ended));
        EXPECT_EQ(ended.count(), 1);
        QTest::qWait(50);
    }
    QDBusConnection::disconnectFromBus(QStringLiteral("nowhere"));
    EXPECT_TRUE(service.shown.empty());
}

}  // namespace

#include "callnotifier_test.moc"
