#include "errorreport/runtime_error.h"

namespace {

struct ClassicError {
    int number;
    const char* description;
};

constexpr ClassicError kClassicErrors[] = {
    {RunTimeErrorNumber::InvalidProcedureCall, "Invalid procedure call or argument"},
    {RunTimeErrorNumber::Overflow, "Overflow"},
    {RunTimeErrorNumber::OutOfMemory, "Out of memory"},
    {RunTimeErrorNumber::SubscriptOutOfRange, "Subscript out of range"},
    {RunTimeErrorNumber::TypeMismatch, "Type mismatch"},
    {RunTimeErrorNumber::BadFileNameOrNumber, "Bad file name or number"},
    {RunTimeErrorNumber::FileNotFound, "File not found"},
    {RunTimeErrorNumber::BadFileMode, "Bad file mode"},
    {RunTimeErrorNumber::FileAlreadyOpen, "File already open"},
    {RunTimeErrorNumber::DeviceIoError, "Device I/O error"},
    {RunTimeErrorNumber::FileAlreadyExists, "File already exists"},
    {RunTimeErrorNumber::DiskFull, "Disk full"},
    {RunTimeErrorNumber::InputPastEndOfFile, "Input past end of file"},
    {RunTimeErrorNumber::PermissionDenied, "Permission denied"},
    {RunTimeErrorNumber::DiskNotReady, "Disk not ready"},
    {RunTimeErrorNumber::PathFileAccessError, "Path/File access error"},
    {RunTimeErrorNumber::PathNotFound, "Path not found"},
    {RunTimeErrorNumber::ObjectVariableNotSet, "Object variable or With block variable not set"},
    {RunTimeErrorNumber::PrinterError, "Printer error"},
};

}  // namespace

QString RunTimeError::classicDescription(int number) {
    for (const ClassicError& error : kClassicErrors) {
        if (error.number == number)
            return QString::fromLatin1(error.description);
    }
    return QStringLiteral("Application-defined or object-defined error");
}

RunTimeError::RunTimeError(int number, QString description)
    : std::runtime_error(description.isEmpty() ? classicDescription(number).toStdString()
                                               : description.toStdString()),
      number_(number),
      description_(description.isEmpty() ? classicDescription(number) : std::move(description)) {}

void RunTimeError::raise(int number, const QString& description) {
    throw RunTimeError(number, description);
}
