// The four program files as one generation: a failure before the last replacement
// leaves the old four, and a kill between two replacements is repaired from the store
// at the next start.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <map>

#include "data/text_file.h"
#include "market/program_files.h"
#include "tests/support.h"

namespace {

using market::Store;

market::Bar bar(const std::string& code, int date, double close) {
    market::Bar result;
    result.code = code;
    result.day = market::dayOf(date);
    result.close = close;
    return result;
}

struct Generation : ::testing::Test {
    Generation() {
        Store store(Store::fileIn(root()));
        store.setListedIssues({{"13010", "極洋"}, {"72030", "トヨタ"}});
        store.putBars({bar("13010", 20240304, 3000), bar("72030", 20240304, 2500)},
                      market::Source::exchange, 1);
        market::rebuildProgramFiles(store, root(), {"7203"}, false);
        // What the next generation changes: a new stock and a new day.
        store.setListedIssues({{"13010", "極洋"}, {"72030", "トヨタ"}, {"99840", "ソフトバンク"}});
        store.putBars({bar("99840", 20240305, 8000)}, market::Source::exchange, 2);
        before = files();
    }
    ~Generation() override { market::beforeReplacingFile = nullptr; }

    data::DataRoot root() const { return data::DataRoot{dir.path()}; }
    std::vector<std::filesystem::path> paths() const {
        const auto r = root();
        return {r.codeListFile(), r.dateFile(), r.candidateFile(), r.priceFile()};
    }
    std::map<std::filesystem::path, std::string> files() const {
        std::map<std::filesystem::path, std::string> bytes;
        for (const auto& path : paths()) bytes[path] = data::readBytes(path);
        return bytes;
    }
    bool leftovers() const {
        for (const auto& path : paths())
            for (const char* suffix : {".new", ".old"})
                if (std::filesystem::exists(path.string() + suffix)) return true;
        return false;
    }
    void rebuild() {
        Store store(Store::fileIn(root()));
        market::rebuildProgramFiles(store, root(), {"7203", "9984"}, false);
    }

    testing_support::ScratchDir dir;
    std::map<std::filesystem::path, std::string> before;
};

TEST_F(Generation, AFailureBeforeTheLastReplacementLeavesTheOldFour) {
    // A full disk: the second file no longer fits.
    {
        const auto old = std::signal(SIGXFSZ, SIG_IGN);
        rlimit saved{};
        ::getrlimit(RLIMIT_FSIZE, &saved);
        Store store(Store::fileIn(root()));
        rlimit small = saved;
        small.rlim_cur = 256;
        ::setrlimit(RLIMIT_FSIZE, &small);
        EXPECT_THROW(market::rebuildProgramFiles(store, root(), {"7203", "9984"}, false),
                     Exception);
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, old);
        EXPECT_EQ(files(), before);
        EXPECT_FALSE(leftovers());
    }
    // A replacement refused (a folder turned read-only between two files).
    market::beforeReplacingFile = [](int file) {
        if (file == 2) throw EFileError("ファイル kabuka.csv を作成できません");
    };
    EXPECT_THROW(rebuild(), EFileError);
    EXPECT_EQ(files(), before);
    EXPECT_FALSE(leftovers());
    market::beforeReplacingFile = nullptr;
    // A read-only folder (only a user other than root is held back by one).
    if (::geteuid() != 0) {
        std::filesystem::permissions(root().priceFile().parent_path(),
                                     std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::remove);
        EXPECT_THROW(rebuild(), Exception);
        std::filesystem::permissions(root().priceFile().parent_path(),
                                     std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::add);
        EXPECT_EQ(files(), before);
        EXPECT_FALSE(leftovers());
    }
    // Nothing is left half done: the next start finds nothing to repair.
    EXPECT_EQ(market::repairProgramFiles(root()), "");
    EXPECT_EQ(files(), before);
}

TEST_F(Generation, AKillBetweenTwoReplacementsIsRepairedAtTheNextStart) {
    EXPECT_EXIT(
        {
            market::beforeReplacingFile = [](int file) {
                if (file == 2) std::_Exit(9);
            };
            rebuild();
        },
        ::testing::ExitedWithCode(9), "");
    // The code list is new, the candidate file old: out of step.
    const auto halfway = files();
    EXPECT_NE(halfway.at(root().codeListFile()), before.at(root().codeListFile()));
    EXPECT_EQ(halfway.at(root().candidateFile()), before.at(root().candidateFile()));

    EXPECT_NE(market::repairProgramFiles(root()), "");
    EXPECT_FALSE(leftovers());
    const auto repaired = files();
    // The generation the killed run was writing, watch list and all.
    rebuild();
    EXPECT_EQ(repaired, files());
    EXPECT_NE(data::readLines(root().priceFile()).at(0).find("9984ソフトバンク"),
              std::string::npos);
    EXPECT_EQ(market::repairProgramFiles(root()), "");
}

}  // namespace
