#include "platform/clock.hpp"

#include <ctime>

namespace vela {
namespace {
int fixedToday = 0;
}

int TodayYmd() {
    if (fixedToday != 0) return fixedToday;
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    return (local.tm_year + 1900) * 10000 + (local.tm_mon + 1) * 100 + local.tm_mday;
}

std::string LocalTimeText(const char* format) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    char text[64];
    const std::size_t length = std::strftime(text, sizeof text, format, &local);
    return std::string(text, length);
}

void SetTodayForTesting(int ymd) { fixedToday = ymd; }

}  // namespace vela
