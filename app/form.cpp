#include "app/form.h"

#include "data/collection_fetch.h"
#include "tables/settings_layout.h"

TForm1::TForm1(Platform& platform_, Options options_)
    : platform(platform_), options(std::move(options_)), HttpClient1(sessionHostOf(platform_)) {
    Edit6.onChange = [this] { Edit6Change(); };
    Edit7.onChange = [this] { Edit7Change(); };
    StringGrid5.visible = false;
    StringGrid11.visible = false;
    for (WorkingTable* hidden : {&StringGrid2, &StringGrid3, &StringGrid4, &StringGrid6,
                                 &StringGrid7, &StringGrid8, &StringGrid9, &StringGrid10})
        hidden->visible = false;
    // A server that accepts and never answers must not hang the program, nor one that
    // trickles; and its pages (15 to 25 KB) need no more than a megabyte.
    HttpClient1.TimeOut = 30000;
    HttpClient1.RequestTimeOut = 60000;
    HttpClient1.MaxReceive = 1024 * 1024;
}

void TForm1::run(void (TForm1::*action)()) {
    run([this, action] { (this->*action)(); });
}

void TForm1::run(const std::function<void()>& action) {
    // The window stays live while quote pages download; an action started meanwhile
    // would mix its work into the tables the download is filling, so it does not start:
    // the user is told the download is under way and acts again when it is over.
    if (data::pageFetchBusy(this)) {
        fetchBusyNotice.visible = true;
        return;
    }
    applyTyped();
    {
        WaitCursor wait(platform);
        try {
            action();
        } catch (const EAbort&) {
            // The user has been told already.
        } catch (const Exception& e) {
            platform.showError(errorBoxText(e.message()));
        } catch (const std::exception& e) {
            // Not one of the system's own errors (a file system call, the memory): still
            // only the action ends, never the program.
            platform.showError(errorBoxText(foreignErrorMessage(e)));
        } catch (...) {
            platform.showError(errorBoxText(kUnknownErrorMessage));
        }
    }
    fetchBusyNotice.visible = false;
    applyTyped();
}

void TForm1::applyTyped() {
    for (TEdit* field : {&Edit1, &Edit2, &Edit3, &Edit4, &Edit5, &Edit6, &Edit7, &Edit8}) {
        if (!field->typed) continue;
        std::string text = std::move(*field->typed);
        field->typed.reset();
        field->setText(std::move(text));
    }
}

void TForm1::edit(TEdit& field, std::string text) {
    if (data::pageFetchBusy(this)) {
        field.typed = std::move(text);
        return;
    }
    field.typed.reset();
    field.setText(std::move(text));
}

void TForm1::setMode(SourceMode mode) {
    Edit8.setText(std::string(modeWord(mode)));
    StringGrid3.setCell(settings::kMode, std::string(modeWord(mode)));
}
