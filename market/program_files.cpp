#include "market/program_files.h"

#include <algorithm>
#include <charconv>
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

namespace {

// The shown closes of some codes on the stored days (newest first), read in one pass.
struct CloseTable {
    std::vector<Day> days;
    std::vector<double> values;  // per code, per day
    double at(std::size_t code, std::size_t day) const { return values[code * days.size() + day]; }
};

void appendWholeYen(std::string& line, double price) {
    if (!hasNumber(price)) return;
    char digits[24];
    const auto end =
        std::to_chars(digits, digits + sizeof digits, static_cast<long long>(std::round(price)))
            .ptr;
    line.append(digits, end);
}

// The watch list's headers with names refreshed, and the store's code per column
// (empty when the store does not know it).
struct Watched {
    std::string header;
    std::vector<std::string> codes;
    std::vector<std::string> unknownCodes;
};

Watched watched(const Store& store, const std::vector<std::string>& watchList,
                const std::string& cornerField) {
    Watched result;
    result.header = tables::quoteField(cornerField);
    for (const auto& entry : watchList) {
        const auto issue = entry.empty() ? std::nullopt : store.issueFor(shortCode(entry));
        result.header += ',';
        if (issue) {
            result.header += tables::quoteField(shortCode(issue->code) + cleanName(issue->name));
            result.codes.push_back(issue->code);
        } else {
            result.header += tables::quoteField(entry);
            result.codes.push_back({});
            if (!entry.empty()) result.unknownCodes.push_back(shortCode(entry));
        }
    }
    return result;
}

// Candidate lines from the table: the issues are its first codes; the newest `days` days.
std::vector<std::string> candidateLines(const std::vector<Issue>& issues, const CloseTable& table,
                                        std::size_t days) {
    days = std::min(days, table.days.size());
    std::vector<std::string> lines;
    std::string header;
    for (std::size_t d = 0; d < days; ++d) header.append(",").append(datesText(table.days[d]));
    lines.push_back(std::move(header));
    for (std::size_t c = 0; c < issues.size(); ++c) {
        std::string line =
            tables::quoteField(shortCode(issues[c].code) + cleanName(issues[c].name));
        line.reserve(line.size() + days * 6);
        for (std::size_t d = 0; d < days; ++d) {
            line += ',';
            appendWholeYen(line, table.at(c, d));
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

// Price-file rows from the table: the watched codes start at `first`.
std::vector<std::string> priceLines(const Watched& watch, const CloseTable& table,
                                    std::size_t first) {
    std::vector<std::string> lines{watch.header};
    for (std::size_t d = 0; d < table.days.size(); ++d) {
        std::string line = datesText(table.days[d]);
        for (std::size_t c = 0; c < watch.codes.size(); ++c) {
            line += ',';
            appendWholeYen(line, table.at(first + c, d));
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

CloseTable closeTable(const Store& store, const std::vector<std::string>& codes,
                      std::vector<Day> days) {
    CloseTable table;
    table.values = store.closes(codes, days);
    table.days = std::move(days);
    return table;
}

std::vector<std::string> codesOf(const std::vector<Issue>& issues) {
    std::vector<std::string> codes;
    for (const auto& issue : issues) codes.push_back(issue.code);
    return codes;
}

}  // namespace

std::vector<std::string> candidateFileLines(const Store& store, int days) {
    auto shown = storedDays(store);
    if (static_cast<int>(shown.size()) > days) shown.resize(static_cast<std::size_t>(days));
    const auto issues = listedCommonStocks(store);
    const auto table = closeTable(store, codesOf(issues), std::move(shown));
    return candidateLines(issues, table, table.days.size());
}

PriceFile priceFileLines(const Store& store, const std::vector<std::string>& watchList,
                         const std::string& cornerField) {
    const auto watch = watched(store, watchList, cornerField);
    const auto table = closeTable(store, watch.codes, storedDays(store));
    return {priceLines(watch, table, 0), watch.unknownCodes};
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
                                             int candidateDays,
                                             const std::vector<std::string>& joinWatchList) {
    auto watching = watchList(root);
    for (const auto& code : joinWatchList) {
        const bool known = std::any_of(watching.begin(), watching.end(), [&](const auto& entry) {
            return !entry.empty() && sameCode(entry, code);
        });
        if (!known && watching.size() < kWatchedStocks) watching.push_back(shortCode(code));
    }
    return rebuildProgramFiles(store, root, watching, false, candidateDays);
}

std::vector<std::string> rebuildProgramFiles(Store& store, const data::DataRoot& root,
                                             const std::vector<std::string>& watchedCodes,
                                             bool fresh, int candidateDays) {
    const auto codeList =
        codeListLines(store, fresh ? kDefaultCodeListLine
                                   : firstLineOf(root.codeListFile(), kDefaultCodeListLine));
    const auto dateFile = dateFileLines(
        store, fresh ? kDefaultDateFileLine : firstLineOf(root.dateFile(), kDefaultDateFileLine));
    // One pass over the store for the candidate file and the price file together.
    const auto issues = listedCommonStocks(store);
    const auto watch = watched(store, watchedCodes, fresh ? std::string() : priceCorner(root));
    auto codes = codesOf(issues);
    codes.insert(codes.end(), watch.codes.begin(), watch.codes.end());
    const auto table = closeTable(store, codes, storedDays(store));
    const auto candidates =
        candidateLines(issues, table, static_cast<std::size_t>(std::max(candidateDays, 0)));
    const auto prices = priceLines(watch, table, issues.size());

    for (const auto& file : {root.codeListFile(), root.candidateFile()})
        std::filesystem::create_directories(file.parent_path());
    data::writeLines(root.codeListFile(), codeList);
    data::writeLines(root.dateFile(), dateFile);
    data::writeLines(root.candidateFile(), candidates);
    data::writeLines(root.priceFile(), prices);
    store.setState(kFilesBuiltKey, "1");
    return watch.unknownCodes;
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
