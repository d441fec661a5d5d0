// The program's run-time error: a classic error number and its description.
#pragma once

#include <QString>
#include <stdexcept>

namespace RunTimeErrorNumber {
inline constexpr int InvalidProcedureCall = 5;
inline constexpr int Overflow = 6;
inline constexpr int OutOfMemory = 7;
inline constexpr int SubscriptOutOfRange = 9;
inline constexpr int TypeMismatch = 13;
inline constexpr int BadFileNameOrNumber = 52;
inline constexpr int FileNotFound = 53;
inline constexpr int BadFileMode = 54;
inline constexpr int FileAlreadyOpen = 55;
inline constexpr int DeviceIoError = 57;
inline constexpr int FileAlreadyExists = 58;
inline constexpr int DiskFull = 61;
inline constexpr int InputPastEndOfFile = 62;
inline constexpr int PermissionDenied = 70;
inline constexpr int DiskNotReady = 71;
inline constexpr int PathFileAccessError = 75;
inline constexpr int PathNotFound = 76;
inline constexpr int ObjectVariableNotSet = 91;
inline constexpr int PrinterError = 482;
}  // namespace RunTimeErrorNumber

class RunTimeError : public std::runtime_error {
public:
    // An empty description takes the classic one of the number.
    explicit RunTimeError(int number, QString description = {});
    int number() const { return number_; }
    const QString& description() const { return description_; }

    // The classic description of a run-time error number ("File not found" for 53).
    static QString classicDescription(int number);

    // Throws RunTimeError.
    [[noreturn]] static void raise(int number, const QString& description = {});

private:
    int number_;
    QString description_;
};
