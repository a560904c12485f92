#include "market/program_files.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <ctime>
#include <set>
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
// While a generation's files replace the old ones: the new price file's first line (its
// watch list), so a repair writes the same generation.
constexpr const char* kReplacingKey = "files_replacing";

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

std::function<void(int file)> beforeReplacingFile;

namespace {

// The code list's first line, without the generated sample's mark.
std::string codeListFirstLine(const data::DataRoot& root, bool fresh) {
    if (fresh) return kDefaultCodeListLine;
    const std::string line = firstLineOf(root.codeListFile(), kDefaultCodeListLine);
    return line.find(kSampleMark) == std::string::npos ? line : kDefaultCodeListLine;
}

// The sample's note says its prices are made up; it goes with the sample.
void removeSampleNote(const data::DataRoot& root) {
    const auto note = root.root / "README.txt";
    std::error_code error;
    if (!std::filesystem::is_regular_file(note, error)) return;
    if (data::readText(note).find(kSampleMark) != std::string::npos)
        std::filesystem::remove(note, error);
}

struct GenerationFile {
    data::Path path;
    std::vector<std::string> lines;
};

data::Path withSuffix(const data::Path& path, const char* suffix) {
    return path.string() + suffix;
}

// What a stopped generation leaves beside the files: staged new ones and kept old ones.
void removeLeftovers(const data::DataRoot& root) {
    std::error_code error;
    for (const auto& file :
         {root.codeListFile(), root.dateFile(), root.candidateFile(), root.priceFile()})
        for (const char* suffix : {".new", ".old"})
            std::filesystem::remove(withSuffix(file, suffix), error);
}

void writeGeneration(Store& store, const std::array<GenerationFile, 4>& files) {
    std::vector<data::Staged> staged;
    const auto dropStaged = [&] {
        std::error_code error;
        for (const auto& file : staged) std::filesystem::remove(file.staged, error);
    };
    try {
        for (const auto& file : files) {
            std::error_code error;
            std::filesystem::create_directories(file.path.parent_path(), error);
            staged.push_back(data::stageLines(file.path, file.lines));
        }
        store.setState(kReplacingKey, files[3].lines.front());
    } catch (...) {
        dropStaged();
        throw;
    }
    // The old files are kept (a second link) until all four new ones are in place.
    std::vector<bool> hadOld;
    try {
        for (std::size_t i = 0; i < staged.size(); ++i) {
            if (beforeReplacingFile) beforeReplacingFile(static_cast<int>(i));
            const auto& file = staged[i];
            const data::Path old = withSuffix(file.target, ".old");
            std::error_code error;
            std::filesystem::remove(old, error);
            const bool exists = std::filesystem::exists(file.target, error);
            if (exists && ::link(file.target.c_str(), old.c_str()) != 0) {
                std::filesystem::copy_file(file.target, old, error);
                if (error) throwCannotCreate(data::pathText(files[i].path));
            }
            hadOld.push_back(exists);
            if (std::rename(file.staged.c_str(), file.target.c_str()) != 0)
                throwCannotCreate(data::pathText(files[i].path));
        }
    } catch (...) {
        for (std::size_t i = 0; i < hadOld.size(); ++i) {
            const auto& target = staged[i].target;
            std::error_code error;
            if (hadOld[i])
                std::filesystem::rename(withSuffix(target, ".old"), target, error);
            else
                std::filesystem::remove(target, error);
        }
        dropStaged();
        try {
            store.setState(kReplacingKey, "");
        } catch (const MarketError&) {
        }
        throw;
    }
    std::set<data::Path> folders;
    for (const auto& file : staged) folders.insert(file.target.parent_path());
    for (const auto& folder : folders) data::syncFolder(folder);
    {
        // The generation's mark, written last.
        Store::Transaction transaction(store);
        store.setState(kFilesBuiltKey, "1");
        store.setState(kReplacingKey, "");
        transaction.commit();
    }
    std::error_code error;
    for (const auto& file : staged) std::filesystem::remove(withSuffix(file.target, ".old"), error);
}

}  // namespace

