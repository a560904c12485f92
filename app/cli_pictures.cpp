#include "app/cli_pictures.h"

#include <iostream>

#include "tables/convert.h"
#include "tables/errors.h"

#ifdef DRAVIK_PICTURES
#include "app/window/chart_renderer.h"
#endif

namespace app {

std::optional<int> pictureWidth(std::string_view text) {
    const auto pixels = tryToInt(text);
    if (!pixels || *pixels < 1 || *pixels > 20000) return std::nullopt;
    return pixels;
}

int writeChartPictures(const ChartView& view, const ChartCaption& caption,
                       const std::map<std::string, std::string>& options) {
    const bool svg = options.count("--svg") > 0, png = options.count("--png") > 0;
    if (!svg && !png) return 0;
    int width = 0;
    if (options.count("--width")) {
        const auto pixels = pictureWidth(options.at("--width"));
        if (!pixels) {
            std::cerr << "dravik: --width takes a number of pixels from 1 to 20000\n";
            return 2;
        }
        width = *pixels;
    }
#ifdef DRAVIK_PICTURES
    try {
        if (svg)
            render::saveChartPicture(view, caption, options.at("--svg"), render::PictureFormat::Svg,
                                     width);
        if (png)
            render::saveChartPicture(view, caption, options.at("--png"), render::PictureFormat::Png,
                                     width);
    } catch (const Exception& e) {
        std::cerr << "dravik: " << e.message() << '\n';
        return 1;
    }
    return 0;
#else
    (void)view;
    (void)caption;
    (void)width;
    std::cerr << "dravik: pictures (--svg, --png) are not available: this dravik-cli was built "
                 "without Qt (DRAVIK_WINDOW=OFF)\n";
    return 1;
#endif
}

}  // namespace app
