#pragma once
// The command line's pictures of the chart (--svg FILE, --png FILE, --width PIXELS),
// drawn by the window's renderer where the window is built.
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "app/chart_view.h"

namespace app {

// The width a --width text asks for: a number of pixels from 1 to 20000.
std::optional<int> pictureWidth(std::string_view text);

// Writes the pictures the options ask for; 0 when done (or none asked), 1 after an
// error, which is printed; 2 for a width that is not a positive number of pixels.
int writeChartPictures(const ChartView& view, const ChartCaption& caption,
                       const std::map<std::string, std::string>& options);

}  // namespace app
