#include "tools/sample_calendar.h"

namespace sample {

using namespace std::chrono;

namespace {

// The nth Monday of a month, as its day of the month.
unsigned nthMonday(int y, unsigned m, unsigned nth) {
    const year_month_weekday date{year{y} / month{m} / Monday[nth]};
    return static_cast<unsigned>(year_month_day{sys_days{date}}.day());
}

// Equinox days by the usual approximation, valid 1980 to 2099 (integer arithmetic so
// that every build agrees).
unsigned vernalEquinox(int y) {
    const int t = y - 1980;
    return static_cast<unsigned>((20843100 + 242194 * t) / 1000000 - t / 4);
}
unsigned autumnalEquinox(int y) {
    const int t = y - 1980;
    return static_cast<unsigned>((23248800 + 242194 * t) / 1000000 - t / 4);
}

// A holiday named by the law itself (no substitute or in-between days).
bool isNamedHoliday(sys_days day) {
    const year_month_day date{day};
    const int y = static_cast<int>(date.year());
    const unsigned m = static_cast<unsigned>(date.month());
    const unsigned d = static_cast<unsigned>(date.day());
    switch (m) {
        case 1:
            return d == 1 || d == (y >= 2000 ? nthMonday(y, 1, 2) : 15u);
        case 2:
            return d == 11 || (y >= 2020 && d == 23);
        case 3:
            return d == vernalEquinox(y);
        case 4:
            return d == 29 || (y == 2019 && d == 30);
        case 5:
            return d == 3 || d == 5 || (y >= 2007 && d == 4) || (y == 2019 && (d == 1 || d == 2));
        case 7:
            if (y == 2020) return d == 23 || d == 24;
            if (y == 2021) return d == 22 || d == 23;
            if (y >= 2003) return d == nthMonday(y, 7, 3);
            return y >= 1996 && d == 20;
        case 8:
            if (y == 2020) return d == 10;
            if (y == 2021) return d == 8;
            return y >= 2016 && d == 11;
        case 9:
            return d == autumnalEquinox(y) || d == (y >= 2003 ? nthMonday(y, 9, 3) : 15u);
        case 10:
            if (y == 2020 || y == 2021) return false;
            if (y == 2019 && d == 22) return true;
            return d == (y >= 2000 ? nthMonday(y, 10, 2) : 10u);
        case 11:
            return d == 3 || d == 23;
        case 12:
            return y >= 1989 && y <= 2018 && d == 23;
        default:
            return false;
    }
}

bool isSunday(sys_days day) {
    return weekday{day} == Sunday;
}

}  // namespace

bool isPublicHoliday(sys_days day) {
    if (isNamedHoliday(day)) return true;
    // Substitute holiday: the first day after a Sunday holiday that is no holiday itself.
    for (sys_days before = day - days{1}; isNamedHoliday(before); before -= days{1}) {
        if (isSunday(before)) return true;
    }
    // A weekday between two holidays is a holiday too.
    return !isSunday(day) && isNamedHoliday(day - days{1}) && isNamedHoliday(day + days{1});
}

bool isTradingDay(sys_days day) {
    const weekday wd{day};
    if (wd == Saturday || wd == Sunday) return false;
    const year_month_day date{day};
    const unsigned m = static_cast<unsigned>(date.month());
    const unsigned d = static_cast<unsigned>(date.day());
    if ((m == 12 && d == 31) || (m == 1 && d <= 3)) return false;
    return !isPublicHoliday(day);
}

std::vector<sys_days> tradingDaysBack(sys_days newest, int count) {
    std::vector<sys_days> days;
    days.reserve(static_cast<std::size_t>(count > 0 ? count : 0));
    for (sys_days day = newest; static_cast<int>(days.size()) < count;
         day -= std::chrono::days{1}) {
        if (isTradingDay(day)) days.push_back(day);
    }
    return days;
}

}  // namespace sample
