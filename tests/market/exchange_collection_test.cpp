// A stock the loaded data lacks, charted from the exchange's API through the quick
// collection when no price-table service is set up.
#include <gtest/gtest.h>

#include "data/text_file.h"
#include "market/jquants_client.h"
#include "market/program_files.h"
#include "tables/convert.h"
#include "tests/market/exchange_fixture.h"

namespace {

using namespace market_testing;

struct ExchangeCollection : ExchangeFixture, testing_support::FormFixture {
    ExchangeCollection() : ExchangeFixture(12, 5000) {
        const auto& fixtureDir = FormFixture::dir;
        fixtureDir.writeRaw("quendal/デ-タ一覧.csv", ",7203\r\n2024/06/14,100\r\n");
        // The calendar as the date file holds it: the emulator's trading days, newest first.
        std::vector<std::string> lines{"日付,取得日付,表示日付"};
        for (auto it = data.calendar.rbegin(); it != data.calendar.rend() && lines.size() < 1001;
             ++it)
            if (it->second == 1 && it->first <= day(kToday)) {
                const std::string date = formatDate(it->first);
                lines.push_back(date + "," + date + "," + date);
            }
        data::writeLines(FormFixture::root().dateFile(), lines);
        environment.set("JQUANTS_API_KEY", options.apiKey);
        environment.set("SSL_CERT_FILE", options.certificate.string());
        form->run(&TForm1::Button20Click);
        form->run(&TForm1::Button2Click);
    }
    void services(const std::string& jquantsLine) {
        FormFixture::dir.writeRaw(
            "dravik/services.csv",
            "price-table,\r\nquote-history,\r\njquants-rate,1000\r\n" + jquantsLine + "\r\n");
    }
    const std::string& series(int row) const { return form->StringGrid2.cell(199, row); }
    Environment environment;
};

TEST_F(ExchangeCollection, ChartsTheStockAndKeepsItInTheQuickCollectionList) {
    services("jquants," + server().base());
    form->Edit1.setText("1305");
    form->run(&TForm1::Button3Click);
    ASSERT_TRUE(platform.errors.empty()) << platform.errors.front();
    ASSERT_TRUE(platform.messages.empty()) << platform.messages.front();
    EXPECT_EQ(server().requests(), std::vector<std::string>{"/v2/equities/bars/daily?code=1305"});
    EXPECT_EQ(form->Edit1.text(), "1305");
    EXPECT_EQ(form->StringGrid7.cell(1, 0), "1305");
    int marks = 0;  // a chart was drawn
    for (int row = 1; row < form->StringGrid1.rowCount(); ++row)
        for (int col = 2; col < 6; ++col) marks += form->StringGrid1.cell(col, row).empty() ? 0 : 1;
    EXPECT_GT(marks, 2);

    // Row r of the series is the calendar's row r, as the service's adjusted close.
    market::JQuantsClient client(connection());
    const auto bars = client.barsOf("13050", day(20240610), day(kToday));
    ASSERT_EQ(bars.size(), 5u);
    EXPECT_EQ(form->StringGrid4.cell(0, 1), "2024/06/14");
    for (int row = 1; row <= 5; ++row)
        EXPECT_EQ(series(row), market::wholeYen(bars[static_cast<std::size_t>(5 - row)].adjClose));
    EXPECT_NE(series(1000), "");

    // Asked again after another stock: from the list, no request.
    const auto requests = server().requestCount();
    form->Edit1.setText("7203");
    form->run(&TForm1::Button3Click);
    form->Edit1.setText("1305");
    form->run(&TForm1::Button3Click);
    EXPECT_EQ(server().requestCount(), requests);

    EXPECT_EQ(series(1), market::wholeYen(bars.back().adjClose));
}

TEST_F(ExchangeCollection, WithNeitherSourceSetUpTheUserIsTold) {
    services("jquants,");
    form->Edit1.setText("1305");
    form->run(&TForm1::Button3Click);
    EXPECT_EQ(platform.messages,
              std::vector<std::string>{"株価データの取得先が設定されていません。"});
}

TEST_F(ExchangeCollection, AFailedRequestEndsTheRunWithTheServicesWords) {
    services("jquants," + server().base());
    server().answerNext(403, R"({"message":"The incoming api key is invalid or expired."})");
    form->Edit1.setText("1305");
    form->run(&TForm1::Button3Click);
    ASSERT_EQ(platform.errors.size(), 1u);
    EXPECT_EQ(platform.errors[0].rfind("J-Quants APIキーが無効か", 0), 0u) << platform.errors[0];
    EXPECT_EQ(form->Edit1.text(), "1305");
    EXPECT_EQ(form->StringGrid7.cell(1, 0), "");
    // Nothing of the failed request is held: asking again asks the service again.
    const auto requests = server().requestCount();
    form->run(&TForm1::Button3Click);
    EXPECT_EQ(server().requestCount(), requests + 1);
    EXPECT_EQ(form->StringGrid7.cell(1, 0), "1305");
    EXPECT_FALSE(form->staleDatesNotice.visible);
}

}  // namespace
