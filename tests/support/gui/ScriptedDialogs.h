#pragma once
// Test answers for the message box and file dialog seams: every message shown
// is recorded, and file dialogs take their answers from a queue.

#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include "common/ui/UiSeams.h"

class ScriptedDialogs final : public MessageBoxes, public FileDialogs {
public:
    struct Shown {
        QString text;
        MessageIcon icon;
    };

    ScriptedDialogs() {
        UiSeams::SetMessages(this);
        UiSeams::SetFiles(this);
    }
    ~ScriptedDialogs() override {
        UiSeams::SetMessages(nullptr);
        UiSeams::SetFiles(nullptr);
    }

    void Show(QWidget*, const QString& text, MessageIcon icon) override {
        if (whileShown) whileShown();
        messages.push_back({text, icon});
    }
    std::optional<QString> GetSaveFileName(QWidget* parent, const QString& defaultSuffix,
                                           const QStringList& filters) override {
        ++saveDialogsShown;
        return GetOpenFileName(parent, defaultSuffix, filters);
    }
    std::optional<QString> GetSaveFileNameAs(QWidget* parent, const QString& defaultSuffix,
                                             const QStringList& filters,
                                             const QString& suggestedName, int& chosen) override {
        lastSuggestedName = suggestedName;
        chosen = chosenFilter;
        return GetSaveFileName(parent, defaultSuffix, filters);
    }
    std::optional<QString> GetOpenFileName(QWidget*, const QString& defaultSuffix,
                                           const QStringList& filters) override {
        if (whileShown) whileShown();
        lastSuffix = defaultSuffix;
        lastFilters = filters;
        ++fileDialogsShown;
        if (fileAnswers.empty() || !fileAnswers.front()) {
            if (!fileAnswers.empty()) fileAnswers.pop_front();
            return std::nullopt;
        }
        const QString answer = *fileAnswers.front();
        fileAnswers.pop_front();
        return answer;
    }

    QStringList Texts() const {
        QStringList out;
        for (const auto& m : messages) out << m.text;
        return out;
    }

    // Runs while each message box or file dialog is up.
    std::function<void()> whileShown;
    std::vector<Shown> messages;
    std::deque<std::optional<QString>> fileAnswers;  // nullopt = cancel
    int fileDialogsShown = 0;                        // open and save dialogs
    int saveDialogsShown = 0;
    QString lastSuffix;
    QStringList lastFilters;
    QString lastSuggestedName;
    int chosenFilter = 0;  // the file type chosen in a save dialog
};
