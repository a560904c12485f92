#pragma once
// dravik-cli breadth, rs and report: the whole market's bullish percents, a stock's
// relative strength and the morning's report of what changed, from the data root's store;
// and the line the update ends with.
#include <filesystem>
#include <map>
#include <optional>
#include <string>

namespace app {

// Each returns the exit status: 0 done, 1 failed (the message printed), 2 wrong usage.
int runBreadth(const std::filesystem::path& root,
               const std::map<std::string, std::string>& options);
int runRs(const std::filesystem::path& root, const std::string& code,
          const std::map<std::string, std::string>& options);
int runReport(const std::filesystem::path& root, const std::map<std::string, std::string>& options);

// "強気％ 58.3%（強気確認）, 業種の変化 3, 新しいシグナル 41" for the data root, computed
// (and kept) as the update ends; nothing (the reason printed) when it cannot be.
std::optional<std::string> morningNotice(const std::filesystem::path& root);

}  // namespace app
