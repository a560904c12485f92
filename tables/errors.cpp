#include "tables/errors.h"

#include <filesystem>
#include <new>
#include <system_error>

std::string formatMessage(std::string_view pattern, std::string_view argument) {
    std::string out;
    out.reserve(pattern.size() + argument.size());
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size() &&
            (pattern[i + 1] == 's' || pattern[i + 1] == 'd')) {
            out += argument;
            ++i;
        } else {
            out += pattern[i];
        }
    }
    return out;
}

void throwNotInteger(std::string_view text) {
    throw EConvertError(formatMessage("'%s' は整数ではありません", text));
}
void throwNotFloat(std::string_view text) {
    throw EConvertError(formatMessage("'%s' は浮動小数点数ではありません", text));
}
void throwNotDate(std::string_view text) {
    throw EConvertError(formatMessage("'%s' は日付ではありません", text));
}
void throwCannotOpen(std::string_view path) {
    throw EFileError(formatMessage("ファイル %s は開けません", path));
}
void throwCannotCreate(std::string_view path) {
    throw EFileError(formatMessage("ファイル %s を作成できません", path));
}
void throwListIndex(long long index) {
    throw EListError(
        formatMessage("リストのインデックスが範囲を超えています (%d)", std::to_string(index)));
}
void throwVariantConversion() {
    throw EVariantError("バリアントの型変換が不正です");
}

std::string errorBoxText(std::string_view message) {
    std::string text(message);
    if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') text += '.';
    return text;
}

std::string foreignErrorMessage(const std::exception& error) {
    auto withDetail = [](std::string_view words, std::string_view detail) {
        std::string text(words);
        if (!detail.empty()) text.append("（").append(detail).append("）");
        return text;
    };
    if (const auto* file = dynamic_cast<const std::filesystem::filesystem_error*>(&error)) {
        std::string detail = file->path1().string();
        if (!file->path2().empty()) detail.append(" → ").append(file->path2().string());
        detail.append(detail.empty() ? "" : ": ").append(file->code().message());
        return withDetail("ファイルの操作に失敗しました", detail);
    }
    if (dynamic_cast<const std::bad_alloc*>(&error)) return "メモリが不足しています";
    if (const auto* system = dynamic_cast<const std::system_error*>(&error))
        return withDetail("システムの呼び出しに失敗しました", system->code().message());
    return withDetail(kUnknownErrorMessage, error.what());
}
