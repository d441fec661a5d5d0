// The design colours of the windows, in one place; each window names the roles it gives them.
#pragma once

#include <QColor>

namespace Palette {

inline const QColor kWhite(255, 255, 255);
inline const QColor kBlack(0, 0, 0);
inline const QColor kBand(64, 64, 64);  // the dark bands behind the command rows
inline const QColor kLightBlue(66, 83, 157);
inline const QColor kBlue(38, 60, 153);
inline const QColor kDarkBlue(22, 34, 108);
inline const QColor kLightGrey(224, 224, 224);
inline const QColor kGrey(192, 192, 192);
inline const QColor kOrange(255, 144, 48);  // the highlight of label-buttons and borders
inline const QColor kGreen(0, 255, 0);
inline const QColor kRed(255, 0, 0);
inline const QColor kLightRed(255, 96, 96);

}  // namespace Palette
