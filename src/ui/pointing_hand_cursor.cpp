#include "ui/pointing_hand_cursor.h"

#include <QPixmap>

// The resource file is compiled into a static library: register it before the first use
// (registering it again elsewhere is harmless).
static void initCursorResources() {
    Q_INIT_RESOURCE(pelimo);
}

const QCursor& PointingHand::cursor() {
    static const QCursor cursor = [] {
        initCursorResources();
        const QPixmap picture(QStringLiteral(":/images/hand_cursor.png"));
        // Without its picture the cursor is the system's pointing hand.
        if (picture.isNull())
            return QCursor(Qt::PointingHandCursor);
        return QCursor(picture, kPointingHandHotSpot.x(), kPointingHandHotSpot.y());
    }();
    return cursor;
}
