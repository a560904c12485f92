#pragma once
// Every file of the system lies at a fixed place under the data root.
#include <filesystem>

namespace data {

struct DataRoot {
    std::filesystem::path root;

    std::filesystem::path priceFile() const { return root / "quendal" / "デ-タ一覧.csv"; }
    std::filesystem::path codeListFile() const { return root / "quendal" / "zenncode.txt"; }
    std::filesystem::path dateFile() const { return root / "quendal" / "hizuke.csv"; }
    std::filesystem::path pageFile() const { return root / "quendal" / "rireki.txt"; }
    std::filesystem::path settingsFile() const { return root / "dravik" / "memo.csv"; }
    std::filesystem::path servicesFile() const { return root / "dravik" / "services.csv"; }
    // The results list's own preferences (拡張パターン), apart from the settings file.
    std::filesystem::path patternListFile() const { return root / "dravik" / "patterns.csv"; }
    // The market view's own preferences ("相対力の枠,0.065").
    std::filesystem::path marketPreferencesFile() const { return root / "dravik" / "market.csv"; }
    std::filesystem::path candidateFile() const { return root / "kouho" / "kabuka" / "kabuka.csv"; }
};

}  // namespace data
