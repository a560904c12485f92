#pragma once
// The main window as the system sees it: its fields, captions, visible flags, the
// eleven working tables and every action. The desktop window only binds widgets to
// this form; tests and the command line drive it directly.
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "app/platform.h"
#include "chart/chart.h"
#include "chart/stored_prices.h"
#include "data/paths.h"
#include "data/services.h"
#include "net/http_client.h"
#include "screening/breadth.h"
#include "tables/source_mode.h"
#include "tables/working_table.h"

// An edit field: its text, and the change handler that runs whenever the text changes.
class TEdit {
  public:
    explicit TEdit(std::string text = {}) : text_(std::move(text)) {}
    const std::string& text() const { return text_; }
    void setText(std::string text) {
        if (text == text_) return;
        text_ = std::move(text);
        if (onChange) onChange();
    }
    std::function<void()> onChange;
    // Typed while quote pages download: shown at once, the field's text once the
    // running action ends (which goes on with the text it started with).
    std::optional<std::string> typed;
    const std::string& shownText() const { return typed ? *typed : text_; }

  private:
    std::string text_;
};

struct TButton {
    std::string caption;
};

struct TPanel {
    std::string caption;
    bool visible = false;
};

// The usage-guide web view: the page it shows.
struct TWebView {
    std::string url;
    std::string html;
};

class TForm1 {
  public:
    struct Options {
        data::DataRoot root;
        // The usage-guide page shipped with the program (shown when no host serves it).
        std::filesystem::path guidePage;
    };

    TForm1(Platform& platform, Options options);
    TForm1(const TForm1&) = delete;
    TForm1& operator=(const TForm1&) = delete;

    // Every user action enters here: the wait cursor is shown, an error ends the
    // action and is shown in the error box.
    void run(void (TForm1::*action)());
    void run(const std::function<void()>& action);
    // The user typed into a field. Typing is no action: it is kept also while quote
    // pages download, when actions are held off.
    void edit(TEdit& field, std::string text);
    // What was typed while pages downloaded becomes the fields' text.
    void applyTyped();

    Platform& platform;
    const Options options;
    data::ServiceHosts services;

    // Fields of the bottom panel.
    TEdit Edit1;                             // stock code
    TEdit Edit2{"500"};                      // days shown
    TEdit Edit3{"0.015"};                    // box ratio or "コーエン"
    TEdit Edit4;                             // date of a clicked box
    TEdit Edit5;                             // price level of a clicked box
    TEdit Edit6{"6000"};                     // start of the screening range
    TEdit Edit7{"6999"};                     // end of the screening range
    TEdit Edit8{std::string(kQuendalWord)};  // data-source mode
    TButton Button36{"利用説明"};
    TButton Button37{"選別"};  // "選別中" while a screening run is under way
    TPanel Panel5{"ｋｏｕｈｏデータを読み込んでください。", false};
    TPanel Panel6{"", false};
    // Shown when an action was held off because quote pages download.
    TPanel fetchBusyNotice{"取得中です", false};
    // Shown with a chart whose dates come from a calendar not brought up to date.
    TPanel staleDatesNotice{
        "取引日カレンダーが更新されていないため、日付がずれている可能性があります。", false};
    // Shown with a textbook chart on highs and lows drawn on closes: the stock has none.
    TPanel closesOnlyNotice{chart::kClosesOnlyNotice, false};
    TWebView WebBrowser1;

    // The working tables.
    WorkingTable StringGrid1{100, 5};         // chart grid
    WorkingTable StringGrid2{5, 5};           // price table
    WorkingTable StringGrid3{7, 20};          // settings table
    WorkingTable StringGrid4{3, 3801};        // date table
    WorkingTable StringGrid5{50, 5};          // box-date grid
    WorkingTable StringGrid6{5, 5};           // page table
    WorkingTable StringGrid7{1, 1001, 0, 1};  // quick-collection list
    WorkingTable StringGrid8{5, 5};           // code table
    WorkingTable StringGrid9{5, 5};           // box table
    WorkingTable StringGrid10{5, 5};          // candidate table
    WorkingTable StringGrid11{11, 5};         // results list

    // The data-source mode of the mode field; setMode writes the word into the field and
    // the settings table.
    SourceMode mode() const { return sourceModeOf(Edit8.text()); }
    void setMode(SourceMode mode);

