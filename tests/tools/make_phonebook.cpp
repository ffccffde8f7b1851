// Writes a phone book for demonstrations and measurements.
//   make_phonebook OUT.mdd|OUT.vcf [--demo | --count N]
// --demo (the default) writes a small book of Japanese entries; --count N
// writes N generated entries with believable names and numbers. A name ending
// in ".vcf" gives a vCard address book of the same entries, else a memory
// dial data file.

#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/PhoneBookWriter.h"
#include "support/SampleBooks.h"
#include "support/VCardWriter.h"

namespace {
int Usage() {
    std::fprintf(stderr, "usage: make_phonebook OUT.mdd|OUT.vcf [--demo | --count N]\n");
    return 2;
}
}  // namespace

int main(int argc, char* argv[]) {
    if (argc < 2 || argc > 4) return Usage();
    const std::string out = argv[1];

    SampleBook book;
    const std::string mode = argc >= 3 ? argv[2] : "--demo";
    if (mode == "--demo" && argc <= 3) {
        book = DemoBook();
    } else if (mode == "--count" && argc == 4) {
        char* end = nullptr;
        const long count = std::strtol(argv[3], &end, 10);
        if (*argv[3] == '\0' || *end != '\0' || count < 0 || count > 1000000) return Usage();
        book = GeneratedBook(static_cast<int>(count));
    } else {
        return Usage();
    }

    const bool vCard = out.size() > 4 && out.compare(out.size() - 4, 4, ".vcf") == 0;
    PhoneBookWriter writer;
    writer.Raw(vCard ? VCardBytes(book) : PhoneBookBytes(book.records, book.groups));
    if (!writer.Save(out)) {
        std::fprintf(stderr, "make_phonebook: cannot write %s\n", out.c_str());
        return 1;
    }
    return 0;
}
