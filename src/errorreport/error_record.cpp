#include "errorreport/error_record.h"

#include <QUrl>

ErrorRecordData ErrorRecord;

void ErrorReport::resetRecord() {
    ErrorRecord = {};
}

namespace {

// A signed decimal number with a leading blank when it is not negative.
QString signedNumber(qint32 value) {
    return value < 0 ? QString::number(value) : u' ' + QString::number(value);
}

}  // namespace

QString ErrorReport::build(const ErrorRecordData& record, const QDateTime& now) {
    const QString crLf = QStringLiteral("\r\n");
    QString report;
    report += QStringLiteral("Date:") + now.toString(QStringLiteral("MM-dd-yyyy")) +
              QStringLiteral(" - Time:") + now.toString(QStringLiteral("HH:mm:ss")) + crLf;
    report += QStringLiteral(" - Mod\t: ") + record.ErrorModule + crLf;
    report += QStringLiteral(" - Fct\t: ") + record.ErrorProcedure + crLf;
    report += QStringLiteral(" - Cod\t: ") + signedNumber(record.ErrorNumber) + crLf;
    report += QStringLiteral(" - Inf\t: ") + record.ErrorDescription + crLf;
    report += QStringLiteral(" - Sub\t: ") + signedNumber(record.ErrorLine) + crLf;
    return report;
}

QString ErrorReport::mailUrl(const QString& report) {
    // Every reserved character, CR, LF and TAB included, is percent-encoded.
    const auto encode = [](const QString& text) {
        return QString::fromLatin1(QUrl::toPercentEncoding(text));
    };
    return QStringLiteral("mailto:") + QString::fromLatin1(kSupportAddress) +
           QStringLiteral("?subject=") + encode(QStringLiteral("Error Trapping?")) +
           QStringLiteral("&body=") + encode(report);
}
