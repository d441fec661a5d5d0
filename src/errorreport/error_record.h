// The record of the last unexpected failure and the report text built from it.
#pragma once

#include <QDateTime>
#include <QString>
#include <QtGlobal>

struct ErrorRecordData {
    qint32 ErrorNumber = 0;
    QString ErrorDescription;
    qint32 ErrorLine = 0;
    QString ErrorModule;
    QString ErrorProcedure;
};

// One per process, overwritten by each failure.
extern ErrorRecordData ErrorRecord;

// The maker's support address, shown in the report window and used as the mail recipient.
inline constexpr char kSupportAddress[] = "support@pelimo.org";

namespace ErrorReport {

// Empties ErrorRecord (tests call it between cases).
void resetRecord();

// The six-line report, each line ended by CR LF, for the record at the given moment.
QString build(const ErrorRecordData& record, const QDateTime& now);

// The percent-encoded mailto: URL that hands the report to the mail program.
QString mailUrl(const QString& report);

}  // namespace ErrorReport
