#include "mainwindow/message_dates.h"

#include <QLocale>

#include "stores/language_file.h"

namespace {

const QString kArrivalDateFormat = QStringLiteral("dd/MM/yyyy");
// The locale the language file is written for ("en", "fr_FR"), which names the days and months.
constexpr int kDateLocaleMessage = 214;

QLocale dateLocale() {
    if (const QString* name = LanguageTable.message(kDateLocaleMessage)) {
        const QLocale locale(name->trimmed());
        if (locale.language() != QLocale::C)
            return locale;
    }
    return QLocale::system();
}

}  // namespace

QString gArrivalDateText(const QDate& date) {
    return date.toString(kArrivalDateFormat);
}

QString gArrivalTimeText(const QTime& time) {
    return time.toString(QStringLiteral("HH:mm:ss"));
}

QString gLongDateText(const QDate& date) {
    return dateLocale().toString(date, QStringLiteral("dddd dd MMMM yyyy"));
}

QString gClockLineText(const QDateTime& now) {
    return gLongDateText(now.date()) + QStringLiteral(" - ") + gArrivalTimeText(now.time());
}

QString gArrivalDateLine(const QString& arrivalDate, const QString& arrivalTime) {
    const QDate date = QDate::fromString(arrivalDate, kArrivalDateFormat);
    return (date.isValid() ? gLongDateText(date) : arrivalDate) + u' ' + arrivalTime;
}
