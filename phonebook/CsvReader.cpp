#include "phonebook/CsvReader.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string>
#include <vector>

#include "common/UserLanguage.h"
#include "phonebook/CsvRows.h"
#include "phonebook/TextCharset.h"
#include "platform/Cp932.h"

namespace {

// Column names, compared in UTF-8 after trimming and with Latin letters in lower case.
constexpr std::array kNameColumns = {"名前", "氏名",      "名称",         "表示名",
                                     "name", "full name", "display name", "fullname"};
constexpr std::array kFamilyColumns = {"姓", "last name", "family name", "surname"};
constexpr std::array kGivenColumns = {"名", "first name", "given name"};
constexpr std::array kReadingColumns = {
    "フリガナ", "ふりがな", "ﾌﾘｶﾞﾅ",   "よみ",     "ヨミ",          "ﾖﾐ",   "読み",
    "よみがな", "ヨミガナ", "reading", "phonetic", "phonetic name", "yomi", "furigana"};
constexpr std::array kFamilyReadingColumns = {
    "姓(フリガナ)", "セイ", "ｾｲ", "姓よみ", "phonetic last name", "family name yomi"};
constexpr std::array kGivenReadingColumns = {
    "名(フリガナ)", "メイ", "ﾒｲ", "名よみ", "phonetic first name", "given name yomi"};
// A column is a phone column when its name is one of these or contains one of
// the parts, unless it is the column of a number's kind ("Phone 1 - Type").
constexpr std::array kPhoneColumns = {"電話番号", "電話", "tel",      "phone", "telephone",
                                      "mobile",   "携帯", "携帯電話", "cell"};
constexpr std::array kPhoneParts = {"電話", "携帯", "phone", "mobile"};
constexpr std::array kNotPhoneParts = {"type", "label", "種別", "種類"};
constexpr std::array kGroupColumns = {"グループ", "ｸﾞﾙｰﾌﾟ",   "分類",       "group",
                                      "groups",   "category", "categories", "group membership"};

template <size_t N>
bool OneOf(const std::string& header, const std::array<const char*, N>& names) {
    return std::any_of(names.begin(), names.end(),
                       [&](const char* name) { return header == name; });
}

template <size_t N>
bool Contains(const std::string& header, const std::array<const char*, N>& parts) {
    return std::any_of(parts.begin(), parts.end(),
                       [&](const char* part) { return header.find(part) != std::string::npos; });
}

std::string Trimmed(std::string_view text) {
    const size_t start = text.find_first_not_of(" \t");
    if (start == std::string_view::npos) return {};
    const size_t end = text.find_last_not_of(" \t");
    return std::string(text.substr(start, end - start + 1));
}

struct Columns {
    int name = -1;
    int family = -1;
    int given = -1;
    int reading = -1;
    int familyReading = -1;
    int givenReading = -1;
    int group = -1;
    std::vector<int> phones;

    bool Usable() const { return (name >= 0 || family >= 0 || given >= 0) && !phones.empty(); }
};

Columns FindColumns(const std::vector<std::string>& headers) {
    Columns columns;
    auto first = [](int& column, int index) {
        if (column < 0) column = index;
    };
    for (size_t i = 0; i < headers.size(); ++i) {
        std::string header = headers[i];
        for (char& c : header) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        const int index = static_cast<int>(i);
        if (OneOf(header, kNameColumns)) {
            first(columns.name, index);
        } else if (OneOf(header, kFamilyColumns)) {
            first(columns.family, index);
        } else if (OneOf(header, kGivenColumns)) {
            first(columns.given, index);
        } else if (OneOf(header, kReadingColumns)) {
            first(columns.reading, index);
        } else if (OneOf(header, kFamilyReadingColumns)) {
            first(columns.familyReading, index);
        } else if (OneOf(header, kGivenReadingColumns)) {
            first(columns.givenReading, index);
        } else if (OneOf(header, kGroupColumns)) {
            first(columns.group, index);
        } else if ((OneOf(header, kPhoneColumns) || Contains(header, kPhoneParts)) &&
                   !Contains(header, kNotPhoneParts)) {
            columns.phones.push_back(index);
        }
    }
    return columns;
}

std::string Refusal() {
    return InUserLanguage(
        QT_TRANSLATE_NOOP("Telvoxa",
                          "no name and phone columns in the first line (looked for a name column: "
                          "%1; and a phone column: %2)"),
        {"名前, 氏名, Name, Last Name/First Name, 姓/名",
         "電話番号, 電話, 携帯, TEL, Phone, Mobile"});
}

bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::string FamilyFirst(const std::string& family, const std::string& given) {
    if (family.empty() || given.empty()) return family + given;
    return IsAscii(family) && IsAscii(given) ? family + " " + given : family + given;
}

class CsvBookReader {
public:
    CsvBookReader(std::string_view bytes, PhoneBook& book) : m_filler(book, PhoneBookFormat::Csv) {
        if (bytes.starts_with("\xEF\xBB\xBF")) {
            bytes.remove_prefix(3);
            m_charset = Charset::Utf8;
        } else {
            m_charset = LooksLikeUtf8(bytes) ? Charset::Utf8 : Charset::Cp932;
        }
        m_bytes = bytes;
    }

