#include "app/cli_update.h"

#include <unistd.h>

#include <chrono>
#include <iostream>
#include <optional>

#include "app/cli_args.h"
#include "app/cli_interrupt.h"
#include "app/cli_morning.h"
#include "app/platform.h"
#include "market/market.h"
#include "tables/convert.h"

namespace {

// The progress line, rewritten in place at most ten times a second.
class ProgressLine {
  public:
    explicit ProgressLine(bool terminal) : terminal_(terminal) {}
    void show(const market::UpdateProgress& progress) {
        if (!terminal_) return;
        const auto now = std::chrono::steady_clock::now();
        const std::string text = market::progressText(progress);
        if (text == last_ || (now - shown_ < std::chrono::milliseconds(100) &&
                              progress.stage == stage_ && progress.waitSeconds == 0))
            return;
        std::cerr << "\r\033[K" << text << std::flush;
        last_ = text;
        shown_ = now;
        stage_ = progress.stage;
    }
    void clear() {
        if (terminal_ && !last_.empty()) std::cerr << "\r\033[K" << std::flush;
        last_.clear();
    }

  private:
    bool terminal_;
    std::string last_;
    std::chrono::steady_clock::time_point shown_{};
    market::UpdateProgress::Stage stage_{};
};

}  // namespace

int runUpdate(const std::filesystem::path& root, int days) {
    const data::DataRoot dataRoot{root};
    ProgressLine line(::isatty(STDERR_FILENO) == 1);
    // Ctrl-C stops after the day under way; the days already stored stay.
    const InterruptRequest interrupt;
    try {
        const auto connection = market::connectionFor(data::loadServiceHosts(dataRoot));
        const auto today = parseDate(localToday());
        if (!today) throw market::MarketError("今日の日付を読めません。");
        market::UpdateHooks hooks;
        hooks.progress = [&](const market::UpdateProgress& progress) { line.show(progress); };
        hooks.cancelled = [] { return InterruptRequest::requested(); };
        std::optional<market::UpdateSummary> summary;
        try {
            summary = market::updateMarketData(dataRoot, connection, days, *today, hooks);
        } catch (const market::StoreDamaged& e) {
            // The way out: the damaged file is kept aside and the update builds a new store.
            line.clear();
            const auto kept = market::setDamagedStoreAside(dataRoot);
            std::cerr << "dravik: " << e.message() << "\n壊れたファイルを " << kept.string()
                      << " として残し、市場データを作り直します。\n";
            summary = market::updateMarketData(dataRoot, connection, days, *today, hooks);
        }
        line.clear();
        std::cout << "J-Quants APIから更新しました。\n" << market::summaryText(*summary) << '\n';
        // The update ends with the morning's figures, kept for the next reading.
        if (const auto notice = app::morningNotice(root)) std::cout << *notice << '\n';
        return cli::kExitSuccess;
    } catch (const market::Cancelled&) {
        line.clear();
        std::cerr << "dravik: 更新を中止しました。取得した日は保存してあります "
                     "(ファイルは最後にそろえた組のままです)。\n";
        return cli::kExitInterrupted;
    } catch (const Exception& e) {
        line.clear();
        std::cerr << "dravik: " << e.message() << '\n';
        return cli::kExitFailure;
    } catch (const std::exception& e) {
        line.clear();
        std::cerr << "dravik: " << e.what() << '\n';
        return cli::kExitFailure;
    }
}
