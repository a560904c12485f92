#include "tables/errors.h"

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
