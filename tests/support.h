#pragma once
// Shared test helpers: a scratch data root and a headless form over it.
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/form.h"
#include "app/platform.h"

namespace testing_support {

// A fresh, empty directory removed at the end of the test.
class ScratchDir {
  public:
    ScratchDir();
    ~ScratchDir();
    const std::filesystem::path& path() const { return path_; }
    // Writes bytes as they stand (no conversion), creating the folders.
    void writeRaw(const std::filesystem::path& relative, const std::string& bytes) const;
    std::string readRaw(const std::filesystem::path& relative) const;

  private:
    std::filesystem::path path_;
};

// A form over a scratch data root with a recording platform.
struct FormFixture {
    FormFixture();
    ScratchDir dir;
    HeadlessPlatform platform;
    std::unique_ptr<TForm1> form;
    data::DataRoot root() const { return data::DataRoot{dir.path()}; }
};

// The message of the error of type E the action raises, or "(nothing raised)".
template <class E = Exception, class F>
std::string messageOf(F&& action) {
    try {
        action();
    } catch (const E& e) {
        return e.message();
    }
    return "(nothing raised)";
}

// The generated sample data root of the build.
std::filesystem::path sampleRoot();

}  // namespace testing_support