    THttpClient HttpClient1;
    int quickCollectedCount = 0;   // stocks collected since start-up
    bool calendarUpdated = false;  // the calendar update completed since start-up
    // What the last screening run noted beside its list (bullish percent, signal boxes).
    screening::RunNotes screeningNotes;
    // The chart the grids show: what the last chart run (or its drawing or screening
    // build) made; nothing while a run is under way or when it stopped early.
    std::optional<chart::Chart> shownChart;
    // How the chart run and the screening draw (the construction choices).
    chart::ChartStyle chartStyle;
    // Whether the results list shows the catalogue's further formations after the ten
    // (拡張パターン).
    bool extendedPatterns = false;
    // Chart runs drawn on closes although highs and lows were asked for (the stock has
    // none), since the count was last set to 0 (the screening run sets it).
    int closesOnlyRuns = 0;

    // --- Start-up and main window (app/) ---
    void FormCreate();
    // Start-up's filling of the fields from the settings table.
    void FieldsFromSettings();
    void Button1Click();  // the first chart run of start-up
    void Edit1KeyPress(char key);
    void Edit2KeyPress(char key);
    void Edit3KeyPress(char key);
    void Edit6KeyPress(char key);
    void Edit7KeyPress(char key);
    void Edit1Exit();
    void Edit3Exit();
    void Edit1DblClick();
    void Edit2DblClick();
    void Edit3DblClick();
    void Edit6DblClick();
    void Edit7DblClick();
    void Edit6Change();
    void Edit7Change();
    void Label1DblClick();
    void Label2DblClick();
    void Label3DblClick();
    void Button36Click();  // usage-guide panel
    // Settings file.
    void Button17Click();  // save
    void Button18Click();  // load

    // --- Point-and-figure engine (chart/) ---
    void Button3Click();   // chart run
    void Button34Click();  // code lookup
    void Button4Click();   // price range
    void Button5Click();   // percentage box levels
    void Button14Click();  // Cohen ladder
    void Button28Click();  // Cohen box levels
    void Button12Click();  // box indexing
    void Button6Click();   // column drawing
    // A mouse button released over the chart grid, on cell (col, row); negative: no cell.
    void StringGrid1MouseUp(int col, int row);
    void Edit4DblClick();  // latest date

    // --- Price data (data/) ---
    void Button2Click();   // price table load
    void Button25Click();  // code list load
    void Button8Click();   // series collection
    // The series from the exchange's API when it is set up (market/); false when it is not.
    bool collectFromExchange();
    // Whether collected series come from the exchange's API (dated day by day) rather than
    // from the price-table service's pages (dated by the calendar's rows).
    bool collectsFromExchange() const;
    void Button9Click();   // page split
    void Button10Click();  // price extraction
    void Button13Click();  // price extraction, grouping commas
    void Button11Click();  // page copy
    void Button19Click();  // calendar update
    void Button20Click();  // date file load
    void Button21Click();  // calendar page split
    void Button22Click();  // date extraction
    void Button23Click();  // calendar merge
    void Button24Click();  // quick collection
    void Button35Click();  // candidate header load
    void Button32Click();  // candidate range load
    void Button31Click();  // candidate load button "読込"
    // The candidate rows of a range that holds the code alone, loaded as "読込" loads
    // them, in mode kouho (the command line's chart of a candidate).
    void loadCandidateRangeOf(const std::string& code);

    // --- Pattern screening (screening/) ---
    void Button38Click();  // screening column build
    void Button39Click();  // pattern check
    void Button42Click();  // pattern test
    void Button41Click();  // next-stock step
    void Button26Click();  // "順次"
    void Button27Click();  // "戻る"
    void Edit8Click();     // mode toggle
    void Button33Click();  // range resolution
    void Button37Click();  // screening run "選別"
    void Button40Click();  // "結果開閉"
    void StringGrid11MouseUp(int col, int row);
    void Label6DblClick();  // range save
    // 拡張パターン: the results list with or without the further formations' columns.
    void setExtendedPatterns(bool shown);
    // The range fields as a start-up with this range would leave them: saved, not
    // resolved, no candidate rows loaded (the command line's screening).
    void takeRangeAsSaved();
};
