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

QString MessageDates::arrivalDate(const QDate& date) {
    return date.toString(kArrivalDateFormat);
}

QString MessageDates::arrivalTime(const QTime& time) {
    return time.toString(QStringLiteral("HH:mm:ss"));
}

QString MessageDates::longDate(const QDate& date) {
    return dateLocale().toString(date, QStringLiteral("dddd dd MMMM yyyy"));
}

QString MessageDates::clockLine(const QDateTime& now) {
    return MessageDates::longDate(now.date()) + QStringLiteral(" - ") +
           MessageDates::arrivalTime(now.time());
}

QString MessageDates::arrivalDateLine(const QString& arrivalDate, const QString& arrivalTime) {
    const QDate date = QDate::fromString(arrivalDate, kArrivalDateFormat);
    return (date.isValid() ? MessageDates::longDate(date) : arrivalDate) + u' ' + arrivalTime;
}
