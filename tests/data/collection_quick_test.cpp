#include <gtest/gtest.h>

#include "data/services.h"
#include "data/text_file.h"
#include "tests/data/collection_support.h"

using namespace testing_support;
using quote_emulator::QuoteData;

namespace {

const std::string kFullMessage =
    "簡易収集の一時保存銘柄数は20銘柄までです。\r先データに上書きします。";

QuoteData stocks(int count, int days, int firstCode = 1001) {
    QuoteData data;
    data.calendar = quote_emulator::weekdaysBack("2001/09/05", 1200);
    for (int i = 0; i < count; ++i)
        quote_emulator::addGeneratedStock(data, std::to_string(firstCode + i), days, 100 + i);
    return data;
}

}  // namespace

class QuickCollection : public ::testing::Test, public CollectionFixture {
  protected:
    void SetUp() override { platform.fixedToday = "2001/09/05"; }
    void ask(const std::string& codeField) {
        form->Edit1.setText(codeField);
        form->Button24Click();
    }
};

TEST_F(QuickCollection, SecondRequestForTheSameCodeMakesNoRequest) {
    const QuoteData data = stocks(2, 60);
    serve(data);
    ask("1001");
    const auto firstRequests = requests();
    EXPECT_EQ(firstRequests, 3u);
    EXPECT_EQ(form->StringGrid7.cell(1, 0), "1001");
    ask("1002");
    EXPECT_EQ(form->StringGrid7.cell(2, 0), "1002");

    const auto before = requests();
    ask("1001XYZ");
    EXPECT_EQ(requests(), before);
    EXPECT_EQ(series(0), "1001");
    EXPECT_EQ(series(1), data.stocks.at("1001")[0].close);
    EXPECT_EQ(series(60), data.stocks.at("1001")[59].close);
    EXPECT_EQ(series(61), "");
    EXPECT_EQ(form->quickCollectedCount, 2);
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(QuickCollection, TwentyFirstStockIsAnnouncedAndReusesSlotOne) {
    serve(stocks(21, 5));
    for (int code = 1001; code <= 1020; ++code) ask(std::to_string(code));
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_EQ(form->StringGrid7.cell(20, 0), "1020");

    ask("1021");
    EXPECT_EQ(platform.messages, std::vector<std::string>{kFullMessage});
    EXPECT_EQ(form->StringGrid7.cell(1, 0), "1021");
    EXPECT_EQ(form->StringGrid7.cell(2, 0), "1002");
    // The saved code of mode kouho is the user's, not the collection's.
    EXPECT_EQ(form->StringGrid3.cell(1, 10), "");

    // The first stock was overwritten: it is fetched anew, into slot 2.
    const auto before = requests();
    ask("1001");
    EXPECT_GT(requests(), before);
    EXPECT_EQ(form->StringGrid7.cell(2, 0), "1001");
}

TEST_F(QuickCollection, LongHistoryIsKeptAs1000Prices) {
    serve(stocks(2, 1100));
    ask("1001");
    EXPECT_NE(series(1050), "");
    EXPECT_NE(form->StringGrid7.cell(1, 1000), "");
    EXPECT_EQ(form->StringGrid7.cell(1, 1001), "");
    ask("1002");

    ask("1001");
    EXPECT_NE(series(1000), "");
    for (int row = 1001; row <= 4800; ++row) ASSERT_EQ(series(row), "") << row;
}

TEST_F(QuickCollection, CodeTheServiceDoesNotListIsStoredEmpty) {
    serve(stocks(1, 60));
    ask("9999");
    EXPECT_EQ(requests(), 1u);
    EXPECT_EQ(series(5), "");
    EXPECT_EQ(form->StringGrid7.cell(1, 0), "9999");
}

TEST_F(QuickCollection, NoServiceSetUpShowsItsMessageInsteadOfADownload) {
    writeServices("", "");
    form->Edit1.setText("1001");
    form->run(&TForm1::Button24Click);
    EXPECT_EQ(platform.messages,
              std::vector<std::string>{"株価データの取得先が設定されていません。"});
    EXPECT_TRUE(platform.errors.empty());
    EXPECT_EQ(form->quickCollectedCount, 0);
    EXPECT_EQ(form->StringGrid7.cell(1, 0), "");
}

TEST(ServiceHosts, ReadFromTheServicesFile) {
    ScratchDir dir;
    const data::DataRoot root{dir.path()};
    EXPECT_EQ(data::loadServiceHosts(root).priceTable, "");

    dir.writeRaw("dravik/services.csv",
                 "price-table,quotes.example:8080\r\nquote-history, history.example \r\n"
                 "usage-guide,\r\nunknown,x\r\n");
    const auto hosts = data::loadServiceHosts(root);
    EXPECT_EQ(hosts.priceTable, "quotes.example:8080");
    EXPECT_EQ(hosts.quoteHistory, "history.example");
    EXPECT_EQ(hosts.usageGuide, "");

    dir.writeRaw("dravik/services.csv", "price-table,evil.example/x?y=\r\n");
    EXPECT_EQ(data::loadServiceHosts(root).priceTable, "");
}

namespace {
TForm1* nestingForm = nullptr;
bool nested = false;
}  // namespace

TEST_F(QuickCollection, SecondCollectionStartedDuringARequestWaitsAndSaysSo) {
    const QuoteData data = stocks(2, 60);
    serve(data);
    nestingForm = form.get();
    nested = false;
    // The user asks for another stock while the first one is being fetched.
    platform.onProcessEvents = [] {
        if (nested) return;
        nested = true;
        const std::string field = nestingForm->Edit1.text();
        nestingForm->Edit1.setText("1002");
        nestingForm->run(&TForm1::Button24Click);
        nestingForm->Edit1.setText(field);
    };
    ask("1001");
    platform.onProcessEvents = nullptr;
    EXPECT_TRUE(nested);
    EXPECT_TRUE(form->fetchBusyNotice.visible);
    EXPECT_EQ(requests(), 3u);
    EXPECT_TRUE(platform.errors.empty());
    EXPECT_EQ(form->quickCollectedCount, 1);
    EXPECT_EQ(form->StringGrid7.cell(1, 0), "1001");
    EXPECT_EQ(form->StringGrid7.cell(1, 60), data.stocks.at("1001")[59].close);
    EXPECT_EQ(form->StringGrid7.cell(1, 61), "");
}

class ChartOfACollectedStock : public QuickCollection {
  protected:
    // A price table with one stock and a calendar, as start-up leaves them.
    void loadTables(const QuoteData& data) {
        auto& prices = form->StringGrid2;
        prices.setColCount(200);
        prices.setRowCount(101);
        prices.setCell(1, 0, "1301見本");
        for (int row = 1; row <= 100; ++row) {
            prices.setCell(0, row, data.calendar[row - 1]);
            prices.setCell(1, row, "500");
        }
        form->StringGrid4.setRowCount(1001);
        for (int row = 1; row <= 1000; ++row)
            form->StringGrid4.setCell(0, row, data.calendar[row - 1]);
        form->Edit2.setText("100");
    }
};

TEST_F(ChartOfACollectedStock, CodeTheServiceDoesNotListAsksToCheckTheCode) {
    const QuoteData data = stocks(1, 120);
    serve(data);
    loadTables(data);
    form->Edit1.setText("9999");
    form->run(&TForm1::Button3Click);
    EXPECT_EQ(requests(), 1u);
    EXPECT_EQ(platform.messages, std::vector<std::string>{"コードを確認して下さい。"});
    EXPECT_TRUE(platform.errors.empty());
}

TEST_F(ChartOfACollectedStock, CollectedStockIsChartedAndAskingAgainMakesNoRequest) {
    const QuoteData data = stocks(1, 120);
    serve(data);
    loadTables(data);
    form->Edit1.setText("1001");
    form->run(&TForm1::Button3Click);
    EXPECT_TRUE(platform.errors.empty()) << platform.errors.front();
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_EQ(requests(), 4u);
    EXPECT_EQ(form->Edit1.text(), "1001");
    EXPECT_EQ(form->StringGrid4.cell(2, 1), data.calendar[0]);
    int marks = 0;
    for (int col = 2; col < form->StringGrid1.colCount(); ++col)
        for (int row = 1; row < form->StringGrid1.rowCount(); ++row)
            if (!form->StringGrid1.cell(col, row).empty()) ++marks;
    EXPECT_GT(marks, 0);

    form->Edit1.setText("1301");
    form->run(&TForm1::Button3Click);
    form->Edit1.setText("1001");
    form->run(&TForm1::Button3Click);
    EXPECT_EQ(requests(), 4u);
    EXPECT_TRUE(platform.errors.empty());
}

// A collection cut short by a failed request is not held: nothing goes into a slot,
// the next request for the code collects it again, and the days shown stay.
TEST_F(ChartOfACollectedStock, FailedCollectionIsCollectedAgainWhenAskedAgain) {
    for (const int status : {500, 404, 0}) {
        quote_emulator::ServerOptions options;
        options.errorReplies = {{4, status}};
        const QuoteData data = stocks(1, 300);
        serve(data, options);
        form->services = {};
        loadTables(data);
        form->StringGrid2.setCell(199, 0, "");  // the last case's series is not held
        form->Edit2.setText("250");
        platform.errors.clear();
        form->Edit1.setText("1001");
        form->run(&TForm1::Button3Click);
        ASSERT_EQ(platform.errors.size(), 1u) << status;
        EXPECT_EQ(platform.errors[0].rfind("株価データの取得に失敗しました（", 0), 0u);
        EXPECT_EQ(series(0), "");
        EXPECT_EQ(form->quickCollectedCount, 0);

        form->Edit1.setText("1001");
        form->run(&TForm1::Button3Click);
        EXPECT_EQ(platform.errors.size(), 1u) << status;
        EXPECT_EQ(requests(), 4u + 7u);
        EXPECT_EQ(series(0), "1001");
        EXPECT_EQ(series(300), data.stocks.at("1001")[299].close);
        EXPECT_EQ(form->Edit2.text(), "250");
        EXPECT_EQ(form->quickCollectedCount, 1);
        form->quickCollectedCount = 0;
        form->StringGrid7.setCell(1, 0, "");
    }
}

// A day without a price is a day of the history, not its end.
TEST_F(ChartOfACollectedStock, DaysWithoutAPriceKeepTheirPlace) {
    QuoteData data = stocks(1, 300);
    for (const int day : {0, 4, 50, 120}) data.stocks["1001"][day].close = "";
    serve(data);
    loadTables(data);
    form->Edit2.setText("250");
    form->Edit1.setText("1001");
    form->run(&TForm1::Button3Click);
    EXPECT_TRUE(platform.errors.empty());
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_EQ(requests(), 7u);
    for (const int row : {1, 5, 51, 121}) EXPECT_EQ(series(row), " ") << row;
    EXPECT_EQ(series(300), data.stocks.at("1001")[299].close);
    EXPECT_EQ(series(301), "");
    EXPECT_EQ(form->Edit2.text(), "250");
}

// The dates of a collected series come from the calendar: while it is not brought up to
// date, the chart says its dates may be shifted.
TEST_F(ChartOfACollectedStock, StaleCalendarIsToldWithTheChart) {
    const QuoteData data = stocks(1, 120);
    serve(data);
    loadTables(data);
    form->Edit1.setText("1001");
    form->run(&TForm1::Button3Click);
    EXPECT_TRUE(form->staleDatesNotice.visible);
    EXPECT_EQ(form->staleDatesNotice.caption,
              "取引日カレンダーが更新されていないため、日付がずれている可能性があります。");

    form->Edit1.setText("1301");
    form->run(&TForm1::Button3Click);
    EXPECT_FALSE(form->staleDatesNotice.visible);

    std::vector<std::string> lines{"日付,,"};
    for (int row = 1; row <= 1000; ++row) lines.push_back(data.calendar[row - 1] + ",,");
    data::writeLines(root().dateFile(), lines);
    form->run(&TForm1::Button19Click);
    EXPECT_TRUE(platform.errors.empty());
    form->Edit1.setText("1001");
    form->run(&TForm1::Button3Click);
    EXPECT_TRUE(platform.errors.empty());
    EXPECT_FALSE(form->staleDatesNotice.visible);
}

namespace {
bool chartedDuringFetch = false;
}  // namespace

TEST_F(QuickCollection, AChartRunStartedDuringARequestLeavesTheWorkingSeriesAlone) {
    const QuoteData data = stocks(1, 60);
    serve(data);
    auto& prices = form->StringGrid2;
    prices.setColCount(200);
    prices.setCell(1, 0, "1301見本");
    for (int row = 1; row <= 10; ++row) prices.setCell(1, row, "500");
    nestingForm = form.get();
    chartedDuringFetch = false;
    platform.onProcessEvents = [] {
        if (chartedDuringFetch) return;
        chartedDuringFetch = true;
        const std::string field = nestingForm->Edit1.text();
        nestingForm->Edit1.setText("1301");
        nestingForm->run(&TForm1::Button3Click);
        nestingForm->Edit1.setText(field);
    };
    ask("1001");
    platform.onProcessEvents = nullptr;
    EXPECT_TRUE(chartedDuringFetch);
    EXPECT_TRUE(platform.errors.empty());
    EXPECT_EQ(series(0), "1001");
    EXPECT_EQ(series(60), data.stocks.at("1001")[59].close);
    EXPECT_EQ(form->StringGrid7.cell(1, 60), data.stocks.at("1001")[59].close);
}
