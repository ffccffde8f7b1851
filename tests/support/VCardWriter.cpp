#include "support/VCardWriter.h"

#include "platform/Atoi.h"
#include "platform/Cp932.h"

std::string WrittenNumber(const std::string& digits) {
    const bool mobile = digits.size() == 11 && digits[0] == '0' && digits[2] == '0' &&
                        (digits[1] == '7' || digits[1] == '8' || digits[1] == '9');
    if (mobile) {
        return "+81 " + digits.substr(1, 2) + "-" + digits.substr(3, 4) + "-" + digits.substr(7);
    }
    if (digits.size() == 10) {
        return digits.substr(0, 2) + "-" + digits.substr(2, 4) + "-" + digits.substr(6);
    }
    return digits;
}

std::string VCardBytes(const SampleBook& book) {
    std::string out;
    for (const CMemoryDial& record : book.records) {
        out += "BEGIN:VCARD\r\nVERSION:3.0\r\n";
        out += "FN:" + Cp932ToUtf8(record.m_strName, false) + "\r\n";
        if (!record.m_strReading.empty()) {
            out += "SORT-STRING:" + Cp932ToUtf8(record.m_strReading, false) + "\r\n";
        }
        for (const std::string& number : record.m_strNumber) {
            if (!number.empty()) out += "TEL;TYPE=VOICE:" + WrittenNumber(number) + "\r\n";
        }
        const size_t group = static_cast<size_t>(AtoiText(record.m_strGroup));
        if (group > 0 && group < book.groups.size()) {
            const GroupName& names = book.groups[group];
            const std::string& label = names.first.empty() ? names.second : names.first;
            if (!label.empty()) out += "CATEGORIES:" + Cp932ToUtf8(label, false) + "\r\n";
        }
        out += "END:VCARD\r\n";
    }
    return out;
}
