#include <gtest/gtest.h>

#include "tests/data/collection_support.h"

using namespace testing_support;
using quote_emulator::QuoteData;
using quote_emulator::ServerOptions;

namespace {

QuoteData stocks(std::initializer_list<std::pair<std::string, int>> histories) {
    QuoteData data;
    data.calendar = quote_emulator::weekdaysBack("2001/09/05", 1200);
    for (const auto& [code, days] : histories) quote_emulator::addGeneratedStock(data, code, days);
    return data;
}

TForm1* watchedForm = nullptr;
std::vector<std::string> codeFieldSeen;

}  // namespace

class SeriesCollection : public ::testing::Test, public CollectionFixture {
  protected:
    void SetUp() override { platform.fixedToday = "2001/09/05"; }
    void collect(const std::string& codeField) {
        form->Edit1.setText(codeField);
        form->Button8Click();
    }
};

TEST_F(SeriesCollection, RequestPathsAreSentByteForByte) {
    serve(stocks({{"6752", 120}}));
    collect("6752");
    const auto lines = server->requestLines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0], "GET /t?c=1930&a=9&b=16&f=2001&d=09&e=05&g=d&s=6752&y=0&z=9984.t HTTP/1.0");
    EXPECT_EQ(
        lines[1],
        "GET /t?s=6752&a=9&b=16&c=1930&d=09&e=05&f=2001&g=d&q=t&y=50&z=9984.t&x=.csv HTTP/1.0");
}

TEST_F(SeriesCollection, HistoryOf120DaysFetchesFourPagesAndFillsRows1To120) {
    const QuoteData data = stocks({{"6752", 120}});
    const auto expected = data.stocks.at("6752");
    serve(data);
    watchedForm = form.get();
    codeFieldSeen.clear();
    platform.onProcessEvents = [] { codeFieldSeen.push_back(watchedForm->Edit1.text()); };

    collect("6752ソニー");

    EXPECT_EQ(requests(), 4u);
    EXPECT_EQ(series(0), "6752ソニー");
    for (int row = 1; row <= 120; ++row) ASSERT_EQ(series(row), expected[row - 1].close) << row;
    EXPECT_EQ(series(121), "");
    EXPECT_EQ(form->Edit1.text(), "6752");
    EXPECT_NE(std::find(codeFieldSeen.begin(), codeFieldSeen.end(), "6752-0 収集中"),
              codeFieldSeen.end());
    EXPECT_NE(std::find(codeFieldSeen.begin(), codeFieldSeen.end(), "6752-2 収集中"),
              codeFieldSeen.end());
    platform.onProcessEvents = nullptr;
}

TEST_F(SeriesCollection, LongHistoryFetches21PagesAndFillsRows1To1050) {
    serve(stocks({{"6752", 1100}}));
    collect("6752");
    EXPECT_EQ(requests(), 21u);
    EXPECT_NE(series(1050), "");
    EXPECT_EQ(series(1051), "");
    EXPECT_EQ(form->StringGrid3.cell(1, 6), "20");
}

TEST_F(SeriesCollection, GroupedPricesLoseTheirCommas) {
    QuoteData data = stocks({{"6752", 3}});
    data.stocks["6752"][0].close = "12345";
    data.stocks["6752"][1].close = "1234567";
    ServerOptions options;
    options.groupedPrices = true;
    serve(data, options);
    collect("6752");
    EXPECT_EQ(series(1), "12345");
    EXPECT_EQ(series(2), "1234567");
}

TEST_F(SeriesCollection, TenCharacterValueIsLeftAsCutText) {
    QuoteData data = stocks({{"6752", 3}});
    data.stocks["6752"][2].close = "1234567890";
    serve(data);
    collect("6752");
    EXPECT_EQ(series(3), "small>1234567890");
}

TEST_F(SeriesCollection, ShortPageCarriesNoEarlierPricesIntoTheSeries) {
    serve(stocks({{"1111", 200}, {"2222", 30}}));
    collect("1111");
    collect("2222");
    EXPECT_NE(series(30), "");
    for (int row = 31; row <= 100; ++row) ASSERT_EQ(series(row), "") << row;
}

