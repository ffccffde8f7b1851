#include "phonebook/ui/PhoneBookReader.h"

#include <QCoreApplication>
#include <QEvent>

PhoneBookReader::PhoneBookReader(Done done, QObject* parent)
    : QObject(parent), m_done(std::move(done)), m_thread([this] { Work(); }) {}

PhoneBookReader::~PhoneBookReader() {
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
        m_wanted.reset();
    }
    m_wake.notify_all();
    m_thread.join();
}

void PhoneBookReader::Read(const std::string& path) {
    {
        const std::lock_guard lock(m_mutex);
        m_wanted = path;
        ++m_generation;
    }
    m_wake.notify_all();
}

void PhoneBookReader::Cancel() {
    const std::lock_guard lock(m_mutex);
    m_wanted.reset();
    ++m_generation;
}

void PhoneBookReader::Flush() {
    {
        std::unique_lock lock(m_mutex);
        m_idle.wait(lock, [this] { return !m_reading && !m_wanted; });
    }
    // The results are queued calls to this object: run them now.
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

void PhoneBookReader::Work() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stop || m_wanted.has_value(); });
        if (m_stop) return;
        auto read = std::make_shared<PhoneBookRead>();
        read->path = std::move(*m_wanted);
        m_wanted.reset();
        const int generation = m_generation;
        m_reading = true;
        lock.unlock();
        read->book = std::make_unique<PhoneBook>();
        read->outcome = LoadPhoneBookFile(read->path, *read->book);
        // Posted before the read counts as done, so that Flush finds it queued.
        QMetaObject::invokeMethod(
            this, [this, generation, read] { Deliver(generation, read); }, Qt::QueuedConnection);
        lock.lock();
        m_reading = false;
        m_idle.notify_all();
    }
}

void PhoneBookReader::Deliver(int generation, std::shared_ptr<PhoneBookRead> read) {
    {
        const std::lock_guard lock(m_mutex);
        if (generation != m_generation) return;  // asked for again since, or cancelled
    }
    m_done(*read);
}
