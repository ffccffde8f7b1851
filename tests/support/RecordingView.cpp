#include "support/RecordingView.h"

namespace {

template <class T>
std::optional<T> NextAnswer(std::deque<std::optional<T>>& answers) {
    if (answers.empty()) return std::nullopt;
    std::optional<T> answer = std::move(answers.front());
    answers.pop_front();
    return answer;
}

}  // namespace

std::optional<ChosenEntry> RecordingView::ChooseFromPhoneBook() {
    ++phoneBookShown;
    if (whileAsked) whileAsked();
    return NextAnswer(phoneBookAnswers);
}

std::optional<ConnectionSettings> RecordingView::AskSettings() {
    ++settingsShown;
    if (whileAsked) whileAsked();
    return NextAnswer(settingsAnswers);
}

void RecordingView::ShowMessage(const std::string& text) {
    if (whileAsked) whileAsked();
    messages.push_back(text);
}

std::vector<std::string> RecordingView::Display1History() const {
    std::vector<std::string> out;
    for (const HandsetSnapshot& s : snapshots) out.push_back(s.display1);
    return out;
}
