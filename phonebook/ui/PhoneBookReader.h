#pragma once
// Reads phone book files on a thread of its own, so that a large book never
// holds the window up: the window keeps the book it has until the new one is
// handed back, on the window's thread, by a queued call.

#include <QObject>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "phonebook/PhoneBook.h"

struct PhoneBookRead {
    std::string path;
    std::unique_ptr<PhoneBook> book;
    PhoneBookLoadOutcome outcome;
};

class PhoneBookReader : public QObject {
    Q_OBJECT

public:
    using Done = std::function<void(PhoneBookRead&)>;

    // `done` runs on this object's thread with each read that is still wanted.
    explicit PhoneBookReader(Done done, QObject* parent = nullptr);
    // Waits for a read under way: every read is bounded in time.
    ~PhoneBookReader() override;

    // Reads `path` after the read under way; a read asked for earlier and
    // not yet begun is replaced, and any earlier result is no longer handed back.
    void Read(const std::string& path);
    // No result of the reads asked for so far is handed back.
    void Cancel();
    // Waits until the reads asked for are done and hands their result back now.
    void Flush();

private:
    void Work();
    void Deliver(int generation, std::shared_ptr<PhoneBookRead> read);

    Done m_done;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::optional<std::string> m_wanted;  // the next path to read
    int m_generation = 0;                 // of the latest request
    bool m_reading = false;
    bool m_stop = false;
    std::thread m_thread;  // last: started once the rest is ready
};
