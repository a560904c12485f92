#include <gtest/gtest.h>

#include "data/text_file.h"
#include "tables/convert.h"
#include "tests/data/collection_support.h"

using namespace testing_support;
using quote_emulator::QuoteData;
using quote_emulator::ServerOptions;
using quote_emulator::weekdaysBack;

namespace {

const std::string kTooOld =
    "過去のデータが不足しています。サイトより\rquendalsetup.exeを再ダウンロードして下さい。";

QuoteData weekdayCalendar(const std::string& newest, int count) {
    QuoteData data;
    data.calendar = weekdaysBack(newest, count);
    return data;
}

}  // namespace

class CalendarUpdate : public ::testing::Test, public CollectionFixture {
  protected:
    // A date file whose calendar is the given dates (newest first, 1000 of them).
    void writeDateFile(const std::vector<std::string>& dates) {
        std::vector<std::string> lines{"日付,,"};
        for (const auto& date : dates) lines.push_back(date + ",,");
        lines[3] = dates[2] + ",,2001/01/05";
        data::writeLines(root().dateFile(), lines);
    }
    std::string dateFileBytes() const { return dir.readRaw("quendal/hizuke.csv"); }
    std::vector<std::string> calendar() const {
        std::vector<std::string> dates;
        for (int row = 1; row <= 1000; ++row) dates.push_back(form->StringGrid4.cell(0, row));
        return dates;
    }
    std::vector<std::string> fileCalendar() const {
        std::vector<std::string> dates;
        const auto lines = data::readLines(root().dateFile());
        for (std::size_t i = 1; i < lines.size(); ++i)
            dates.push_back(lines[i].substr(0, lines[i].find(',')));
        return dates;
    }
};

TEST_F(CalendarUpdate, SameDayMakesOneRequestAndAddsNothing) {
    platform.fixedToday = "2001/09/14";
    serve(weekdayCalendar("2001/09/14", 400));
    writeDateFile(weekdaysBack("2001/09/14", 1000));
    form->Button19Click();
    EXPECT_EQ(server->requestPaths(),
              std::vector<std::string>{
                  "/MnStock/slast.html?qt=6752.t&sy=1930&sm=8&sd=18&ey=2001&em=09&ed=14&k=d"});
    EXPECT_EQ(fileCalendar(), weekdaysBack("2001/09/14", 1000));
    EXPECT_EQ(form->StringGrid4.cell(1, 1), "2001/09/14");
    EXPECT_EQ(form->StringGrid4.cell(1, 50), weekdaysBack("2001/09/14", 50).back());
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_EQ(platform.waitDepth, 0);
}

TEST_F(CalendarUpdate, ThirtyDaysOldMakesTwoRequestsAndShiftsTheCalendar) {
    platform.fixedToday = "2001/09/14";
    serve(weekdayCalendar("2001/09/14", 400));
    writeDateFile(weekdaysBack("2001/08/15", 1000));
    form->Button19Click();
    ASSERT_EQ(requests(), 2u);
    EXPECT_EQ(server->requestPaths()[1],
              "/MnStock/6752.t/slast.html?sy=1930&sm=8&sd=18&ey=2001&em=09&ed=14&k=d&st=50");
    // 22 trading days came after 2001/08/15: they go in front, the 22 oldest leave.
    EXPECT_EQ(calendar(), weekdaysBack("2001/09/14", 1000));
    EXPECT_EQ(form->StringGrid4.cell(0, 23), "2001/08/15");
    EXPECT_EQ(fileCalendar(), weekdaysBack("2001/09/14", 1000));
    const auto lines = data::readLines(root().dateFile());
    EXPECT_EQ(lines[0], "日付,,");
    EXPECT_EQ(lines[3], "2001/09/12,2001/09/12,2001/01/05");
}

TEST_F(CalendarUpdate, FourHundredDaysOldMakesSixRequestsAndChangesNothing) {
    platform.fixedToday = "2001/09/14";
    QuoteData data;
    // A service that lists every day: its 300 dates do not reach back 400 days.
    for (int i = 0; i < 500; ++i)
        data.calendar.push_back(formatDate(*parseDate("2001/09/14") - std::chrono::days{i}));
    serve(data);
    writeDateFile(weekdaysBack("2000/08/10", 1000));
    const auto before = dateFileBytes();
    form->Button19Click();
    EXPECT_EQ(requests(), 6u);
    EXPECT_EQ(platform.messages, std::vector<std::string>{kTooOld});
    EXPECT_EQ(dateFileBytes(), before);
    EXPECT_EQ(form->StringGrid4.cell(0, 1), "2000/08/10");
}

TEST_F(CalendarUpdate, DashedPageDatesAreStoredWithSlashes) {
    platform.fixedToday = "2001/09/14";
    ServerOptions options;
    options.dateSeparator = '-';
    serve(weekdayCalendar("2001/09/14", 400), options);
    writeDateFile(weekdaysBack("2001/09/13", 1000));
    form->Button19Click();
    EXPECT_EQ(form->StringGrid4.cell(1, 1), "2001/09/14");
    EXPECT_EQ(form->StringGrid4.cell(0, 1), "2001/09/14");
    EXPECT_EQ(form->StringGrid4.cell(0, 2), "2001/09/13");
}

