// Dates and times as the main window shows and stores them: arrival stamps "dd/mm/yyyy" and
// "hh:mm:ss", and the long form "dddd dd mmmm yyyy" with day and month names in the language of
// the language file (the locale it names), else in the system's language.
#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

namespace MessageDates {

QString arrivalDate(const QDate& date);  // "dd/mm/yyyy"
QString arrivalTime(const QTime& time);  // "hh:mm:ss", hours 00 to 23
QString longDate(const QDate& date);     // "dddd dd mmmm yyyy"

// The clock line: the long date, " - ", the time.
QString clockLine(const QDateTime& now);

// The read panel's date line for a stored arrival date and time: the long date, a blank, the
// time. A date that is not "dd/mm/yyyy" is shown as it is.
QString arrivalDateLine(const QString& arrivalDate, const QString& arrivalTime);

}  // namespace MessageDates
