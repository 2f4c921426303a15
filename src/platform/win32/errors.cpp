#include "platform/errors.h"

#include <windows.h>

namespace platform {

RtError rtErrorFromOs(int osError) {
    switch (static_cast<DWORD>(osError)) {
    case ERROR_FILE_NOT_FOUND:
        return makeRtError(rterr::FileNotFound);
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
        return makeRtError(rterr::PathNotFound);
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
        return makeRtError(rterr::PermissionDenied);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return makeRtError(rterr::DiskFull);
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return makeRtError(rterr::FileAlreadyExists);
    case ERROR_TOO_MANY_OPEN_FILES:
        return makeRtError(rterr::TooManyFiles);
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return makeRtError(rterr::OutOfMemory);
    case ERROR_NOT_READY:
    case ERROR_DEV_NOT_EXIST:
        return makeRtError(rterr::DeviceUnavailable);
    case ERROR_CRC:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
    case ERROR_GEN_FAILURE:
        return makeRtError(rterr::DeviceIoError);
    case ERROR_INVALID_NAME:
    case ERROR_FILENAME_EXCED_RANGE:
        return makeRtError(rterr::BadFileNameOrNumber);
    case ERROR_DIRECTORY: // a folder where a file was expected
    default:
        return makeRtError(rterr::PathFileAccessError);
    }
}

RtError lastRtError() {
    return rtErrorFromOs(static_cast<int>(::GetLastError()));
}

} // namespace platform
