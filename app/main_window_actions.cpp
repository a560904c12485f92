#include <string>

#include "app/form.h"
#include "data/cp932.h"
#include "data/text_file.h"
#include "tables/convert.h"
#include "tables/settings_layout.h"
#include "tables/source_mode.h"

namespace {

constexpr char kEnter = 13;
const std::string kCohen = "コーエン";
const std::string kGuideOpen = "利用説明";
const std::string kGuideClose = "説明閉る";
// The smallest box ratio the chart accepts.
constexpr long double kSmallestRatio = 0.002L;

}  // namespace

// Start-up: settings, code list, fields, calendar, price table and the first chart.
void TForm1::FormCreate() {
    Button18Click();
    Button25Click();
    FieldsFromSettings();
    // The calendar only matters for stocks outside the price table: when its update
    // fails (no network, no host) the user is told and still gets the chart.
    try {
        Button19Click();
    } catch (const EAbort&) {
    } catch (const Exception& e) {
        platform.showError(errorBoxText(e.message()));
    }
    Button2Click();
    StringGrid1.setCell(1, 0, "株価");
    Button1Click();
}

void TForm1::FieldsFromSettings() {
    Edit1.setText(StringGrid3.cell(settings::kSavedCode));
    Edit2.setText(StringGrid3.cell(settings::kSavedDays));
    Edit3.setText(StringGrid3.cell(settings::kSavedRatio));
    Edit6.setText(StringGrid3.cell(settings::kRangeStart));
    Edit7.setText(StringGrid3.cell(settings::kRangeEnd));
    StringGrid3.setCell(settings::kRangeStartRow, "0");
    StringGrid3.setCell(settings::kRangeEndRow, "0");
}

void TForm1::Button1Click() {
    Button3Click();
}

void TForm1::Edit1KeyPress(char key) {
    if (key == kEnter) Button3Click();
}
void TForm1::Edit2KeyPress(char key) {
    if (key == kEnter) Button3Click();
}
void TForm1::Edit3KeyPress(char key) {
    if (key == kEnter) Button3Click();
}
void TForm1::Edit6KeyPress(char key) {
    if (key == kEnter) Button3Click();
}
void TForm1::Edit7KeyPress(char key) {
    if (key == kEnter) Button3Click();
}

void TForm1::Edit1Exit() {
    Button3Click();
}

void TForm1::Edit3Exit() {
    if (Edit3.text() != kCohen && toFloat(Edit3.text()) <= kSmallestRatio) Edit3.setText("0.002");
}

// Back to the saved code; on the saved code itself, to the fallback code.
void TForm1::Edit1DblClick() {
    if (mode() == SourceMode::Quendal) {
        const std::string saved = StringGrid3.cell(settings::kSavedCode);
        Edit1.setText(Edit1.text() != saved ? saved : StringGrid2.cell(1, 0));
    } else {
        const std::string saved = StringGrid3.cell(settings::kSavedCandidateCode);
        Edit1.setText(Edit1.text() != saved ? saved : Edit6.text());
    }
    Button3Click();
}

void TForm1::Edit2DblClick() {
    Edit2.setText(StringGrid3.cell(settings::kSavedDays));
}

// Between the Cohen method and the saved ratio.
void TForm1::Edit3DblClick() {
    if (Edit3.text() != kCohen) {
        Edit3.setText(kCohen);
        return;
    }
    const std::string saved = StringGrid3.cell(settings::kSavedRatio);
    Edit3.setText(saved != kCohen ? saved : "0.015");
}

void TForm1::Edit6DblClick() {
    Edit6.setText("1301");
}
void TForm1::Edit7DblClick() {
    Edit7.setText("9997");
}

// The candidate data no longer matches the range.
void TForm1::Edit6Change() {
    StringGrid3.setCell(settings::kCandidatesLoaded, "0");
}
void TForm1::Edit7Change() {
    StringGrid3.setCell(settings::kCandidatesLoaded, "0");
}

void TForm1::Label1DblClick() {
    StringGrid3.setCell(settings::kSavedDays, Edit2.text());
    Button17Click();
}

void TForm1::Label2DblClick() {
    StringGrid3.setCell(
        mode() != SourceMode::Kouho ? settings::kSavedCode : settings::kSavedCandidateCode,
        Edit1.text());
    Button17Click();
}

void TForm1::Label3DblClick() {
    StringGrid3.setCell(settings::kSavedRatio, Edit3.text());
    Button17Click();
}

// The usage-guide panel: opened with the page fetched afresh from the guide host,
// or the page shipped with the program when there is none or it does not answer.
void TForm1::Button36Click() {
    if (Button36.caption != kGuideOpen) {
        Panel6.visible = false;
        Button36.caption = kGuideOpen;
        return;
    }
    bool fetched = false;
    if (!services.usageGuide.empty()) {
        const std::string url = "http://" + services.usageGuide + "/quendal/dravik.htm";
        try {
            HttpClient1.Get(url);
            if (HttpClient1.ReplyNumber >= 200 && HttpClient1.ReplyNumber < 300 &&
                !HttpClient1.Body.empty()) {
                WebBrowser1.url = url;
                WebBrowser1.html = data::isUtf8(HttpClient1.Body)
                                       ? HttpClient1.Body
                                       : data::cp932ToUtf8(HttpClient1.Body);
                fetched = true;
            }
        } catch (const EAbort&) {
            throw;
        } catch (const Exception&) {
            // The shipped page stands in.
        }
    }
    if (!fetched) {
        WebBrowser1.html = data::readBytes(options.guidePage);
        WebBrowser1.url = "file://" + options.guidePage.string();
    }
    Panel6.visible = true;
    Button36.caption = kGuideClose;
}
