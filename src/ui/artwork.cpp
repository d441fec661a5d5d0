#include "ui/artwork.h"

// The resource file is compiled into a static library: register it before the first use.
static void initPelimoResources() {
    Q_INIT_RESOURCE(pelimo);
}

namespace Artwork {

QPixmap picture(const QString& name) {
    static const bool registered = (initPelimoResources(), true);
    Q_UNUSED(registered);
    return QPixmap(QStringLiteral(":/images/") + name);
}

QIcon windowIcon() {
    return QIcon(picture(QString::fromLatin1(kWindowIcon)));
}

QPixmap defaultContactPhoto() {
    return picture(QString::fromLatin1(kDefaultPhoto));
}

}  // namespace Artwork
