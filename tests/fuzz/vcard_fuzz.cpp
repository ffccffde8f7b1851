// Feeds arbitrary bytes to the vCard reader and checks what it leaves behind.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "AddressBookChecks.h"
#include "phonebook/VCardReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static auto* book = new PhoneBook;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const AddressBookOutcome outcome = ReadVCardBook(bytes, *book);
    CheckAddressBook(outcome, *book, PhoneBookFormat::VCard);
    return 0;
}
