#pragma once
// One phone book entry, read field by field from a memory dial data file.

#include <string>

class ArchiveReader;

inline constexpr int MAX_MEMORY_DIAL = 5000;
inline constexpr int MAX_GROUP = 50;

class CMemoryDial {
public:
    // Reads the 37 text fields in file order and applies the index and group
    // rules. Returns false when the archive ran dry or broke: the record is
    // then incomplete and must be discarded.
    bool Serialize(ArchiveReader& archive);

    bool m_bSecret = false;
    std::string m_strIndex1;
    std::string m_strIndex2;
    std::string m_strReading;
    std::string m_strNumber[10];
    std::string m_strNumberAttr[10];
    std::string m_strItem[10];
    std::string m_strExtra;
    std::string m_strGroup;
    std::string m_strName;
};
