// The system date, as the date rules read it (the two-digit-year window is
// placed around the current year). Tests fix the date with SetTodayForTesting.
#pragma once

#include <string>

namespace vela {

// Today as the number YYYYMMDD (local time).
int TodayYmd();

// The current local time in strftime's format (run folder names, log times).
std::string LocalTimeText(const char* format);

// Makes TodayYmd return ymd from now on; 0 goes back to the system date.
void SetTodayForTesting(int ymd);

}  // namespace vela
