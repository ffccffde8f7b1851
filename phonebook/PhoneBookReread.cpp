#include "phonebook/PhoneBookReread.h"

namespace {

std::string Entries(int count) {
    return std::to_string(count) + (count == 1 ? " entry" : " entries");
}

}  // namespace

PhoneBookReread JudgeReread(const std::string& path, const PhoneBookLoadOutcome& outcome,
                            int entriesRead, int entriesLoaded) {
    PhoneBookReread reread;
    reread.replace = entriesRead > 0 && outcome.result != PhoneBookLoad::OpenError;
    if (outcome.result == PhoneBookLoad::Loaded) return reread;
    const std::string why = outcome.description.empty() ? path : outcome.description;
    reread.message = "the changed phone book " + path + ": ";
    if (reread.replace) {
        reread.message += "read in part (" + Entries(entriesRead) + ", taken in place of the " +
                          std::to_string(entriesLoaded) + " loaded): " + why;
    } else {
        reread.message +=
            "not taken (no entry read; the " + Entries(entriesLoaded) + " loaded stay): " + why;
    }
    return reread;
}
