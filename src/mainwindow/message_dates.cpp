#include "mainwindow/message_dates.h"

#include <QLocale>

namespace {

const QString kArrivalDateFormat = QStringLiteral("dd/MM/yyyy");

}  // namespace

QString gArrivalDateText(const QDate& date) {
    return date.toString(kArrivalDateFormat);
}

QString gArrivalTimeText(const QTime& time) {
    return time.toString(QStringLiteral("HH:mm:ss"));
}

QString gLongDateText(const QDate& date) {
    return QLocale::system().toString(date, QStringLiteral("dddd dd MMMM yyyy"));
}

QString gClockLineText(const QDateTime& now) {
    return gLongDateText(now.date()) + QStringLiteral(" - ") + gArrivalTimeText(now.time());
}

QString gArrivalDateLine(const QString& arrivalDate, const QString& arrivalTime) {
    const QDate date = QDate::fromString(arrivalDate, kArrivalDateFormat);
    return (date.isValid() ? gLongDateText(date) : arrivalDate) + u' ' + arrivalTime;
}
