#include "phonebook/VCardReader.h"

#include <cctype>
#include <optional>
#include <string>
#include <vector>

#include "common/UserLanguage.h"
#include "phonebook/TextCharset.h"
#include "phonebook/VCardLines.h"

namespace {

std::string NoEndText() {
    return InUserLanguage(
        QT_TRANSLATE_NOOP("Telvoxa", "the card that begins here has no END:VCARD"));
}

// What a card holds so far, before its END.
struct OpenCard {
    int line = 0;
    std::string formattedName;
    std::string familyName;
    std::string givenName;
    std::string phoneticFamily;
    std::string phoneticGiven;
    std::string soundReading;
    std::string sortString;
    AddressEntry entry;
};

bool IsAscii(std::string_view text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

// Family name first, as Japanese names are written; a space between the two
// only when they are written in Latin letters.
std::string FamilyFirst(const std::string& family, const std::string& given) {
    if (family.empty() || given.empty()) return family + given;
    return IsAscii(family) && IsAscii(given) ? family + " " + given : family + given;
}

std::string Trimmed(std::string text) {
    const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    while (!text.empty() && space(text.back())) text.pop_back();
    size_t start = 0;
    while (start < text.size() && space(text[start])) ++start;
    return text.substr(start);
}

class VCardBookReader {
public:
    VCardBookReader(std::string_view bytes, PhoneBook& book)
        : m_filler(book, PhoneBookFormat::VCard),
          m_defaultCharset(LooksLikeUtf8(bytes) ? Charset::Utf8 : Charset::Cp932),
          m_lines(bytes) {}

    AddressBookOutcome Read() {
        VCardProperty property;
        while (!m_filler.Overflowed() && m_lines.Next(property)) Take(property);
        if (m_card && !m_filler.Overflowed()) {
            m_filler.Problem(m_card->line, NoEndText());
        }
        return m_filler.Finish();
    }

private:
    void Take(const VCardProperty& property) {
        if (property.bound == VCardProperty::Bound::TooLong) {
            m_filler.Problem(
                property.line,
                InUserLanguage(
                    QT_TRANSLATE_NOOP("Telvoxa", "a property longer than %1 MB (left out)"),
                    {std::to_string(kMaxVCardPropertyBytes >> 20)}));
            return;
        }
        if (property.bound == VCardProperty::Bound::TooManyParams) {
            m_filler.Problem(
                property.line,
                InUserLanguage(QT_TRANSLATE_NOOP(
                                   "Telvoxa", "more than %1 parameters in one property (left out)"),
                               {std::to_string(kMaxVCardParameters)}));
            return;
        }
        if (!property.wellFormed) {
            m_filler.Problem(property.line,
                             InUserLanguage(QT_TRANSLATE_NOOP(
                                 "Telvoxa", "a line that is no vCard property (no \":\")")));
            return;
        }
        const bool begin = property.name == "BEGIN" && Upper(property.value) == "VCARD";
        const bool end = property.name == "END" && Upper(property.value) == "VCARD";
        if (m_nestedDepth > 0) {
            // A card inside a card (a 2.1 AGENT) is not an entry of its own.
            m_nestedDepth += begin ? 1 : end ? -1 : 0;
            m_lastWasEmptyAgent = false;
            return;
        }
        if (begin) {
            if (m_card && m_lastWasEmptyAgent) {
                ++m_nestedDepth;
            } else {
                if (m_card) {
                    m_filler.Problem(m_card->line, NoEndText());
                }
                m_card.emplace();
                m_card->line = property.line;
            }
        } else if (end) {
            if (m_card) {
                Finish(*m_card);
                m_card.reset();
            } else {
                m_filler.Problem(property.line, InUserLanguage(QT_TRANSLATE_NOOP(
                                                    "Telvoxa", "END:VCARD without BEGIN:VCARD")));
            }
        } else if (!m_card) {
            m_filler.Problem(property.line,
                             InUserLanguage(QT_TRANSLATE_NOOP(
                                 "Telvoxa", "text outside BEGIN:VCARD and END:VCARD")));
        } else {
            Field(property, *m_card);
        }
        m_lastWasEmptyAgent = property.name == "AGENT" && Trimmed(property.value).empty();
    }

    // The value's text, decoded and in the form that can be split.
    SplittableText Text(const VCardProperty& property) {
        const std::string encoding = Upper(property.Param("ENCODING"));
        const std::string raw =
            encoding == "QUOTED-PRINTABLE" ? DecodeQuotedPrintable(property.value) : property.value;
        const std::string charsetName = property.Param("CHARSET");
        Charset charset = charsetName.empty() ? m_defaultCharset : CharsetOfName(charsetName);
        // Quoted-printable hides Shift_JIS from the look at the whole file.
        if (charsetName.empty() && charset == Charset::Utf8 && !IsValidUtf8(raw) &&
            IsValidCp932(raw)) {
            charset = Charset::Cp932;
        }
        SplittableText text = DecodeText(raw, charset, charsetName);
        if (!text.valid) {
            m_filler.Problem(
                property.line,
                InUserLanguage(QT_TRANSLATE_NOOP("Telvoxa", "bytes that are not valid %1"),
                               {charsetName.empty()
                                    ? std::string(charset == Charset::Utf8 ? "UTF-8" : "Shift_JIS")
                                    : charsetName}));
        }
        return text;
    }

    std::vector<std::string> Parts(const VCardProperty& property, char separator) {
        const SplittableText text = Text(property);
        std::vector<std::string> parts = SplitEscaped(text.bytes, separator, text.cp932);
        for (std::string& part : parts) part = Trimmed(ToCp932(part, text.cp932));
        return parts;
    }

    // The value as one text: nothing splits it (a NUL never separates), only
    // its escapes are undone.
    std::string Whole(const VCardProperty& property) {
        const SplittableText text = Text(property);
        std::string whole;
        for (const std::string& part : SplitEscaped(text.bytes, '\0', text.cp932)) whole += part;
        return Trimmed(ToCp932(whole, text.cp932));
    }

    void Field(const VCardProperty& property, OpenCard& card) {
        const std::string& name = property.name;
        if (name == "FN") {
            card.formattedName = Whole(property);
        } else if (name == "N") {
            const std::vector<std::string> parts = Parts(property, ';');
            card.familyName = parts[0];
            card.givenName = parts.size() > 1 ? parts[1] : std::string();
        } else if (name == "TEL") {
            AddTelephone(property, card.entry);
        } else if (name == "CATEGORIES") {
            if (card.entry.group.empty()) card.entry.group = Parts(property, ',')[0];
        } else if (name == "SORT-STRING") {
            card.sortString = Whole(property);
        } else if (name == "X-PHONETIC-LAST-NAME") {
            card.phoneticFamily = Whole(property);
        } else if (name == "X-PHONETIC-FIRST-NAME") {
            card.phoneticGiven = Whole(property);
        } else if (name == "SOUND" && property.HasType("X-IRMC-N")) {
            const std::vector<std::string> parts = Parts(property, ';');
            card.soundReading = FamilyFirst(parts[0], parts.size() > 1 ? parts[1] : "");
        }
    }

    void AddTelephone(const VCardProperty& property, AddressEntry& entry) {
        std::string number = Whole(property);
        // A 4.0 number may be a "tel:" address.
        if (number.size() >= 4 && Upper(number.substr(0, 4)) == "TEL:") number.erase(0, 4);
        if (number.empty()) return;
        entry.numbers.push_back(number);
        entry.numberTypes.push_back(property.Types());
    }

    void Finish(OpenCard& card) {
        AddressEntry& entry = card.entry;
        entry.name = !card.formattedName.empty() ? card.formattedName
                                                 : FamilyFirst(card.familyName, card.givenName);
        const std::string phonetic = FamilyFirst(card.phoneticFamily, card.phoneticGiven);
        entry.reading = !phonetic.empty()            ? phonetic
                        : !card.soundReading.empty() ? card.soundReading
                                                     : card.sortString;
        if (entry.name.empty() && entry.reading.empty() && entry.numbers.empty()) return;
        m_filler.Add(entry, card.line);
    }

    AddressBookFiller m_filler;
    const Charset m_defaultCharset;
    VCardLines m_lines;
    std::optional<OpenCard> m_card;
    int m_nestedDepth = 0;
    bool m_lastWasEmptyAgent = false;
};

}  // namespace

AddressBookOutcome ReadVCardBook(std::string_view bytes, PhoneBook& book) {
    return VCardBookReader(bytes, book).Read();
}