// Reading then writing the date file settles at once: the second write gives the bytes
// of the first, whatever the label of line 0 or the empty fields of a line.
TEST_F(CalendarUpdate, DateFileReachesAFixedPoint) {
    platform.fixedToday = "2001/09/14";
    serve(weekdayCalendar("2001/09/14", 400));
    const auto dates = weekdaysBack("2001/09/14", 1000);
    struct Case {
        std::string label;      // line 0 as found
        std::string line500;    // line 500 as found, after its date
        std::string labelCell;  // cell (0,0) after the update
    };
    for (const auto& [label, line500, labelCell] :
         {Case{"日付 一覧,,", ",,", "日付 一覧"}, Case{"", "", ""}, Case{",,", ",", " "},
          Case{"日付", ",,2001/01/05", "日付"},
          Case{"\"日付,一覧\",\" \",", ",\" \",", "日付,一覧"},
          Case{"\"\"\"q\"\"\",x", ",a\"b,x", "\"q\""}, Case{"\t,,", ",x,y,z", "\t"}}) {
        std::vector<std::string> lines{label};
        for (const auto& date : dates) lines.push_back(date + ",,");
        lines[500] = dates[499] + line500;
        data::writeLines(root().dateFile(), lines);
        form->Button19Click();
        const auto first = dateFileBytes();
        EXPECT_EQ(form->StringGrid4.cell(0, 0), labelCell) << label;
        form->Button19Click();
        EXPECT_EQ(dateFileBytes(), first) << label;
        EXPECT_EQ(fileCalendar(), dates) << label;
    }
}

// A refused connection, an error reply or no reply at all ends the update with a message
// saying what failed; the calendar and the date file stay as they were.
TEST_F(CalendarUpdate, FailedRequestOrErrorReplyLeavesTheDateFileUnwritten) {
    platform.fixedToday = "2001/09/14";
    ServerOptions refused, notFound, silent;
    refused.failFrom = 2;
    notFound.errorReplies = {{2, 404}};
    silent.errorReplies = {{2, 0}};
    struct Case {
        ServerOptions options;
        std::string reason;
    };
    for (const auto& [options, reason] :
         {Case{refused, "Connection Failed."}, Case{notFound, "HTTP 404 Error."},
          Case{silent, "Empty reply."}}) {
        serve(weekdayCalendar("2001/09/14", 400), options);
        form->services = {};  // read again: the emulator's port is new
        writeDateFile(weekdaysBack("2001/08/15", 1000));
        const auto before = dateFileBytes();
        EXPECT_EQ(messageOf<ESockError>([&] { form->Button19Click(); }),
                  "取引日カレンダーの更新に失敗しました（" + reason + "）");
        EXPECT_EQ(dateFileBytes(), before);
        EXPECT_EQ(form->StringGrid4.cell(0, 1), "2001/08/15");
        EXPECT_FALSE(form->calendarUpdated);
        EXPECT_EQ(platform.waitDepth, 0);
    }
}

// A page with fewer rows than asked for: its rows without a date stay empty and the
// dates it has are merged.
TEST_F(CalendarUpdate, ShortPageMergesTheDatesItHas) {
    platform.fixedToday = "2001/09/14";
    serve(weekdayCalendar("2001/09/14", 60));
    writeDateFile(weekdaysBack("2001/08/15", 1000));
    form->Button19Click();
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_EQ(form->StringGrid4.cell(1, 60), weekdaysBack("2001/09/14", 60).back());
    for (int row = 61; row <= 100; ++row) ASSERT_EQ(form->StringGrid4.cell(1, row), "") << row;
    EXPECT_EQ(fileCalendar(), weekdaysBack("2001/09/14", 1000));
    EXPECT_TRUE(form->calendarUpdated);
}

TEST_F(CalendarUpdate, NoServiceSetUpLoadsTheFileSilently) {
    platform.fixedToday = "2001/09/14";
    serve(weekdayCalendar("2001/09/14", 400));
    writeServices("", "");
    writeDateFile(weekdaysBack("2001/08/15", 1000));
    const auto before = dateFileBytes();
    form->run(&TForm1::Button19Click);
    EXPECT_EQ(requests(), 0u);
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_TRUE(platform.errors.empty());
    EXPECT_EQ(form->StringGrid4.cell(0, 1), "2001/08/15");
    EXPECT_EQ(dateFileBytes(), before);

    // No services file at all: the same.
    std::filesystem::remove(root().servicesFile());
    form->run(&TForm1::Button19Click);
    EXPECT_EQ(requests(), 0u);
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_TRUE(platform.errors.empty());
    EXPECT_EQ(dateFileBytes(), before);
}

TEST_F(CalendarUpdate, DateFileFaults) {
    platform.fixedToday = "2001/09/14";
    serve(weekdayCalendar("2001/09/14", 400));
    try {
        form->Button19Click();
        FAIL();
    } catch (const EFileError& e) {
        EXPECT_EQ(e.message(), "ファイル " + root().dateFile().string() + " は開けません");
    }
    data::writeLines(root().dateFile(), {"日付,,", "2001/09/14,,"});
    try {
        form->Button19Click();
        FAIL();
    } catch (const EListError& e) {
        EXPECT_EQ(e.message(), "リストのインデックスが範囲を超えています (2)");
    }
    std::vector<std::string> lines(1001, "x,,");
    data::writeLines(root().dateFile(), lines);
    EXPECT_THROW(form->Button19Click(), EVariantError);
    EXPECT_EQ(requests(), 0u);
}
