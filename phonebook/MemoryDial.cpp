#include "phonebook/MemoryDial.h"

#include "phonebook/ArchiveReader.h"
#include "platform/Atoi.h"

namespace {
constexpr int kFirstInvalidIndex = 5000;
}

bool CMemoryDial::Serialize(ArchiveReader& archive) {
    std::string secretMarker;
    bool ok = archive.ReadString(secretMarker) && archive.ReadString(m_strIndex1) &&
              archive.ReadString(m_strIndex2) && archive.ReadString(m_strReading);
    for (int i = 0; ok && i < 10; ++i) {
        ok = archive.ReadString(m_strNumber[i]) && archive.ReadString(m_strNumberAttr[i]);
    }
    for (int i = 0; ok && i < 10; ++i) ok = archive.ReadString(m_strItem[i]);
    ok = ok && archive.ReadString(m_strExtra) && archive.ReadString(m_strGroup) &&
         archive.ReadString(m_strName);
    if (!ok) return false;

    m_bSecret = !secretMarker.empty();
    if (AtoiText(m_strIndex1) >= kFirstInvalidIndex) m_strIndex1.clear();
    if (AtoiText(m_strIndex2) >= kFirstInvalidIndex) m_strIndex2.clear();
    const int32_t group = AtoiText(m_strGroup);
    if (group < 0 || group >= MAX_GROUP)
        m_strGroup.assign(1, '0');  // not = "0": GCC 12 -Wrestrict false positive
    return true;
}
