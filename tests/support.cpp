#include "tests/support.h"

#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

// Tests never reach the exchange's real API: no key of the user's is found.
const bool userKeyHidden = [] {
    ::unsetenv("JQUANTS_API_KEY");
    ::setenv("XDG_CONFIG_HOME", ("/nonexistent/dravik-tests-" + std::to_string(::getpid())).c_str(),
             1);
    return true;
}();

}  // namespace

namespace testing_support {

ScratchDir::ScratchDir() {
    static std::atomic<int> counter{0};
    path_ = std::filesystem::temp_directory_path() /
            ("dravik-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void ScratchDir::writeRaw(const std::filesystem::path& relative, const std::string& bytes) const {
    const auto full = path_ / relative;
    std::filesystem::create_directories(full.parent_path());
    std::ofstream(full, std::ios::binary) << bytes;
}

std::string ScratchDir::readRaw(const std::filesystem::path& relative) const {
    std::ifstream in(path_ / relative, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

FormFixture::FormFixture()
    : form(std::make_unique<TForm1>(platform, TForm1::Options{data::DataRoot{dir.path()}, {}})) {}

std::filesystem::path sampleRoot() {
    return std::filesystem::path(DRAVIK_BINARY_DIR) / "sample-data";
}

}  // namespace testing_support