namespace {

// One generation of the four files from the store; returns the unknown watch-list codes.
std::vector<std::string> writeFromStore(Store& store, const data::DataRoot& root,
                                        const std::vector<std::string>& watchedCodes,
                                        const std::string& corner, const std::string& codeListLine,
                                        const std::string& dateFileLine, int candidateDays) {
    const auto codeList = codeListLines(store, codeListLine);
    const auto dateFile = dateFileLines(store, dateFileLine);
    // One pass over the store for the candidate file and the price file together.
    const auto issues = listedCommonStocks(store);
    const auto watch = watched(store, watchedCodes, corner);
    auto codes = codesOf(issues);
    codes.insert(codes.end(), watch.codes.begin(), watch.codes.end());
    const auto table = closeTable(store, codes, storedDays(store));
    writeGeneration(
        store,
        {GenerationFile{root.codeListFile(), codeList},
         {root.dateFile(), dateFile},
         {root.candidateFile(),
          candidateLines(issues, table, static_cast<std::size_t>(std::max(candidateDays, 0)))},
         {root.priceFile(), priceLines(watch, table, issues.size())}});
    return watch.unknownCodes;
}

}  // namespace

std::vector<std::string> rebuildProgramFiles(Store& store, const data::DataRoot& root,
                                             const std::vector<std::string>& watchedCodes,
                                             bool fresh, int candidateDays) {
    const std::string codeListLine = codeListFirstLine(root, fresh);
    const bool clearsSample =
        fresh || codeListLine != firstLineOf(root.codeListFile(), kDefaultCodeListLine);
    auto unknown = writeFromStore(
        store, root, watchedCodes, fresh ? std::string() : priceCorner(root), codeListLine,
        fresh ? kDefaultDateFileLine : firstLineOf(root.dateFile(), kDefaultDateFileLine),
        candidateDays);
    if (clearsSample) removeSampleNote(root);
    return unknown;
}

std::string repairProgramFiles(Store& store, const data::DataRoot& root) {
    const auto replacing = store.state(kReplacingKey);
    if (!replacing || replacing->empty()) return {};
    // The watch list the stopped generation was written with.
    auto fields = tables::splitCommaText(*replacing);
    const std::string corner = fields.empty() ? std::string() : fields.front();
    if (!fields.empty()) fields.erase(fields.begin());
    if (fields.size() > kWatchedStocks) fields.resize(kWatchedStocks);
    removeLeftovers(root);
    writeFromStore(store, root, fields, corner, codeListFirstLine(root, false),
                   firstLineOf(root.dateFile(), kDefaultDateFileLine), kCandidateDays);
    return "前回の更新か取り込みが途中で止まり、プログラムのファイルの組がそろっていなかったため、"
           "市場データから作り直しました。";
}

std::string repairProgramFiles(const data::DataRoot& root) {
    std::error_code error;
    if (!std::filesystem::exists(Store::fileIn(root), error)) return {};
    const auto lock = RootLock::tryTake(root);
    if (!lock) return {};  // the update at work finishes its own generation
    Store store(Store::fileIn(root));
    return repairProgramFiles(store, root);
}

// ---------------------------------------------------------------------------------

