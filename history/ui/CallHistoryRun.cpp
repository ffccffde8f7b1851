#include "history/ui/CallHistoryRun.h"

#include "common/ui/UiSeams.h"
#include "history/CallHistoryNotice.h"
#include "history/CallStore.h"
#include "history/ui/CallHistoryDlg.h"
#include "platform/Cp932.h"

std::string CallHistoryTroubleLine(const CallStoreOpening& opening, const std::string& path) {
    // The dialog's own trouble says why its list is empty; else the
    // recorder's tells what became of the history at the start.
    const std::string own = CallStoreTroubleText(opening, path, false);
    return own.empty() ? CallHistoryNotice::Text() : own;
}

std::optional<ChosenCall> RunCallHistory(QWidget* parent, const std::string& path) {
    const CallStoreOpening opening = CallStore::OpenToRead(path);
    const QString trouble = QString::fromStdString(CallHistoryTroubleLine(opening, path));
    // Said once in a run in a message box as well, before the list.
    if (!trouble.isEmpty() && CallHistoryNotice::TakeFirstShowing())
        UiSeams::Messages().Show(parent, trouble, MessageIcon::Stop);
    CCallHistoryDlg dialog(opening.store.get(), parent);
    dialog.SetTroubleText(trouble);
    if (dialog.exec() != QDialog::Accepted || !dialog.Chosen()) return std::nullopt;
    return ChosenCall{Utf8ToCp932(dialog.Chosen()->name), dialog.Chosen()->number};
}

int UnseenMissedCalls(const std::string& path) {
    const std::unique_ptr<CallStore> store = CallStore::OpenExisting(path);
    return store ? store->UnseenMissedCount() : 0;
}

std::string CallHistoryTip(const std::string& path) {
    const std::string tip = MissedCallTip(UnseenMissedCalls(path));
    const std::string trouble = CallHistoryNotice::Text();
    return trouble.empty() ? tip : tip + "\n" + trouble;
}
