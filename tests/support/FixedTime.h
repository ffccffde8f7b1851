#pragma once
// A fixed local time for the idle display's clock: Tuesday 5 March 2024,
// 09:`minute`.

#include <ctime>

inline std::tm FixedTime(int minute) {
    std::tm t{};
    t.tm_year = 124;
    t.tm_mon = 2;
    t.tm_mday = 5;
    t.tm_wday = 2;
    t.tm_hour = 9;
    t.tm_min = minute;
    return t;
}