KeptHistory keepPriceFileHistory(Store& store, const data::DataRoot& root) {
    KeptHistory kept;
    std::error_code error;
    if (!std::filesystem::is_regular_file(root.priceFile(), error)) return kept;
    const auto lines = data::readLines(root.priceFile());
    if (lines.size() < 2) return kept;
    auto header = tables::splitCommaText(lines.front());
    if (header.size() > kWatchedStocks + 1) header.resize(kWatchedStocks + 1);
    // The store's code of each column; empty for a column that names no stock.
    std::vector<std::string> codes(header.size());
    std::vector<std::string> names(header.size());
    for (std::size_t c = 1; c < header.size(); ++c) {
        const std::string_view entry = header[c];
        const std::string code(codeKey(entry));
        const bool isCode = code.size() == 4 && code[0] >= '0' && code[0] <= '9' &&
                            std::all_of(code.begin(), code.end(), [](char ch) {
                                return (ch >= '0' && ch <= '9') || (ch >= 'A' && ch <= 'Z');
                            });
        if (!isCode) continue;
        const auto issue = store.issueFor(code);
        codes[c] = issue ? issue->code : code + "0";
        names[c] = cleanName(entry.substr(code.size()));
    }
    std::vector<Day> days;
    std::vector<std::size_t> rows;
    for (std::size_t r = 1; r < lines.size(); ++r) {
        const auto comma = lines[r].find(',');
        if (const auto day = parseDate(std::string_view(lines[r]).substr(0, comma))) {
            days.push_back(*day);
            rows.push_back(r);
        }
    }
    const auto held = store.closes(codes, days);
    std::vector<Bar> missing;
    for (std::size_t d = 0; d < days.size(); ++d) {
        const auto fields = tables::splitCommaText(lines[rows[d]]);
        for (std::size_t c = 1; c < codes.size() && c < fields.size(); ++c) {
            if (codes[c].empty() || hasNumber(held[c * days.size() + d])) continue;
            const auto value = tryToFloat(fields[c]);
            if (!value || !(*value > 0) || *value >= 1e9) continue;
            Bar bar;
            bar.code = codes[c];
            bar.day = days[d];
            bar.close = static_cast<double>(*value);
            missing.push_back(std::move(bar));
        }
    }
    if (missing.empty()) return kept;
    std::sort(missing.begin(), missing.end(), [](const Bar& a, const Bar& b) {
        return a.day != b.day ? a.day < b.day : a.code < b.code;
    });
    Store::Transaction transaction(store);
    std::set<std::string> added;
    for (std::size_t c = 1; c < codes.size(); ++c)
        if (!codes[c].empty() && !store.issueFor(shortCode(codes[c])))
            if (std::any_of(missing.begin(), missing.end(),
                            [&](const Bar& bar) { return bar.code == codes[c]; }))
                store.addIssue({codes[c], names[c]});
    const auto inserted = store.fillBars(missing);
    std::set<std::string> keptCodes;
    for (std::size_t i = 0; i < missing.size(); ++i) {
        if (!inserted[i]) continue;
        ++kept.rows;
        keptCodes.insert(shortCode(missing[i].code));
    }
    transaction.commit();
    kept.codes.assign(keptCodes.begin(), keptCodes.end());
    return kept;
}

std::filesystem::path setDamagedStoreAside(const data::DataRoot& root) {
    const RootLock lock(root);
    const auto file = Store::fileIn(root);
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    const auto kept = withSuffix(file, (std::string(".damaged-") + stamp).c_str());
    std::error_code error;
    std::filesystem::rename(file, kept, error);
    if (error)
        throw MarketError("壊れた市場データ " + file.string() + " を " + kept.filename().string() +
                          " として残せません: " + error.message());
    // The journal belongs to the damaged file.
    for (const char* journal : {"-wal", "-shm"})
        if (std::filesystem::exists(withSuffix(file, journal), error))
            std::filesystem::rename(withSuffix(file, journal), withSuffix(kept, journal), error);
    return kept;
}

// ---------------------------------------------------------------------------------

RootLock::RootLock(const data::DataRoot& root) {
    if (!take(root)) throw Busy("別の更新が実行中です。終わってからもう一度実行してください。");
}

RootLock::~RootLock() {
    if (fd_ >= 0) ::close(fd_);
}

std::unique_ptr<RootLock> RootLock::tryTake(const data::DataRoot& root) {
    std::unique_ptr<RootLock> lock(new RootLock);
    if (!lock->take(root)) return nullptr;
    return lock;
}

bool RootLock::take(const data::DataRoot& root) {
    const auto file = root.root / "dravik" / "update.lock";
    std::error_code error;
    std::filesystem::create_directories(file.parent_path(), error);
    fd_ = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    // A root where no lock can be made (read-only) is written by nobody; the work then
    // fails with its own message.
    if (fd_ < 0) return true;
    if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) return true;
    const bool busy = errno == EWOULDBLOCK;
    ::close(fd_);
    fd_ = -1;
    return !busy;
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
