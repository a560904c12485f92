// Writes the sample data root: made-up stocks and generated prices in the program's
// own file layout. Run without arguments for its usage.
#include <cstdlib>
#include <exception>
#include <iostream>
#include <string>
#include <string_view>

#include "tables/errors.h"
#include "tools/sample_data.h"

namespace {

int usage() {
    std::cerr << "usage: dravik-gen-sample --out DIR [--days N] [--stocks N] [--bench] [--market]\n"
                 "       dravik-gen-sample --list-planted\n"
                 "  --days N    trading days of the price file (default 1200)\n"
                 "  --stocks N  stock columns of the price file, 1 to 197 (default 197)\n"
                 "  --bench     the benchmark size: 4000 days\n"
                 "  --market    about 4000 codes, some with a letter (130A)\n"
                 "  --list-planted  the codes whose newest columns were shaped on purpose\n";
    return 2;
}

bool readCount(const char* text, int& value) {
    char* end = nullptr;
    const long number = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || number < 1 || number > 100000) return false;
    value = static_cast<int>(number);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    sample::Options options;
    bool haveOut = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--out" && hasValue) {
            options.out = argv[++i];
            haveOut = true;
        } else if (arg == "--days" && hasValue) {
            if (!readCount(argv[++i], options.days)) return usage();
        } else if (arg == "--stocks" && hasValue) {
            if (!readCount(argv[++i], options.stocks)) return usage();
        } else if (arg == "--bench") {
            options.days = 4000;
        } else if (arg == "--market") {
            options.market = true;
        } else if (arg == "--list-planted") {
            for (const auto& stock : sample::plantedStocks()) {
                std::cout << stock.code << " " << stock.design << " +" << stock.offset << "\n";
            }
            return 0;
        } else {
            return usage();
        }
    }
    if (!haveOut) return usage();
    try {
        sample::writeSampleRoot(options);
    } catch (const Exception& e) {
        std::cerr << "dravik-gen-sample: " << e.message() << "\n";
        return 1;
    } catch (const std::exception& e) {
        std::cerr << "dravik-gen-sample: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
