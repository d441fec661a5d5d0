// The mouse cursor of every label-button: a 32 x 32 pointing hand whose hot spot is the tip of the
// index finger, stored once with the program.
#pragma once

#include <QCursor>
#include <QPoint>

inline constexpr int kPointingHandSize = 32;
inline constexpr QPoint kPointingHandHotSpot(13, 5);

namespace PointingHand {

const QCursor& cursor();

}  // namespace PointingHand
