#include "app/platform.h"

#include <ctime>

#include "tables/convert.h"
#include "tables/errors.h"

std::string localToday() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char buffer[16];
    std::strftime(buffer, sizeof buffer, "%Y/%m/%d", &local);
    return buffer;
}

SessionHost sessionHostOf(Platform& platform) {
    return {[&platform] { platform.processEvents(); },
            [&platform](const std::string& message) { platform.showError(errorBoxText(message)); }};
}
