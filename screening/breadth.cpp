#include "screening/breadth.h"

#include <cstdio>

namespace screening {

std::string bullishPercentText(const RunNotes& notes) {
    const int counted = notes.buys + notes.sells;
    char percent[32] = "-";
    if (counted > 0) std::snprintf(percent, sizeof percent, "%.1f%%", 100.0 * notes.buys / counted);
    return "強気％ " + std::string(percent) + " (" + std::to_string(notes.buys) + "/" +
           std::to_string(counted) + ")";
}

}  // namespace screening
