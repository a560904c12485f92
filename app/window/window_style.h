#pragma once
// The look the window shares: its font and colours.
#include <QColor>
#include <QFont>

// ＭＳ Ｐゴシック at the given pixel size, IPA P Gothic where it is not installed.
QFont windowFont(int pixelSize);

inline const QColor kChartBackground{249, 250, 231};
inline const QColor kResultsBackground{247, 249, 247};
inline const QColor kResultsFixed{179, 196, 204};
inline const QColor kBottomPanel{156, 173, 218};
inline const QColor kNoticePanel{145, 176, 215};
inline const QColor kFieldGrey{238, 238, 238};

// The chart's right scale: the levels beside the last column.
inline constexpr int kChartScaleWidth = 84;
