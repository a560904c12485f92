#include "app/window/window_style.h"

#include <QStringList>

QFont windowFont(int pixelSize) {
    QFont font;
    font.setFamilies({QString::fromUtf8("ＭＳ Ｐゴシック"), "MS PGothic", "IPAPGothic",
                      QString::fromUtf8("IPA Pゴシック"), "IPAGothic"});
    font.setPixelSize(pixelSize);
    return font;
}