    AddressBookOutcome Read() {
        CsvRows rows(m_bytes);
        std::vector<std::string> fields;
        int line = 0;
        bool haveHeader = false;
        Columns columns;
        CsvRows::Row row = CsvRows::Row::Read;
        while (rows.Next(fields, line, row) && !m_filler.Overflowed()) {
            if (row != CsvRows::Row::Read) {
                m_filler.Problem(
                    line,
                    row == CsvRows::Row::TooManyColumns
                        ? InUserLanguage(
                              QT_TRANSLATE_NOOP("Telvoxa", "more than %1 columns in one row"),
                              {std::to_string(kMaxCsvColumns)})
                        : InUserLanguage(QT_TRANSLATE_NOOP("Telvoxa", "a row longer than %1 MB"),
                                         {std::to_string(kMaxCsvRowBytes >> 20)}));
                // Without its first line no column can be told; a bad row
                // below it is left out.
                if (!haveHeader) return m_filler.Finish();
                continue;
            }
            if (fields.size() == 1 && Trimmed(fields[0]).empty()) continue;
            // A row of commas alone holds nothing, wherever it is.
            if (haveHeader && std::all_of(fields.begin(), fields.end(),
                                          [](const std::string& f) { return f.empty(); })) {
                continue;
            }
            if (!haveHeader) {
                haveHeader = true;
                std::vector<std::string> headers;
                for (const std::string& field : fields) headers.push_back(Utf8Field(field, line));
                columns = FindColumns(headers);
                if (!columns.Usable()) {
                    m_filler.Problem(line, Refusal());
                    return m_filler.Finish();
                }
                continue;
            }
            AddRow(columns, fields, line);
        }
        if (!haveHeader) m_filler.Problem(1, Refusal());
        if (rows.UnclosedQuoteLine() > 0) {
            m_filler.Problem(
                rows.UnclosedQuoteLine(),
                InUserLanguage(QT_TRANSLATE_NOOP("Telvoxa", "a quoted field that never ends")));
        }
        return m_filler.Finish();
    }

private:
    SplittableText Decode(const std::string& field, int line) {
        SplittableText text = DecodeText(field, m_charset);
        if (!text.valid) {
            m_filler.Problem(
                line, InUserLanguage(QT_TRANSLATE_NOOP("Telvoxa", "bytes that are not valid %1"),
                                     {m_charset == Charset::Utf8 ? "UTF-8" : "Shift_JIS"}));
        }
        return text;
    }

    // A header, in UTF-8 and trimmed.
    std::string Utf8Field(const std::string& field, int line) {
        const SplittableText text = Decode(field, line);
        return Trimmed(text.cp932 ? Cp932ToUtf8(text.bytes, false) : text.bytes);
    }

    std::string Field(const std::vector<std::string>& fields, int column, int line) {
        if (column < 0 || static_cast<size_t>(column) >= fields.size()) return {};
        if (fields[static_cast<size_t>(column)].empty()) return {};  // most cells of a sparse sheet
        const SplittableText text = Decode(fields[static_cast<size_t>(column)], line);
        return Trimmed(ToCp932(text.bytes, text.cp932));
    }

    void AddRow(const Columns& columns, const std::vector<std::string>& fields, int line) {
        AddressEntry entry;
        entry.name = Field(fields, columns.name, line);
        if (entry.name.empty()) {
            entry.name = FamilyFirst(Field(fields, columns.family, line),
                                     Field(fields, columns.given, line));
        }
        entry.reading = Field(fields, columns.reading, line);
        if (entry.reading.empty()) {
            entry.reading = FamilyFirst(Field(fields, columns.familyReading, line),
                                        Field(fields, columns.givenReading, line));
        }
        for (const int column : columns.phones) {
            std::string number = Field(fields, column, line);
            if (!number.empty()) entry.numbers.push_back(std::move(number));
        }
        // A cell may list several groups; the first one counts.
        const std::string group = Field(fields, columns.group, line);
        entry.group = Trimmed(group.substr(0, group.find_first_of(";,")));
        if (entry.name.empty() && entry.reading.empty() && entry.numbers.empty()) return;
        m_filler.Add(entry, line);
    }

    AddressBookFiller m_filler;
    Charset m_charset = Charset::Utf8;
    std::string_view m_bytes;
};

}  // namespace

AddressBookOutcome ReadCsvBook(std::string_view bytes, PhoneBook& book) {
    return CsvBookReader(bytes, book).Read();
}