TEST_F(SeriesCollection, CodeTheServiceDoesNotListLeavesTheSeriesEmpty) {
    serve(stocks({{"6752", 120}}));
    form->StringGrid2.setCell(199, 5, "999");
    collect("9999");
    EXPECT_EQ(requests(), 1u);
    EXPECT_EQ(series(0), "9999");
    EXPECT_EQ(series(1), "");
    EXPECT_EQ(series(5), "");
    // The page file holds the page byte for byte as served (Shift-JIS text).
    bool known = false;
    EXPECT_EQ(dir.readRaw("quendal/rireki.txt"), server->page(server->requestPaths()[0], known));
}

TEST_F(SeriesCollection, CodeFieldCannotChangeTheRequest) {
    serve(stocks({{"6752", 10}}));
    collect("67&y=9 HTTP/1.1");
    ASSERT_GE(requests(), 1u);
    EXPECT_EQ(server->requestPaths()[0],
              "/t?c=1930&a=9&b=16&f=2001&d=09&e=05&g=d&s=67%26y&y=0&z=9984.t");
}

TEST_F(SeriesCollection, EmptyCodeFieldAsksAgainWithoutRequest) {
    serve(stocks({{"6752", 10}}));
    form->StringGrid2.setCell(199, 1, "500");
    collect("");
    EXPECT_EQ(platform.messages, std::vector<std::string>{"銘柄コードを入れ直して下さい。"});
    EXPECT_EQ(requests(), 0u);
    EXPECT_EQ(series(1), "500");
}

TEST_F(SeriesCollection, NoServiceSetUpMakesNoRequest) {
    serve(stocks({{"6752", 10}}));
    writeServices("", "");
    form->Edit1.setText("6752");
    EXPECT_THROW(form->Button8Click(), EAbort);
    EXPECT_EQ(platform.messages,
              std::vector<std::string>{"株価データの取得先が設定されていません。"});
    EXPECT_EQ(requests(), 0u);
}

// A collection that fails part way leaves no part of the history behind, and says what
// failed in the client's words; an error page is a failure, not the end of the history.
TEST_F(SeriesCollection, FailedRequestOrErrorReplyLeavesNoSeriesBehind) {
    struct Case {
        ServerOptions options;
        std::string reason;
    };
    ServerOptions refused, notFound, serverError, silent;
    refused.failFrom = 3;
    notFound.errorReplies = {{3, 404}};
    serverError.errorReplies = {{3, 503}};
    silent.errorReplies = {{3, 0}};
    for (const auto& [options, reason] :
         {Case{refused, "Connection Failed."}, Case{notFound, "HTTP 404 Error."},
          Case{serverError, "HTTP 503 Error."}, Case{silent, "Empty reply."}}) {
        serve(stocks({{"6752", 300}}), options);
        form->services = {};  // read again: the emulator's port is new
        form->StringGrid2.setCell(199, 0, "1301");
        form->StringGrid2.setCell(199, 1, "500");
        form->Edit1.setText("6752");
        EXPECT_EQ(messageOf<ESockError>([&] { form->Button8Click(); }),
                  "株価データの取得に失敗しました（" + reason + "）");
        // The third request (page 2) failed.
        EXPECT_EQ(form->Edit1.text(), "6752-1 収集中");
        for (int row = 0; row <= 100; ++row) ASSERT_EQ(series(row), "") << reason << row;
    }
}

TEST_F(SeriesCollection, WindowStaysLiveWhileASlowPageArrives) {
    ServerOptions options;
    options.delayMs = 300;
    serve(stocks({{"6752", 10}}), options);
    collect("6752");
    EXPECT_EQ(requests(), 2u);
    EXPECT_EQ(series(10), stocks({{"6752", 10}}).stocks.at("6752")[9].close);
    // The waits keep handling the window's events, many times per slow page.
    EXPECT_GT(platform.eventsProcessed, 20);
}

TEST_F(SeriesCollection, ReplySlowerThanTheTimeOutEndsTheCollectionWithTheClientsError) {
    ServerOptions options;
    options.delayMs = 2000;
    serve(stocks({{"6752", 10}}), options);
    form->HttpClient1.TimeOut = 200;
    form->Edit1.setText("6752");
    EXPECT_EQ(messageOf<ESockError>([&] { form->Button8Click(); }),
              "株価データの取得に失敗しました（Socket readln aborted.）");
    EXPECT_EQ(series(0), "");
    EXPECT_EQ(series(1), "");
    EXPECT_EQ(form->Edit1.text(), "6752");
}
