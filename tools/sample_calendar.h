#pragma once
// The trading calendar of the Tokyo market as the sample data use it: weekdays that
// are neither Japanese public holidays nor the New Year closure (31 December to
// 3 January).
#include <chrono>
#include <vector>

namespace sample {

// Public holidays under the holiday law as it stands from 2000 on, with the moves of
// 2019 to 2021, substitute holidays and the citizens' holiday between two holidays.
bool isPublicHoliday(std::chrono::sys_days day);
bool isTradingDay(std::chrono::sys_days day);

// count trading days, the newest first; newest itself when it is a trading day.
std::vector<std::chrono::sys_days> tradingDaysBack(std::chrono::sys_days newest, int count);

}  // namespace sample
