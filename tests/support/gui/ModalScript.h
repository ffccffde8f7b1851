#pragma once
// Answers modal dialogs of one class ahead of time: each time such a dialog
// comes up, the next answer of the queue runs on it (typically a click that
// closes it). Answers that are left over stay unused.

#include <QApplication>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <deque>
#include <functional>

template <class Dialog>
class ModalScript {
public:
    using Answer = std::function<void(Dialog*)>;

    ModalScript() {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { Poll(); });
        m_timer.start();
    }

    void Then(Answer answer) { m_answers.push_back(std::move(answer)); }
    int Shown() const { return m_shown; }
    int Left() const { return int(m_answers.size()); }
    // Showings that found no answer left (and were cancelled).
    int Unexpected() const { return m_unexpected; }

private:
    void Poll() {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible()) {
            m_current = nullptr;
            return;
        }
        if (m_current == dialog) return;  // this showing is answered already
        m_current = dialog;
        ++m_shown;
        if (m_answers.empty()) {
            // Nothing scripted: close it so that the test does not hang.
            ++m_unexpected;
            dialog->reject();
        } else {
            Answer answer = std::move(m_answers.front());
            m_answers.pop_front();
            answer(dialog);
        }
        // Closed by the answer: its next showing is a new one.
        if (!dialog->isVisible()) m_current = nullptr;
    }

    QTimer m_timer;
    std::deque<Answer> m_answers;
    QPointer<Dialog> m_current;
    int m_shown = 0;
    int m_unexpected = 0;
};
