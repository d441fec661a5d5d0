#include "desktop/sni_object.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusMetaType>
#include <QImage>
#include <QMetaObject>
#include <QtEndian>

namespace {

constexpr int kIconSizes[] = {16, 22, 24, 32, 48, 64};

}  // namespace

QDBusArgument& operator<<(QDBusArgument& argument, const SniIconPixmap& icon) {
    argument.beginStructure();
    argument << icon.width << icon.height << icon.argb;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, SniIconPixmap& icon) {
    argument.beginStructure();
    argument >> icon.width >> icon.height >> icon.argb;
    argument.endStructure();
    return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const SniToolTip& tip) {
    argument.beginStructure();
    argument << tip.iconName << tip.iconPixmap << tip.title << tip.description;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, SniToolTip& tip) {
    argument.beginStructure();
    argument >> tip.iconName >> tip.iconPixmap >> tip.title >> tip.description;
    argument.endStructure();
    return argument;
}

void SniObject::registerTypes() {
    static const bool registered = [] {
        qDBusRegisterMetaType<SniIconPixmap>();
        qDBusRegisterMetaType<SniIconPixmapList>();
        qDBusRegisterMetaType<SniToolTip>();
        return true;
    }();
    (void)registered;
}

SniObject::SniObject(QObject* parent) : QObject(parent) {
    SniObject::registerTypes();
}

void SniObject::setTitle(const QString& title) {
    title_ = title;
    emit NewTitle();
}

void SniObject::setToolTip(const QString& toolTip) {
    toolTip_ = toolTip;
    emit NewToolTip();
}

void SniObject::setIcon(const QIcon& icon) {
    icon_.clear();
    for (const int size : kIconSizes) {
        const QImage image =
            icon.pixmap(size, size).toImage().convertToFormat(QImage::Format_ARGB32);
        if (image.isNull())
            continue;
        SniIconPixmap pixmap{image.width(), image.height(), {}};
        pixmap.argb.resize(static_cast<qsizetype>(image.width()) * image.height() * 4);
        auto* out = reinterpret_cast<uchar*>(pixmap.argb.data());
        for (int y = 0; y < image.height(); ++y) {
            const auto* row = reinterpret_cast<const quint32*>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x, out += 4)
                qToBigEndian<quint32>(row[x], out);
        }
        icon_.append(pixmap);
    }
    emit NewIcon();
}

QString SniObject::category() const {
    return QStringLiteral("Communications");
}

QString SniObject::id() const {
    return QCoreApplication::applicationName().toLower();
}

QString SniObject::status() const {
    return QStringLiteral("Active");
}

SniToolTip SniObject::toolTip() const {
    return {QString(), {}, toolTip_, QString()};
}

QDBusObjectPath SniObject::menu() const {
    return QDBusObjectPath(QString::fromLatin1(kSniMenuPath));
}

void SniObject::Activate(int x, int y) {
    (void)x;
    (void)y;
    QMetaObject::invokeMethod(this, &SniObject::activated, Qt::QueuedConnection);
}

void SniObject::SecondaryActivate(int x, int y) {
    (void)x;
    (void)y;
}

void SniObject::ContextMenu(int x, int y) {
    QMetaObject::invokeMethod(
        this, [this, at = QPoint(x, y)] { emit contextMenuRequested(at); }, Qt::QueuedConnection);
}

void SniObject::Scroll(int delta, const QString& orientation) {
    (void)delta;
    (void)orientation;
}
