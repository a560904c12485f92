#include "market/program_files.h"

#include <algorithm>
#include <cmath>
#include <system_error>

#include "data/text_file.h"
#include "tables/comma_text.h"
#include "tables/convert.h"

namespace market {

namespace {

constexpr int kDateFileDays = 1000;
constexpr std::size_t kWatchedStocks = kPriceFileStocks;
constexpr const char* kDefaultCodeListLine = "コード\t銘柄名";
constexpr const char* kDefaultDateFileLine = "日付,取得日付,表示日付";
// The code list of the generated sample says so on its first line.
constexpr const char* kSampleMark = "見本データ";
constexpr const char* kFilesBuiltKey = "files_built";

// A name fit for one field of one line: no control characters.
std::string cleanName(std::string_view name) {
    std::string clean;
    clean.reserve(name.size());
    for (char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u != 0x7F) clean += c;
    }
    return clean;
}

// Imported stocks the exchange does not list count as listed here.
std::vector<Issue> listedCommonStocks(const Store& store) {
    auto issues = store.listedAndImportedIssues();
    std::erase_if(issues, [](const Issue& issue) { return !isCommonStock(issue.code); });
    return issues;  // ascending by code as text
}

std::string firstLineOf(const data::Path& file, const char* fallback) {
    std::error_code error;
    if (std::filesystem::is_regular_file(file, error)) {
        const auto lines = data::readLines(file);
        if (!lines.empty()) return lines.front();
    }
    return fallback;
}

std::string datesText(Day day) {
    return formatDate(day);
}

}  // namespace

std::vector<std::string> watchList(const data::DataRoot& root) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(root.priceFile(), error)) return {};
    const auto lines = data::readLines(root.priceFile());
    if (lines.empty()) return {};
    auto fields = tables::splitCommaText(lines.front());
    if (fields.empty()) return {};
    fields.erase(fields.begin());
    if (fields.size() > kWatchedStocks) fields.resize(kWatchedStocks);
    return fields;
}

std::vector<Day> storedDays(const Store& store) {
    const auto barDays = store.barDays();
    if (barDays.empty()) return {};
    const auto calendar = store.tradingDays();
    std::vector<Day> days;
    if (calendar.empty()) {
        days = barDays;
    } else {
        const Day oldest = barDays.front(), newest = barDays.back();
        for (Day day : calendar)
            if (day >= oldest && day <= newest) days.push_back(day);
        for (Day day : barDays)
            if (day < calendar.front() || day > calendar.back()) days.push_back(day);
        std::sort(days.begin(), days.end());
    }
    std::reverse(days.begin(), days.end());
    return days;
}

std::string wholeYen(double price) {
    if (!hasNumber(price)) return {};
    return intToStr(static_cast<long long>(std::round(price)));
}

std::vector<std::string> codeListLines(const Store& store, const std::string& firstLine) {
    std::vector<std::string> lines{firstLine};
    for (const auto& issue : listedCommonStocks(store))
        lines.push_back(shortCode(issue.code) + "\t" + cleanName(issue.name));
    return lines;
}

std::vector<std::string> dateFileLines(const Store& store, const std::string& firstLine) {
    std::vector<Day> days = store.tradingDays();
    const auto barDays = store.barDays();
    if (days.empty()) days = barDays;
    if (!barDays.empty()) std::erase_if(days, [&](Day day) { return day > barDays.back(); });
    std::reverse(days.begin(), days.end());
    std::vector<std::string> lines{firstLine};
    for (std::size_t i = 0; i < days.size() && i < kDateFileDays; ++i) {
        const std::string date = datesText(days[i]);
        lines.push_back(date + "," + date + "," + date);
    }
    // The reader wants all 1000 rows; a calendar that short leaves the rest empty.
    lines.resize(kDateFileDays + 1);
    return lines;
}

