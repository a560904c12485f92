#include "market/setup.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "data/file_descriptor.h"
#include "data/text_file.h"
#include "market/store.h"

namespace market {

namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return std::string(text.substr(first, last - first + 1));
}

// A key is printable ASCII: anything else could end the header line it is sent in.
std::string checkedKey(std::string_view text) {
    const std::string key = trimmed(text);
    for (char c : key) {
        if (c <= 0x20 || c >= 0x7F)
            throw MarketError("J-Quants APIキーに使えない文字が含まれています。");
    }
    return key;
}

[[noreturn]] void noKey() {
    throw MarketError(
        "J-Quants APIキーが設定されていません。ウィンドウのメニュー「データ」→「J-Quants "
        "APIキー…」で設定するか、環境変数 JQUANTS_API_KEY か、ファイル " +
        keyFilePath().string() + " にキーを書いてください。");
}

}  // namespace

std::filesystem::path keyFilePath() {
    const std::string config = environment("XDG_CONFIG_HOME");
    if (!config.empty() && std::filesystem::path(config).is_absolute())
        return std::filesystem::path(config) / "dravik" / "jquants-api-key";
    const std::string home = environment("HOME");
    return std::filesystem::path(home.empty() ? "." : home) / ".config" / "dravik" /
           "jquants-api-key";
}

bool exchangeConfigured(const data::ServiceHosts& services) {
    if (services.jquants.empty()) return false;
    if (!trimmed(environment("JQUANTS_API_KEY")).empty()) return true;
    std::error_code error;
    return std::filesystem::is_regular_file(keyFilePath(), error);
}

std::string readKey() {
    const std::string fromEnvironment = environment("JQUANTS_API_KEY");
    if (!trimmed(fromEnvironment).empty()) return checkedKey(fromEnvironment);
    const auto path = keyFilePath();
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) noKey();
    if (status.st_mode & (S_IRGRP | S_IROTH))
        throw MarketError("J-Quants APIキーのファイル " + path.string() +
                          " は他のユーザーも読めるため使いません。chmod 600 " + path.string() +
                          " で自分だけが読めるようにしてください。");
    std::string content;
    try {
        content = data::readBytes(path, 64 * 1024);
    } catch (const Exception&) {
        throw MarketError("J-Quants APIキーのファイル " + path.string() + " を読めません。");
    }
    // An editor's byte-order mark is no part of the key.
    if (content.starts_with("\xEF\xBB\xBF")) content.erase(0, 3);
    if (trimmed(content).empty())
        throw MarketError("J-Quants APIキーのファイル " + path.string() +
                          " は空です。1行目にキーを書いてください。");
    // The key is the first line that is one; a note about it may stand around it.
    std::size_t start = 0;
    while (start <= content.size()) {
        const std::size_t end = std::min(content.find('\n', start), content.size());
        const std::string line = trimmed(std::string_view(content).substr(start, end - start));
        start = end + 1;
        if (line.empty()) continue;
        try {
            return checkedKey(line);
        } catch (const MarketError&) {
        }
    }
    throw MarketError("J-Quants APIキーのファイル " + path.string() +
                      " にキーが見つかりません。1行目にキーだけを書いてください。");
}

void saveKey(std::string_view text) {
    const std::string key = checkedKey(text);
    if (key.empty()) throw MarketError("J-Quants APIキーが空です。");
    const auto path = keyFilePath();
    const auto failed = [&] {
        return MarketError("J-Quants APIキーのファイル " + path.string() + " を書けません。");
    };
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    if (error) throw failed();
    ::chmod(path.parent_path().c_str(), 0700);
    const std::string temp = path.string() + ".tmp" + std::to_string(::getpid());
    ::unlink(temp.c_str());
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) throw failed();
    const std::string content = key + "\n";
    bool ok = ::fchmod(fd, 0600) == 0;
    ok = ok && data::writeFully(fd, content);
    ok = ok && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (!ok || std::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        throw failed();
    }
}

Connection connectionFor(const data::ServiceHosts& services) {
    Connection connection;
    connection.base = services.jquants;
    if (connection.base.empty())
        throw MarketError("J-Quants APIの取得先が設定されていません (services.csv の jquants)。");
    // The key travels in a header: only over a verified TLS connection.
    if (connection.base.rfind("https://", 0) != 0 ||
        connection.base.find_first_of(" \t\r\n") != std::string::npos)
        throw MarketError("J-Quants APIの取得先 " + connection.base +
                          " は https:// で始まる URL にしてください。");
    while (connection.base.size() > 8 && connection.base.back() == '/') connection.base.pop_back();
    connection.key = readKey();
    connection.caFile = environment("SSL_CERT_FILE");
    connection.requestsPerMinute = services.jquantsRate;
    connection.retryWaitSeconds = services.jquantsRetryWait;
    return connection;
}

}  // namespace market
