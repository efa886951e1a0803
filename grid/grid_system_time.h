// Date and time cells as the system's SYSTEMTIME, for the date formatter and
// the date picker: a date value is a day count (day 0 is 30 December 1899),
// a time value a number of seconds, shown as that time of day on the fixed
// date 1 June 2000.
#pragma once

#include "grid/grid_model.h"

#include <windows.h>

#include <cstdint>

constexpr WORD kGridTimeYear = 2000;
constexpr WORD kGridTimeMonth = 6;
constexpr WORD kGridTimeDay = 1;
constexpr uint32_t kGridSecondsPerMinute = 60;
constexpr uint32_t kGridMinutesPerHour = 60;
constexpr uint32_t kGridSecondsPerHour = 3600;
constexpr uint32_t kGridHoursPerDay = 24;

inline SYSTEMTIME GridDateSystemTime(int32_t day) {
    SYSTEMTIME st{};
    int year, month, day_of_month;
    GridDayToDate(day, year, month, day_of_month);
    st.wYear = static_cast<WORD>(year);
    st.wMonth = static_cast<WORD>(month);
    st.wDay = static_cast<WORD>(day_of_month);
    return st;
}

inline SYSTEMTIME GridTimeSystemTime(int32_t seconds) {
    SYSTEMTIME st{};
    st.wYear = kGridTimeYear;
    st.wMonth = kGridTimeMonth;
    st.wDay = kGridTimeDay;
    uint32_t s = static_cast<uint32_t>(seconds);
    st.wHour = static_cast<WORD>((s / kGridSecondsPerHour) % kGridHoursPerDay);
    st.wMinute = static_cast<WORD>((s / kGridSecondsPerMinute) % kGridMinutesPerHour);
    st.wSecond = static_cast<WORD>(s % kGridSecondsPerMinute);
    return st;
}

inline int32_t GridSystemTimeDate(const SYSTEMTIME& st) {
    return GridDateToDay(st.wYear, st.wMonth, st.wDay);
}

inline int32_t GridSystemTimeSeconds(const SYSTEMTIME& st) {
    return static_cast<int32_t>(st.wHour * kGridSecondsPerHour +
                                st.wMinute * kGridSecondsPerMinute + st.wSecond);
}
