#include "attachments/copy_failure.h"
#include "stores/language_messages.h"

#include <cerrno>

using pelimo::platform::SmbFetchResult;
using pelimo::platform::SmbFetchStatus;

namespace {

CopyFailure localReason(int error) {
    switch (error) {
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return CopyFailure::DiskFull;
        case EIO:
            return CopyFailure::Other;
        default:
            return CopyFailure::CannotWrite;
    }
}

CopyFailure remoteReason(int error) {
    switch (error) {
        case ECONNREFUSED:
        case ECONNRESET:
            return CopyFailure::ConnectionRefused;
        case ETIMEDOUT:
        case EHOSTUNREACH:
        case EHOSTDOWN:
        case ENETUNREACH:
        case ENETDOWN:
            return CopyFailure::NoAnswer;
        case EACCES:
        case EPERM:
            return CopyFailure::AccessDenied;
        case ENOENT:
        case ENOTDIR:
        case EISDIR:
        case ENODEV:
            return CopyFailure::FileMissing;
        default:
            return CopyFailure::Other;
    }
}

}  // namespace

CopyFailure CopyFailures::classify(const SmbFetchResult& result) {
    switch (result.status) {
        case SmbFetchStatus::Copied:
            return CopyFailure::None;
        case SmbFetchStatus::Cancelled:
            return CopyFailure::Cancelled;
        case SmbFetchStatus::AccessDenied:
            return CopyFailure::AccessDenied;
        case SmbFetchStatus::Failed:
            break;
    }
    return result.localFailure ? localReason(result.errorNumber) : remoteReason(result.errorNumber);
}

int CopyFailures::message(CopyFailure failure) {
    switch (failure) {
        case CopyFailure::NameNotFound:
            return Msg::CopyNameNotFound;
        case CopyFailure::ConnectionRefused:
            return Msg::CopyConnectionRefused;
        case CopyFailure::NoAnswer:
            return Msg::CopyNoAnswer;
        case CopyFailure::AccessDenied:
            return Msg::CopyAccessDenied;
        case CopyFailure::FileMissing:
            return Msg::CopyFileMissing;
        case CopyFailure::DiskFull:
            return Msg::CopyDiskFull;
        case CopyFailure::CannotWrite:
            return Msg::CopyCannotWrite;
        case CopyFailure::Cancelled:
            return Msg::CopyCancelled;
        case CopyFailure::InvalidPath:
            return Msg::CopyInvalidPath;
        case CopyFailure::None:
        case CopyFailure::Other:
            break;
    }
    return Msg::CopyOther;
}
