#include "market/jquants_pages.h"

#include <simdjson.h>
#include <charconv>

#include "tables/convert.h"

namespace market {

namespace ondemand = simdjson::ondemand;

void malformedReply(std::string_view what) {
    throw MarketError("J-Quants APIの応答を読めません (" + std::string(what) + ")。");
}

namespace {

// One parser per thread: the update reads pages on two threads at once.
ondemand::parser& parser() {
    thread_local ondemand::parser instance;
    return instance;
}

std::string text(ondemand::value value) {
    const auto type = value.type().value();
    if (type == ondemand::json_type::null) return {};
    if (type == ondemand::json_type::string) return std::string(value.get_string().value());
    if (type == ondemand::json_type::number) return std::string(value.raw_json_token());
    malformedReply("文字列の項目");
}

// A number, null, or a number written as text (empty text for none).
double number(ondemand::value value) {
    const auto type = value.type().value();
    if (type == ondemand::json_type::null) return kNoValue;
    if (type == ondemand::json_type::number) return value.get_double().value();
    if (type == ondemand::json_type::string) {
        const std::string_view digits = value.get_string().value();
        if (digits.empty()) return kNoValue;
        double result = 0;
        const auto [end, error] =
            std::from_chars(digits.data(), digits.data() + digits.size(), result);
        if (error == std::errc() && end == digits.data() + digits.size()) return result;
    }
    malformedReply("数値の項目");
}

// A code goes into files and messages: printable characters only.
std::string codeOf(ondemand::value value) {
    std::string code = text(value);
    for (char c : code) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F) malformedReply("制御文字を含むコード");
    }
    return code;
}

Day dateOf(ondemand::value value) {
    const auto day = parseIsoDay(text(value));
    if (!day) malformedReply("日付");
    return *day;
}

// Reads one page: calls onRow for every object of "data"; returns "pagination_key".
template <class OnRow>
std::string readPage(std::string& body, OnRow&& onRow) {
    body.reserve(body.size() + simdjson::SIMDJSON_PADDING);
    std::string key;
    bool sawData = false;
    try {
        auto document = parser().iterate(body.data(), body.size(), body.capacity());
        for (auto field : document.get_object()) {
            const std::string_view name = field.unescaped_key().value();
            if (name == "data") {
                sawData = true;
                for (auto row : field.value().get_array()) {
                    ondemand::object object = row.get_object();
                    onRow(object);
                }
            } else if (name == "pagination_key") {
                key = text(field.value());
            }
        }
    } catch (const simdjson::simdjson_error& e) {
        malformedReply(e.what());
    }
    if (!sawData) malformedReply("data がありません");
    return key;
}

// The fields a day's bar shares with an index's: the date and the four prices. False for
// another field.
template <class DayPrices>
bool readDayAndPrices(std::string_view name, ondemand::value& value, DayPrices& bar, bool& dated) {
    if (name == "Date") {
        bar.day = dateOf(value);
        dated = true;
    } else if (name == "O") {
        bar.open = number(value);
    } else if (name == "H") {
        bar.high = number(value);
    } else if (name == "L") {
        bar.low = number(value);
    } else if (name == "C") {
        bar.close = number(value);
    } else {
        return false;
    }
    return true;
}

Bar barFrom(ondemand::object& row) {
    Bar bar;
    bool dated = false;
    for (auto field : row) {
        const std::string_view name = field.unescaped_key().value();
        ondemand::value value = field.value();
        if (readDayAndPrices(name, value, bar, dated)) continue;
        if (name == "Code")
            bar.code = codeOf(value);
        else if (name == "Vo")
            bar.volume = number(value);
        else if (name == "AdjFactor")
            bar.adjFactor = number(value);
        else if (name == "AdjC")
            bar.adjClose = number(value);
    }
    if (!dated || bar.code.empty()) malformedReply("Date または Code のない行");
    return bar;
}

}  // namespace

std::string readCalendarPage(std::string& body, std::vector<CalendarDay>& days) {
    return readPage(body, [&](ondemand::object& row) {
        CalendarDay day;
        bool dated = false, kind = false;
        for (auto field : row) {
            const std::string_view name = field.unescaped_key().value();
            if (name == "Date") {
                day.day = dateOf(field.value());
                dated = true;
            } else if (name == "HolDiv") {
                const auto value = tryToInt(text(field.value()));
                if (!value) malformedReply("HolDiv");
                day.kind = *value;
                kind = true;
            }
        }
        if (!dated || !kind) malformedReply("Date または HolDiv のない行");
        days.push_back(day);
    });
}

std::string readIssuesPage(std::string& body, std::vector<Issue>& issues) {
    return readPage(body, [&](ondemand::object& row) {
        Issue issue;
        for (auto field : row) {
            const std::string_view name = field.unescaped_key().value();
            if (name == "Code") {
                issue.code = codeOf(field.value());
                continue;
            }
            std::string* target = name == "CoName"     ? &issue.name
                                  : name == "CoNameEn" ? &issue.nameEn
                                  : name == "Mkt"      ? &issue.market
                                  : name == "MktNm"    ? &issue.marketName
                                  : name == "S17"      ? &issue.sector17
                                  : name == "S17Nm"    ? &issue.sector17Name
                                  : name == "S33"      ? &issue.sector33
                                  : name == "S33Nm"    ? &issue.sector33Name
                                  : name == "ScaleCat" ? &issue.scaleCategory
                                                       : nullptr;
            if (target) *target = text(field.value());
        }
        if (issue.code.empty()) malformedReply("Code のない銘柄");
        issues.push_back(std::move(issue));
    });
}

std::string readBarsPage(std::string& body, std::vector<Bar>& bars) {
    return readPage(body, [&](ondemand::object& row) { bars.push_back(barFrom(row)); });
}

std::string readIndexBarsPage(std::string& body, std::vector<IndexBar>& bars) {
    return readPage(body, [&](ondemand::object& row) {
        IndexBar bar;
        bool dated = false;
        for (auto field : row) {
            const std::string_view name = field.unescaped_key().value();
            ondemand::value value = field.value();
            readDayAndPrices(name, value, bar, dated);
        }
        if (!dated) malformedReply("Date のない行");
        bars.push_back(bar);
    });
}

std::string serviceMessageOf(std::string& body) {
    body.reserve(body.size() + simdjson::SIMDJSON_PADDING);
    try {
        auto document = parser().iterate(body.data(), body.size(), body.capacity());
        std::string_view message;
        if (document["message"].get_string().get(message) == simdjson::SUCCESS)
            return std::string(message);
    } catch (const simdjson::simdjson_error&) {
    }
    return {};
}

}  // namespace market
