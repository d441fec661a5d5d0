// The program's own pictures, compiled into the program as resources.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

namespace Artwork {

// Names of the pictures under ":/images/".
inline constexpr char kPanelBar[] = "panel_bar.png";
inline constexpr char kWindowIcon[] = "pelimo.png";
inline constexpr char kDefaultPhoto[] = "default_photo.bmp";
inline constexpr char kLetterhead[] = "letterhead.png";
inline constexpr char kMessRead[] = "mess_read.png";
inline constexpr char kMessNoRead[] = "mess_noread.png";
inline constexpr char kMessFileRead[] = "messfile_read.png";
inline constexpr char kMessFileNoRead[] = "messfile_noread.png";

// A picture of the program; a null picture when the name is unknown.
QPixmap picture(const QString& name);

QIcon windowIcon();

// The 64 x 64 photo shown for a sender or contact without a usable photo of its own.
QPixmap defaultContactPhoto();

}  // namespace Artwork
