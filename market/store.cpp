#include "market/store.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <unordered_map>

#include "tables/convert.h"

namespace market {

namespace {

constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS issues(
  code TEXT PRIMARY KEY,
  short_code TEXT NOT NULL,
  name TEXT NOT NULL DEFAULT '',
  name_en TEXT NOT NULL DEFAULT '',
  market TEXT NOT NULL DEFAULT '',
  market_name TEXT NOT NULL DEFAULT '',
  sector17 TEXT NOT NULL DEFAULT '',
  sector17_name TEXT NOT NULL DEFAULT '',
  sector33 TEXT NOT NULL DEFAULT '',
  sector33_name TEXT NOT NULL DEFAULT '',
  scale_cat TEXT NOT NULL DEFAULT '',
  listed INTEGER NOT NULL DEFAULT 0,
  source INTEGER NOT NULL DEFAULT 0
) WITHOUT ROWID;
CREATE INDEX IF NOT EXISTS issues_by_short_code ON issues(short_code);
CREATE TABLE IF NOT EXISTS calendar(
  day INTEGER PRIMARY KEY,
  kind INTEGER NOT NULL
);
-- Keyed by day: the bars of a fetched day go to one place, so its transaction writes
-- few pages. Lookups by code scan (once per split refetch or quick collection).
CREATE TABLE IF NOT EXISTS bars(
  day INTEGER NOT NULL,
  code TEXT NOT NULL,
  open REAL, high REAL, low REAL, close REAL, volume REAL,
  adj_factor REAL, adj_close REAL,
  source INTEGER NOT NULL,
  fetch INTEGER NOT NULL,
  PRIMARY KEY(day, code)
) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS fetched_days(
  day INTEGER PRIMARY KEY,
  rows INTEGER NOT NULL,
  fetch INTEGER NOT NULL
);
CREATE TABLE IF NOT EXISTS pending_refetch(code TEXT PRIMARY KEY) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS state(key TEXT PRIMARY KEY, value TEXT NOT NULL) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS index_bars(
  code TEXT NOT NULL,
  day INTEGER NOT NULL,
  open REAL, high REAL, low REAL, close REAL,
  PRIMARY KEY(code, day)
) WITHOUT ROWID;
-- What changed in the bars since a revision (the analyses' cache catches up from it): a
-- day stored anew (code '') or an issue changed on any day (day 0).
CREATE TABLE IF NOT EXISTS bar_changes(
  seq INTEGER PRIMARY KEY AUTOINCREMENT,
  day INTEGER NOT NULL DEFAULT 0,
  code TEXT NOT NULL DEFAULT ''
);
CREATE TABLE IF NOT EXISTS analysis_cache(key TEXT PRIMARY KEY, value BLOB NOT NULL);
)sql";

// The changes kept in bar_changes; older ones are let go (a cache that old starts over).
constexpr long long kKeptChanges = 20000;

constexpr const char* kBarColumns =
    "code, day, open, high, low, close, volume, adj_factor, adj_close";

// A store SQLite cannot read at all; the user can only set it aside.
[[noreturn]] void damaged(const std::filesystem::path& file, const std::string& reason) {
    throw StoreDamaged("市場データの保存先 " + file.string() + " が壊れています (" + reason +
                           ")。dravik-cli update を実行すると、壊れたファイルを " +
                           file.filename().string() +
                           ".damaged-日付-時刻 として残し、市場データを作り直します。",
                       file);
}

[[noreturn]] void fail(sqlite3* db, const std::filesystem::path& file) {
    const std::string reason = db ? sqlite3_errmsg(db) : "out of memory";
    const int code = db ? (sqlite3_errcode(db) & 0xFF) : SQLITE_NOMEM;
    if (code == SQLITE_CORRUPT || code == SQLITE_NOTADB) damaged(file, reason);
    throw MarketError("市場データの保存先 " + file.string() + " を使えません: " + reason);
}

class Statement {
  public:
    Statement(sqlite3* db, const std::filesystem::path& file, const char* sql)
        : db_(db), file_(file) {
        if (sqlite3_prepare_v2(db, sql, -1, &statement_, nullptr) != SQLITE_OK) fail(db_, file_);
    }
    ~Statement() { sqlite3_finalize(statement_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& bind(int index, long long value) {
        check(sqlite3_bind_int64(statement_, index, value));
        return *this;
    }
    Statement& bind(int index, double value) {
        check(hasNumber(value) ? sqlite3_bind_double(statement_, index, value)
                               : sqlite3_bind_null(statement_, index));
        return *this;
    }
    Statement& bind(int index, std::string_view text) {
        check(sqlite3_bind_text(statement_, index, text.data(), static_cast<int>(text.size()),
                                SQLITE_TRANSIENT));
        return *this;
    }
    Statement& bindBlob(int index, std::string_view bytes) {
        check(sqlite3_bind_blob(statement_, index, bytes.data(), static_cast<int>(bytes.size()),
                                SQLITE_TRANSIENT));
        return *this;
    }
    std::string blob(int column) const {
        const auto* bytes = static_cast<const char*>(sqlite3_column_blob(statement_, column));
        return bytes
                   ? std::string(bytes,
                                 static_cast<std::size_t>(sqlite3_column_bytes(statement_, column)))
                   : std::string();
    }
    Statement& bind(int index, Day day) {
        return bind(index, static_cast<long long>(dayNumber(day)));
    }

    // True while there is a row to read.
    bool step() {
        const int result = sqlite3_step(statement_);
        if (result == SQLITE_ROW) return true;
        if (result != SQLITE_DONE) fail(db_, file_);
        return false;
    }
    void run() {
        step();
        reset();
    }
    // Every parameter is bound afresh before the next run.
    void reset() { sqlite3_reset(statement_); }

    long long integer(int column) const { return sqlite3_column_int64(statement_, column); }
    double number(int column) const {
        return sqlite3_column_type(statement_, column) == SQLITE_NULL
                   ? kNoValue
                   : sqlite3_column_double(statement_, column);
    }
    std::string text(int column) const {
        const auto* bytes = sqlite3_column_text(statement_, column);
        return bytes
                   ? std::string(reinterpret_cast<const char*>(bytes),
                                 static_cast<std::size_t>(sqlite3_column_bytes(statement_, column)))
                   : std::string();
    }
    // Valid until the next step.
    std::string_view textView(int column) const {
        const auto* bytes = sqlite3_column_text(statement_, column);
        return bytes ? std::string_view(
                           reinterpret_cast<const char*>(bytes),
                           static_cast<std::size_t>(sqlite3_column_bytes(statement_, column)))
                     : std::string_view();
    }
    Day day(int column) const { return dayOf(static_cast<int>(integer(column))); }
    bool isNull(int column) const { return sqlite3_column_type(statement_, column) == SQLITE_NULL; }

  private:
    void check(int result) {
        if (result != SQLITE_OK) fail(db_, file_);
    }
    sqlite3* db_;
    const std::filesystem::path& file_;
    sqlite3_stmt* statement_ = nullptr;
};

// Makes a change of several rows whole on its own, or a part of the caller's transaction.
class Savepoint {
  public:
    Savepoint(sqlite3* db, const std::filesystem::path& file) : db_(db) {
        if (sqlite3_exec(db_, "SAVEPOINT change", nullptr, nullptr, nullptr) != SQLITE_OK)
            fail(db_, file);
    }
    ~Savepoint() {
        if (!released_)
            sqlite3_exec(db_, "ROLLBACK TO change; RELEASE change", nullptr, nullptr, nullptr);
    }
    void release(const std::filesystem::path& file) {
        if (sqlite3_exec(db_, "RELEASE change", nullptr, nullptr, nullptr) != SQLITE_OK)
            fail(db_, file);
        released_ = true;
    }
    Savepoint(const Savepoint&) = delete;
    Savepoint& operator=(const Savepoint&) = delete;

  private:
    sqlite3* db_;
    bool released_ = false;
};

Issue issueFrom(const Statement& row) {
    return Issue{row.text(0), row.text(1), row.text(2),         row.text(3),
                 row.text(4), row.text(5), row.text(6),         row.text(7),
                 row.text(8), row.text(9), row.integer(10) != 0};
}

constexpr const char* kIssueColumns =
    "code, name, name_en, market, market_name, sector17, sector17_name, sector33, "
    "sector33_name, scale_cat, listed";

Bar barFrom(const Statement& row) {
    Bar bar;
    bar.code = row.text(0);
    bar.day = row.day(1);
    bar.open = row.number(2);
    bar.high = row.number(3);
    bar.low = row.number(4);
    bar.close = row.number(5);
    bar.volume = row.number(6);
    bar.adjFactor = row.number(7);
    bar.adjClose = row.number(8);
    return bar;
}

}  // namespace

std::string shortCode(std::string_view code) {
    return std::string(firstChars(code, 4));
}

bool isCommonStock(std::string_view code) {
    return code.size() == 5 && code.back() == '0';
}

double shownClose(const Bar& bar) {
    return hasNumber(bar.adjClose) ? bar.adjClose : bar.close;
}

int dayNumber(Day day) {
    const std::chrono::year_month_day date{day};
    return static_cast<int>(date.year()) * 10000 + static_cast<int>(unsigned(date.month())) * 100 +
           static_cast<int>(unsigned(date.day()));
}

Day dayOf(int number) {
    return Day{std::chrono::year{number / 10000} /
               std::chrono::month(unsigned(number / 100 % 100)) /
               std::chrono::day(unsigned(number % 100))};
}

std::optional<Day> parseIsoDay(std::string_view text) {
    std::string digits;
    if (text.size() == 10 && text[4] == '-' && text[7] == '-') {
        digits = std::string(text.substr(0, 4)) + std::string(text.substr(5, 2)) +
                 std::string(text.substr(8, 2));
    } else if (text.size() == 8) {
        digits = std::string(text);
    } else {
        return std::nullopt;
    }
    for (char c : digits)
        if (c < '0' || c > '9') return std::nullopt;
    const int number = std::stoi(digits);
    const std::chrono::year_month_day date{std::chrono::year{number / 10000},
                                           std::chrono::month(unsigned(number / 100 % 100)),
                                           std::chrono::day(unsigned(number % 100))};
    if (!date.ok()) return std::nullopt;
    return Day{date};
}

std::string isoText(Day day) {
    const int number = dayNumber(day);
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", number / 10000, number / 100 % 100,
                  number % 100);
    return text;
}

// ---------------------------------------------------------------------------------

Store::Store(const std::filesystem::path& file) : file_(file) {
    std::error_code error;
    std::filesystem::create_directories(file.parent_path(), error);
    if (sqlite3_open_v2(file.c_str(), &db_,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK) {
        const std::string reason = db_ ? sqlite3_errmsg(db_) : "out of memory";
        sqlite3_close(db_);
        db_ = nullptr;
        throw MarketError("市場データの保存先 " + file.string() + " を使えません: " + reason);
    }
    try {
        sqlite3_busy_timeout(db_, 10000);
        exec("PRAGMA journal_mode=WAL");
        exec("PRAGMA synchronous=NORMAL");
        exec("PRAGMA cache_size=-65536");
        exec("PRAGMA mmap_size=1073741824");
        exec(kSchema);
        upgrade();
    } catch (...) {
        sqlite3_close(db_);
        throw;
    }
}

Store::~Store() {
    sqlite3_close(db_);
}

// A store made before a column was added gets it in place; its rows keep their data.
void Store::upgrade() {
    bool scaleCategory = false;
    {
        Statement columns(db_, file_, "PRAGMA table_info(issues)");
        while (columns.step())
            if (columns.textView(1) == "scale_cat") scaleCategory = true;
    }
    if (!scaleCategory) exec("ALTER TABLE issues ADD COLUMN scale_cat TEXT NOT NULL DEFAULT ''");
}

void Store::exec(const char* sql) {
    if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK) fail(db_, file_);
}

Store::Transaction::Transaction(Store& store)
    : store_(store), nested_(sqlite3_get_autocommit(store.db_) == 0) {
    store_.exec(nested_ ? "SAVEPOINT part" : "BEGIN IMMEDIATE");
}

Store::Transaction::~Transaction() {
    if (!done_)
        sqlite3_exec(store_.db_, nested_ ? "ROLLBACK TO part; RELEASE part" : "ROLLBACK", nullptr,
                     nullptr, nullptr);
}

void Store::Transaction::commit() {
    store_.exec(nested_ ? "RELEASE part" : "COMMIT");
    done_ = true;
}

// --- Issues ---

void Store::setListedIssues(const std::vector<Issue>& issues) {
    Savepoint change(db_, file_);
    exec("UPDATE issues SET listed = 0");
    Statement put(db_, file_,
                  "INSERT INTO issues(code, short_code, name, name_en, market, market_name, "
                  "sector17, sector17_name, sector33, sector33_name, scale_cat, listed, source) "
                  "VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, 1, 0) "
                  "ON CONFLICT(code) DO UPDATE SET name = ?3, name_en = ?4, market = ?5, "
                  "market_name = ?6, sector17 = ?7, sector17_name = ?8, sector33 = ?9, "
                  "sector33_name = ?10, scale_cat = ?11, listed = 1, source = 0");
    for (const auto& issue : issues) {
        put.bind(1, issue.code).bind(2, shortCode(issue.code)).bind(3, issue.name);
        put.bind(4, issue.nameEn).bind(5, issue.market).bind(6, issue.marketName);
        put.bind(7, issue.sector17).bind(8, issue.sector17Name).bind(9, issue.sector33);
        put.bind(10, issue.sector33Name).bind(11, issue.scaleCategory).run();
    }
    change.release(file_);
}

void Store::addIssue(const Issue& issue) {
    Statement put(db_, file_,
                  "INSERT OR IGNORE INTO issues(code, short_code, name, name_en, listed, source) "
                  "VALUES(?1, ?2, ?3, ?4, 0, 1)");
    put.bind(1, issue.code).bind(2, shortCode(issue.code)).bind(3, issue.name);
    put.bind(4, issue.nameEn).run();
}

std::vector<Issue> Store::listedIssues() const {
    const std::string sql =
        std::string("SELECT ") + kIssueColumns + " FROM issues WHERE listed = 1 ORDER BY code";
    Statement rows(db_, file_, sql.c_str());
    std::vector<Issue> issues;
    while (rows.step()) issues.push_back(issueFrom(rows));
    return issues;
}

std::vector<Issue> Store::listedAndImportedIssues() const {
    const std::string sql = std::string("SELECT ") + kIssueColumns +
                            " FROM issues WHERE listed = 1 OR source = 1 ORDER BY code";
    Statement rows(db_, file_, sql.c_str());
    std::vector<Issue> issues;
    while (rows.step()) issues.push_back(issueFrom(rows));
    return issues;
}

void Store::nameImportedIssue(std::string_view code, std::string_view name) {
    Statement put(db_, file_, "UPDATE issues SET name = ?2 WHERE code = ?1 AND source = 1");
    put.bind(1, code).bind(2, name).run();
}

std::optional<Issue> Store::issueFor(std::string_view code) const {
    // The common stock first, then a listed issue, then the lowest code.
    const std::string sql = std::string("SELECT ") + kIssueColumns +
                            " FROM issues WHERE short_code = ?1 ORDER BY "
                            "(length(code) = 5 AND substr(code, 5) = '0') DESC, listed DESC, "
                            "code LIMIT 1";
    Statement rows(db_, file_, sql.c_str());
    rows.bind(1, shortCode(code));
    if (!rows.step()) return std::nullopt;
    return issueFrom(rows);
}

std::vector<Issue> Store::allIssues() const {
    const std::string sql = std::string("SELECT ") + kIssueColumns + " FROM issues ORDER BY code";
    Statement rows(db_, file_, sql.c_str());
    std::vector<Issue> issues;
    while (rows.step()) issues.push_back(issueFrom(rows));
    return issues;
}

// --- Calendar ---

void Store::setCalendar(const std::vector<CalendarDay>& days) {
    Savepoint change(db_, file_);
    exec("DELETE FROM calendar");
    Statement put(db_, file_, "INSERT OR REPLACE INTO calendar(day, kind) VALUES(?1, ?2)");
    for (const auto& day : days)
        put.bind(1, day.day).bind(2, static_cast<long long>(day.kind)).run();
    change.release(file_);
}

std::vector<Day> Store::closedDays() const {
    Statement rows(db_, file_, "SELECT day FROM calendar WHERE kind IN (0, 3) ORDER BY day");
    std::vector<Day> days;
    while (rows.step()) days.push_back(rows.day(0));
    return days;
}

std::vector<Day> Store::tradingDays() const {
    Statement rows(db_, file_, "SELECT day FROM calendar WHERE kind IN (1, 2) ORDER BY day");
    std::vector<Day> days;
    while (rows.step()) days.push_back(rows.day(0));
    return days;
}

// --- Bars ---

void Store::putBars(const std::vector<Bar>& bars, Source source, int fetch) {
    // A price from the exchange wins over an imported one; an import fills gaps and
    // replaces earlier imports only.
    const std::string values =
        std::string(kBarColumns) +
        ", source, fetch) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11)";
    const std::string sql =
        source == Source::exchange
            ? "INSERT OR REPLACE INTO bars(" + values
            : "INSERT INTO bars(" + values +
                  " ON CONFLICT(day, code) DO UPDATE SET open = ?3, high = ?4, low = ?5, "
                  "close = ?6, volume = ?7, adj_factor = ?8, adj_close = ?9, source = ?10, "
                  "fetch = ?11 WHERE bars.source = 1";
    Savepoint change(db_, file_);
    Statement put(db_, file_, sql.c_str());
    for (const auto& bar : bars) {
        put.bind(1, bar.code).bind(2, bar.day).bind(3, bar.open).bind(4, bar.high);
        put.bind(5, bar.low).bind(6, bar.close).bind(7, bar.volume).bind(8, bar.adjFactor);
        put.bind(9, bar.adjClose).bind(10, static_cast<long long>(source));
        put.bind(11, static_cast<long long>(fetch)).run();
    }
    noteChanges(bars);
    change.release(file_);
}

std::vector<bool> Store::importBars(const std::vector<Bar>& bars) {
    const std::string sql =
        std::string("INSERT INTO bars(") + kBarColumns +
        ", source, fetch) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, 1, 0) "
        "ON CONFLICT(day, code) DO UPDATE SET open = ?3, high = ?4, low = ?5, close = ?6, "
        "volume = ?7, adj_factor = ?8, adj_close = ?9, source = 1, fetch = 0 "
        "WHERE bars.source = 1";
    Savepoint change(db_, file_);
    Statement put(db_, file_, sql.c_str());
    std::vector<bool> keptFromExchange;
    keptFromExchange.reserve(bars.size());
    for (const auto& bar : bars) {
        put.bind(1, bar.code).bind(2, bar.day).bind(3, bar.open).bind(4, bar.high);
        put.bind(5, bar.low).bind(6, bar.close).bind(7, bar.volume).bind(8, bar.adjFactor);
        put.bind(9, bar.adjClose).run();
        // The conflict's update changes nothing where the exchange's bar stays.
        keptFromExchange.push_back(sqlite3_changes(db_) == 0);
    }
    noteChanges(bars);
    change.release(file_);
    return keptFromExchange;
}

std::vector<bool> Store::fillBars(const std::vector<Bar>& bars) {
    const std::string sql = std::string("INSERT OR IGNORE INTO bars(") + kBarColumns +
                            ", source, fetch) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, 1, 0)";
    Savepoint change(db_, file_);
    Statement put(db_, file_, sql.c_str());
    std::vector<bool> stored;
    stored.reserve(bars.size());
    for (const auto& bar : bars) {
        put.bind(1, bar.code).bind(2, bar.day).bind(3, bar.open).bind(4, bar.high);
        put.bind(5, bar.low).bind(6, bar.close).bind(7, bar.volume).bind(8, bar.adjFactor);
        put.bind(9, bar.adjClose).run();
        stored.push_back(sqlite3_changes(db_) > 0);
    }
    noteChanges(bars);
    change.release(file_);
    return stored;
}

void Store::replaceIssueBars(std::string_view code, Day from, Day to, const std::vector<Bar>& bars,
                             int fetch) {
    Statement drop(db_, file_,
                   "DELETE FROM bars WHERE code = ?1 AND day BETWEEN ?2 AND ?3 AND source = 0");
    Savepoint change(db_, file_);
    drop.bind(1, code).bind(2, from).bind(3, to).run();
    putBars(bars, Source::exchange, fetch);
    noteChanges({Bar{std::string(code)}});
    change.release(file_);
}

std::vector<Bar> Store::bars(std::string_view code, Day from, Day to) const {
    const std::string sql = std::string("SELECT ") + kBarColumns +
                            " FROM bars WHERE code = ?1 AND day BETWEEN ?2 AND ?3 ORDER BY day";
    Statement rows(db_, file_, sql.c_str());
    rows.bind(1, code).bind(2, from).bind(3, to);
    std::vector<Bar> result;
    while (rows.step()) result.push_back(barFrom(rows));
    return result;
}

std::vector<Bar> Store::barsOnDays(std::string_view code, const std::vector<Day>& days) const {
    const std::string sql =
        std::string("SELECT ") + kBarColumns + " FROM bars WHERE day = ?1 AND code = ?2";
    Statement row(db_, file_, sql.c_str());
    std::vector<Bar> result(days.size());
    for (std::size_t i = 0; i < days.size(); ++i) {
        row.bind(1, days[i]).bind(2, code);
        if (row.step()) result[i] = barFrom(row);
        row.reset();
    }
    return result;
}

std::vector<Bar> Store::barsOn(Day day) const {
    const std::string sql =
        std::string("SELECT ") + kBarColumns + " FROM bars WHERE day = ?1 ORDER BY code";
    Statement rows(db_, file_, sql.c_str());
    rows.bind(1, day);
    std::vector<Bar> result;
    while (rows.step()) result.push_back(barFrom(rows));
    return result;
}

std::vector<Day> Store::barDays() const {
    // Day by day through the key, without reading every bar.
    Statement next(db_, file_, "SELECT min(day) FROM bars WHERE day > ?1");
    std::vector<Day> days;
    long long after = 0;
    for (;;) {
        next.bind(1, after);
        if (!next.step() || next.isNull(0)) break;
        after = next.integer(0);
        days.push_back(dayOf(static_cast<int>(after)));
        next.reset();
    }
    return days;
}

std::optional<Day> Store::oldestBarBefore(std::string_view code, int fetch) const {
    Statement rows(db_, file_,
                   "SELECT day FROM bars WHERE code = ?1 AND source = 0 AND fetch < ?2 "
                   "ORDER BY day LIMIT 1");
    rows.bind(1, code).bind(2, static_cast<long long>(fetch));
    if (!rows.step()) return std::nullopt;
    return rows.day(0);
}

std::optional<Day> Store::oldestBar(std::string_view code) const {
    Statement rows(db_, file_, "SELECT day FROM bars WHERE code = ?1 ORDER BY day LIMIT 1");
    rows.bind(1, code);
    if (!rows.step()) return std::nullopt;
    return rows.day(0);
}

std::vector<double> Store::closes(const std::vector<std::string>& codes,
                                  const std::vector<Day>& days) const {
    std::vector<double> result(codes.size() * days.size(), kNoValue);
    if (codes.empty() || days.empty()) return result;
    // A few stocks are looked up day by day through the key; many by one pass over the
    // days, which reads every bar of them.
    if (codes.size() * days.size() <= 50000) {
        Statement row(db_, file_, "SELECT adj_close, close FROM bars WHERE day = ?1 AND code = ?2");
        for (std::size_t c = 0; c < codes.size(); ++c)
            for (std::size_t d = 0; d < days.size(); ++d) {
                row.bind(1, days[d]).bind(2, codes[c]);
                if (row.step()) {
                    const double adjusted = row.number(0);
                    result[c * days.size() + d] = hasNumber(adjusted) ? adjusted : row.number(1);
                }
                row.reset();
            }
        return result;
    }
    std::unordered_map<int, std::size_t> dayIndex;
    int first = dayNumber(days.front()), last = first;
    for (std::size_t d = 0; d < days.size(); ++d) {
        const int number = dayNumber(days[d]);
        dayIndex.emplace(number, d);
        first = std::min(first, number);
        last = std::max(last, number);
    }
    // The codes asked for, sorted as the key sorts them, each once.
    std::vector<std::string_view> sorted(codes.begin(), codes.end());
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    std::vector<double> found(sorted.size() * days.size(), kNoValue);

    // One pass over the days in key order; within a day the codes come sorted, so the
    // asked-for codes are met by walking along them.
    Statement rows(db_, file_,
                   "SELECT day, code, adj_close, close FROM bars WHERE day BETWEEN ?1 AND ?2 "
                   "ORDER BY day, code");
    rows.bind(1, static_cast<long long>(first)).bind(2, static_cast<long long>(last));
    long long currentDay = -1;
    std::size_t column = 0, next = 0;
    bool wantedDay = false;
    while (rows.step()) {
        if (const long long day = rows.integer(0); day != currentDay) {
            currentDay = day;
            const auto at = dayIndex.find(static_cast<int>(day));
            wantedDay = at != dayIndex.end();
            if (wantedDay) column = at->second;
            next = 0;
        }
        if (!wantedDay) continue;
        const std::string_view code = rows.textView(1);
        while (next < sorted.size() && sorted[next] < code) ++next;
        if (next == sorted.size() || sorted[next] != code) continue;
        const double adjusted = rows.number(2);
        found[next * days.size() + column] = hasNumber(adjusted) ? adjusted : rows.number(3);
    }
    for (std::size_t c = 0; c < codes.size(); ++c) {
        const auto at = std::lower_bound(sorted.begin(), sorted.end(), std::string_view(codes[c]));
        std::copy_n(
            found.begin() + static_cast<std::ptrdiff_t>((at - sorted.begin()) * days.size()),
            days.size(), result.begin() + static_cast<std::ptrdiff_t>(c * days.size()));
    }
    return result;
}

// --- Index bars ---

void Store::putIndexBars(std::string_view index, const std::vector<IndexBar>& bars) {
    Savepoint change(db_, file_);
    Statement put(db_, file_,
                  "INSERT OR REPLACE INTO index_bars(code, day, open, high, low, close) "
                  "VALUES(?1, ?2, ?3, ?4, ?5, ?6)");
    for (const auto& bar : bars) {
        put.bind(1, index).bind(2, bar.day).bind(3, bar.open).bind(4, bar.high);
        put.bind(5, bar.low).bind(6, bar.close).run();
    }
    change.release(file_);
}

std::vector<double> Store::indexCloses(std::string_view index, const std::vector<Day>& days) const {
    std::vector<double> closes(days.size(), kNoValue);
    if (days.empty()) return closes;
    std::unordered_map<int, std::size_t> at;
    for (std::size_t d = 0; d < days.size(); ++d) at.emplace(dayNumber(days[d]), d);
    const auto [first, last] = std::minmax_element(days.begin(), days.end());
    Statement rows(db_, file_,
                   "SELECT day, close FROM index_bars WHERE code = ?1 AND day BETWEEN ?2 AND ?3");
    rows.bind(1, index).bind(2, *first).bind(3, *last);
    while (rows.step())
        if (const auto found = at.find(static_cast<int>(rows.integer(0))); found != at.end())
            closes[found->second] = rows.number(1);
    return closes;
}

std::optional<std::pair<Day, Day>> Store::indexSpan(std::string_view index) const {
    Statement rows(db_, file_, "SELECT min(day), max(day) FROM index_bars WHERE code = ?1");
    rows.bind(1, index);
    if (!rows.step() || rows.isNull(0)) return std::nullopt;
    return std::pair{rows.day(0), rows.day(1)};
}

// --- Changes of the bars ---

void Store::noteChanges(const std::vector<Bar>& bars) {
    if (bars.empty()) return;
    std::vector<int> days;
    std::vector<std::string_view> codes;
    for (const auto& bar : bars) {
        days.push_back(bar.day == Day{} ? 0 : dayNumber(bar.day));
        codes.push_back(bar.code);
    }
    std::sort(days.begin(), days.end());
    days.erase(std::unique(days.begin(), days.end()), days.end());
    std::sort(codes.begin(), codes.end());
    codes.erase(std::unique(codes.begin(), codes.end()), codes.end());
    Statement put(db_, file_, "INSERT INTO bar_changes(day, code) VALUES(?1, ?2)");
    if (codes.size() <= days.size()) {
        for (const auto code : codes) put.bind(1, 0LL).bind(2, code).run();
    } else {
        for (const int day : days) put.bind(1, static_cast<long long>(day)).bind(2, "").run();
    }
    Statement trim(db_, file_, "DELETE FROM bar_changes WHERE seq <= ?1");
    trim.bind(1, barsRevision() - kKeptChanges).run();
}

long long Store::barsRevision() const {
    Statement rows(db_, file_, "SELECT seq FROM sqlite_sequence WHERE name = 'bar_changes'");
    return rows.step() ? rows.integer(0) : 0;
}

Store::BarChanges Store::barChangesSince(long long revision) const {
    BarChanges changes;
    const long long now = barsRevision();
    if (revision >= now) return changes;
    Statement oldest(db_, file_, "SELECT min(seq) FROM bar_changes");
    // Changes let go of (or never noted) lie between the revision and the oldest kept.
    if (!oldest.step() || oldest.isNull(0) || oldest.integer(0) > revision + 1) {
        changes.complete = false;
        return changes;
    }
    Statement rows(db_, file_, "SELECT day, code FROM bar_changes WHERE seq > ?1 ORDER BY seq");
    rows.bind(1, revision);
    std::set<int> days;
    std::set<std::string> codes;
    while (rows.step()) {
        if (const long long day = rows.integer(0); day != 0) days.insert(static_cast<int>(day));
        if (auto code = rows.text(1); !code.empty()) codes.insert(std::move(code));
    }
    for (const int day : days) changes.days.push_back(dayOf(day));
    changes.codes.assign(codes.begin(), codes.end());
    return changes;
}

// --- The analyses' cache ---

std::optional<std::string> Store::cached(std::string_view key) const {
    Statement rows(db_, file_, "SELECT value FROM analysis_cache WHERE key = ?1");
    rows.bind(1, key);
    if (!rows.step()) return std::nullopt;
    return rows.blob(0);
}

void Store::setCached(std::string_view key, std::string_view bytes) {
    Statement put(db_, file_, "INSERT OR REPLACE INTO analysis_cache(key, value) VALUES(?1, ?2)");
    put.bind(1, key).bindBlob(2, bytes).run();
}

// --- Days fetched whole ---

void Store::markDayFetched(Day day, int rows, int fetch) {
    Statement put(db_, file_,
                  "INSERT OR REPLACE INTO fetched_days(day, rows, fetch) VALUES(?1, ?2, ?3)");
    put.bind(1, day).bind(2, static_cast<long long>(rows)).bind(3, static_cast<long long>(fetch));
    put.run();
}

std::vector<Store::FetchedDay> Store::fetchedDays() const {
    Statement rows(db_, file_, "SELECT day, rows, fetch FROM fetched_days ORDER BY day");
    std::vector<FetchedDay> days;
    while (rows.step())
        days.push_back(
            {rows.day(0), static_cast<int>(rows.integer(1)), static_cast<int>(rows.integer(2))});
    return days;
}

// --- Pending refetches ---

void Store::addPendingRefetch(std::string_view code) {
    Statement put(db_, file_, "INSERT OR IGNORE INTO pending_refetch(code) VALUES(?1)");
    put.bind(1, code).run();
}

void Store::removePendingRefetch(std::string_view code) {
    Statement drop(db_, file_, "DELETE FROM pending_refetch WHERE code = ?1");
    drop.bind(1, code).run();
}

std::vector<std::string> Store::pendingRefetches() const {
    Statement rows(db_, file_, "SELECT code FROM pending_refetch ORDER BY code");
    std::vector<std::string> codes;
    while (rows.step()) codes.push_back(rows.text(0));
    return codes;
}

// --- State ---

std::optional<std::string> Store::state(std::string_view key) const {
    Statement rows(db_, file_, "SELECT value FROM state WHERE key = ?1");
    rows.bind(1, key);
    if (!rows.step()) return std::nullopt;
    return rows.text(0);
}

void Store::setState(std::string_view key, std::string_view value) {
    Statement put(db_, file_, "INSERT OR REPLACE INTO state(key, value) VALUES(?1, ?2)");
    put.bind(1, key).bind(2, value).run();
}

int Store::beginFetch() {
    const auto last = state("fetch");
    const int next = (last ? tryToInt(*last).value_or(0) : 0) + 1;
    setState("fetch", intToStr(next));
    return next;
}

}  // namespace market
