#include "history/ui/CallHistoryRun.h"

#include "history/CallStore.h"
#include "history/ui/CallHistoryDlg.h"
#include "platform/Cp932.h"

std::optional<ChosenCall> RunCallHistory(QWidget* parent, const std::string& path) {
    const std::unique_ptr<CallStore> store = CallStore::OpenExisting(path);
    CCallHistoryDlg dialog(store.get(), parent);
    if (dialog.exec() != QDialog::Accepted || !dialog.Chosen()) return std::nullopt;
    return ChosenCall{Utf8ToCp932(dialog.Chosen()->name), dialog.Chosen()->number};
}

int UnseenMissedCalls(const std::string& path) {
    const std::unique_ptr<CallStore> store = CallStore::OpenExisting(path);
    return store ? store->UnseenMissedCount() : 0;
}