std::vector<std::string> candidateFileLines(const Store& store, int days) {
    auto shown = storedDays(store);
    if (static_cast<int>(shown.size()) > days) shown.resize(static_cast<std::size_t>(days));
    const auto issues = listedCommonStocks(store);
    std::vector<std::string> codes;
    for (const auto& issue : issues) codes.push_back(issue.code);
    const auto prices = store.closes(codes, shown);

    std::vector<std::string> lines;
    std::string header;
    for (Day day : shown) header += "," + datesText(day);
    lines.push_back(std::move(header));
    for (std::size_t c = 0; c < issues.size(); ++c) {
        std::string line =
            tables::quoteField(shortCode(issues[c].code) + cleanName(issues[c].name));
        for (std::size_t d = 0; d < shown.size(); ++d) {
            line += ',';
            line += wholeYen(prices[c * shown.size() + d]);
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

PriceFile priceFileLines(const Store& store, const std::vector<std::string>& watchList,
                         const std::string& cornerField) {
    PriceFile file;
    std::vector<std::string> codes;  // the store's code per column, empty when unknown
    std::string header = tables::quoteField(cornerField);
    for (const auto& entry : watchList) {
        const auto issue = entry.empty() ? std::nullopt : store.issueFor(shortCode(entry));
        header += ',';
        if (issue) {
            header += tables::quoteField(shortCode(issue->code) + cleanName(issue->name));
            codes.push_back(issue->code);
        } else {
            header += tables::quoteField(entry);
            codes.push_back({});
            if (!entry.empty()) file.unknownCodes.push_back(shortCode(entry));
        }
    }
    file.lines.push_back(std::move(header));
    const auto days = storedDays(store);
    const auto prices = store.closes(codes, days);
    for (std::size_t d = 0; d < days.size(); ++d) {
        std::string line = datesText(days[d]);
        for (std::size_t c = 0; c < codes.size(); ++c) {
            line += ',';
            line += wholeYen(prices[c * days.size() + d]);
        }
        file.lines.push_back(std::move(line));
    }
    return file;
}

void writeCodeList(const Store& store, const data::DataRoot& root) {
    const auto file = root.codeListFile();
    std::filesystem::create_directories(file.parent_path());
    data::writeLines(file, codeListLines(store, firstLineOf(file, kDefaultCodeListLine)));
}

void writeDateFile(const Store& store, const data::DataRoot& root) {
    const auto file = root.dateFile();
    std::filesystem::create_directories(file.parent_path());
    data::writeLines(file, dateFileLines(store, firstLineOf(file, kDefaultDateFileLine)));
}

void writeCandidateFile(const Store& store, const data::DataRoot& root, int days) {
    const auto file = root.candidateFile();
    std::filesystem::create_directories(file.parent_path());
    data::writeLines(file, candidateFileLines(store, days));
}

namespace {

std::string priceCorner(const data::DataRoot& root) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(root.priceFile(), error)) return {};
    const auto lines = data::readLines(root.priceFile());
    if (lines.empty()) return {};
    const auto fields = tables::splitCommaText(lines.front());
    return fields.empty() ? std::string() : fields.front();
}

}  // namespace

std::vector<std::string> writePriceFile(const Store& store, const data::DataRoot& root) {
    const auto file = root.priceFile();
    std::filesystem::create_directories(file.parent_path());
    auto built = priceFileLines(store, watchList(root), priceCorner(root));
    data::writeLines(file, built.lines);
    return built.unknownCodes;
}

std::vector<std::string> rebuildProgramFiles(Store& store, const data::DataRoot& root,
                                             int candidateDays) {
    return rebuildProgramFiles(store, root, watchList(root), false, candidateDays);
}

std::vector<std::string> rebuildProgramFiles(Store& store, const data::DataRoot& root,
                                             const std::vector<std::string>& watched, bool fresh,
                                             int candidateDays) {
    const auto codeList =
        codeListLines(store, fresh ? kDefaultCodeListLine
                                   : firstLineOf(root.codeListFile(), kDefaultCodeListLine));
    const auto dateFile = dateFileLines(
        store, fresh ? kDefaultDateFileLine : firstLineOf(root.dateFile(), kDefaultDateFileLine));
    const auto candidates = candidateFileLines(store, candidateDays);
    auto prices = priceFileLines(store, watched, fresh ? std::string() : priceCorner(root));

    for (const auto& file : {root.codeListFile(), root.candidateFile()})
        std::filesystem::create_directories(file.parent_path());
    data::writeLines(root.codeListFile(), codeList);
    data::writeLines(root.dateFile(), dateFile);
    data::writeLines(root.candidateFile(), candidates);
    data::writeLines(root.priceFile(), prices.lines);
    store.setState(kFilesBuiltKey, "1");
    return prices.unknownCodes;
}

bool holdsGeneratedSample(const data::DataRoot& root) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(root.codeListFile(), error)) return false;
    if (firstLineOf(root.codeListFile(), "").find(kSampleMark) == std::string::npos) return false;
    const auto storeFile = Store::fileIn(root);
    if (!std::filesystem::exists(storeFile, error)) return true;
    try {
        const Store store(storeFile);
        return !store.state(kFilesBuiltKey).has_value();
    } catch (const MarketError&) {
        return true;
    }
}

}  // namespace market
