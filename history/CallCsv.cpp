#include "history/CallCsv.h"

#include <cstdio>

#include "history/CallTexts.h"
#include "history/Csv.h"
#include "platform/Cp932.h"

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool IsDialText(std::string_view number) {
    return !number.empty() &&
           number.find_first_not_of("0123456789*#+pPwW-") == std::string_view::npos;
}

// The length of the UTF-8 sequence a byte begins; 1 for a stray byte.
size_t SequenceLength(unsigned char lead) {
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    if (lead >= 0xE0) return 3;
    if (lead >= 0xC2 && lead < 0xE0) return 2;
    return 1;
}

}  // namespace

std::string CsvSafeText(std::string_view text) {
    if (!text.empty() && std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos)
        return CsvField("'" + std::string(text));
    return CsvField(text);
}

std::string CsvPhoneNumber(std::string_view number) {
    // Only dial characters go inside the formula; anything else is plain text.
    if (!IsDialText(number)) return CsvSafeText(number);
    return "=\"" + std::string(number) + "\"";
}

std::string CallsCsv(const std::vector<CallRecord>& records) {
    std::string csv = "日時,種別,電話番号,名前,通話時間,料金(円)\r\n";
    for (const CallRecord& record : records) {
        const std::string number = CallNumberText(record);
        const int seconds = std::max(record.secondsOnLine, 0);
        char duration[32] = {};
        std::snprintf(duration, sizeof duration, "%d:%02d:%02d", seconds / 3600, seconds / 60 % 60,
                      seconds % 60);
        csv += CsvSafeText(CallTimeText(record.started)) + ',' + CsvSafeText(CallKindText(record)) +
               ',' + (number == record.number ? CsvPhoneNumber(number) : CsvSafeText(number)) +
               ',' + CsvSafeText(record.name) + ',' + duration + ',' +
               (record.chargeYen ? std::to_string(*record.chargeYen) : std::string()) + "\r\n";
    }
    return csv;
}

EncodedCsv EncodeCsv(std::string_view utf8, CsvEncoding encoding) {
    EncodedCsv out;
    if (encoding == CsvEncoding::Utf8) {
        out.bytes = std::string(kByteOrderMark) + std::string(utf8);
        return out;
    }
    out.bytes.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        const unsigned char lead = static_cast<unsigned char>(utf8[i]);
        if (lead < 0x80) {
            out.bytes += static_cast<char>(lead);
            ++i;
            continue;
        }
        const size_t length = std::min(SequenceLength(lead), utf8.size() - i);
        const std::string converted = Utf8ToCp932(utf8.substr(i, length));
        if (converted.empty()) {
            out.bytes += '?';
            ++out.replaced;
        } else {
            out.bytes += converted;
        }
        i += length;
    }
    return out;
}

std::string CallsCsvFileName(int yearMonth) {
    char name[64] = {};
    std::snprintf(name, sizeof name, "通話履歴-%04d-%02d.csv", yearMonth / 100, yearMonth % 100);
    return name;
}
