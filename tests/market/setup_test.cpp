// Reaching the exchange's API: the services file, the key and its file, the rate.
#include "market/setup.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <fstream>

#include "data/text_file.h"
#include "market/rate_limit.h"
#include "market/store.h"
#include "tests/market/exchange_fixture.h"
#include "tests/support.h"

namespace {

using market_testing::Environment;

struct ApiKey : ::testing::Test {
    ApiKey() {
        environment.set("XDG_CONFIG_HOME", dir.path().string());
        environment.unset("JQUANTS_API_KEY");
    }
    std::filesystem::path keyFile() const { return dir.path() / "dravik" / "jquants-api-key"; }
    testing_support::ScratchDir dir;
    Environment environment;
};

TEST_F(ApiKey, ComesFromTheEnvironmentElseAFileOnlyItsOwnerCanRead) {
    EXPECT_EQ(market::keyFilePath(), keyFile());
    EXPECT_NE(testing_support::messageOf([] { market::readKey(); }).find("JQUANTS_API_KEY"),
              std::string::npos);

    market::saveKey("  file-key\n");
    struct stat status {};
    ASSERT_EQ(::stat(keyFile().c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
    EXPECT_EQ(market::readKey(), "file-key");

    ::chmod(keyFile().c_str(), 0640);
    const std::string refused = testing_support::messageOf([] { market::readKey(); });
    EXPECT_NE(refused.find("chmod 600 " + keyFile().string()), std::string::npos) << refused;
    EXPECT_EQ(refused.find("file-key"), std::string::npos);

    environment.set("JQUANTS_API_KEY", "environment-key");
    EXPECT_EQ(market::readKey(), "environment-key");
}

TEST_F(ApiKey, TheKeyFileSaysWhatIsWrongWithIt) {
    const auto write = [&](const std::string& bytes) {
        std::filesystem::create_directories(keyFile().parent_path());
        std::ofstream(keyFile(), std::ios::binary) << bytes;
        ::chmod(keyFile().c_str(), 0600);
    };
    // A byte-order mark and a note around the key are no part of it.
    write(
        "\xEF\xBB\xBF"
        "bom-key\r\n");
    EXPECT_EQ(market::readKey(), "bom-key");
    write("\n# J-Quants のキー\n\n  noted-key  \n");
    EXPECT_EQ(market::readKey(), "noted-key");
    write(" \n\n");
    EXPECT_NE(testing_support::messageOf([] { market::readKey(); }).find("は空です"),
              std::string::npos);
    write("キーはここ\n");
    EXPECT_NE(testing_support::messageOf([] {
                  market::readKey();
              }).find("1行目にキーだけを書いてください"),
              std::string::npos);
}

TEST_F(ApiKey, AKeyThatCouldBreakItsHeaderLineIsRefused) {
    for (const char* key : {"abc\r\nx-other: 1", "ab c", "キー"})
        EXPECT_NE(testing_support::messageOf([&] { market::saveKey(key); }).find("使えない文字"),
                  std::string::npos)
            << key;
    EXPECT_FALSE(std::filesystem::exists(keyFile()));
}

TEST_F(ApiKey, TheServicesFileNamesTheSourceAndItsLimits) {
    const data::DataRoot root{dir.path() / "root"};
    std::filesystem::create_directories(root.servicesFile().parent_path());
    // No line: the exchange's own address and the free plan's limits.
    data::writeLines(root.servicesFile(), {"price-table,"});
    auto services = data::loadServiceHosts(root);
    EXPECT_EQ(services.jquants, "https://api.jquants.com/v2");
    EXPECT_EQ(services.jquantsRate, 5);
    EXPECT_EQ(services.jquantsRetryWait, 60);
    EXPECT_FALSE(market::exchangeConfigured(services));
    environment.set("JQUANTS_API_KEY", "k");
    EXPECT_TRUE(market::exchangeConfigured(services));

    data::writeLines(root.servicesFile(), {"jquants,https://127.0.0.1:9/v2/", "jquants-rate,60",
                                           "jquants-retry-wait,x"});
    services = data::loadServiceHosts(root);
    EXPECT_EQ(market::connectionFor(services).base, "https://127.0.0.1:9/v2");
    EXPECT_EQ(services.jquantsRate, 60);
    EXPECT_EQ(services.jquantsRetryWait, 60);

    // An empty line turns the source off; plain HTTP would send the key in the clear.
    data::writeLines(root.servicesFile(), {"jquants,"});
    EXPECT_FALSE(market::exchangeConfigured(data::loadServiceHosts(root)));
    services.jquants = "http://api.example/v2";
    EXPECT_NE(testing_support::messageOf([&] { market::connectionFor(services); }).find("https://"),
              std::string::npos);
}

TEST(RateLimit, NeverMoreRequestsInAMinuteThanAllowed) {
    using namespace std::chrono;
    market::RateLimit limit(5);
    const market::RateLimit::Clock::time_point start{seconds(1'700'000'000)};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(limit.waitBefore(start + seconds(i)), market::RateLimit::Clock::duration{});
        limit.record(start + seconds(i));
    }
    // The sixth waits until the first has left the minute.
    EXPECT_EQ(limit.waitBefore(start + seconds(10)), milliseconds(50500));
    // Kept and restored (a second update started at once), still waiting.
    market::RateLimit again(5);
    again.restore(limit.save());
    EXPECT_EQ(again.waitBefore(start + seconds(30)), milliseconds(30500));
    EXPECT_EQ(again.waitBefore(start + seconds(61)), market::RateLimit::Clock::duration{});
    again.restore("garbage");
    EXPECT_EQ(again.waitBefore(start), market::RateLimit::Clock::duration{});
}

}  // namespace
