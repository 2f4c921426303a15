#include "platform/rtError.h"

std::string RtError::text() const {
    return std::to_string(number) + " - " + description;
}

RtError makeRtError(std::int32_t number) {
    const char* description = "Application-defined or object-defined error";
    switch (number) {
    case rterr::InvalidProcedureCall:
        description = "Invalid procedure call or argument";
        break;
    case rterr::OutOfMemory:
        description = "Out of memory";
        break;
    case rterr::BadFileNameOrNumber:
        description = "Bad file name or number";
        break;
    case rterr::FileNotFound:
        description = "File not found";
        break;
    case rterr::DeviceIoError:
        description = "Device I/O error";
        break;
    case rterr::FileAlreadyExists:
        description = "File already exists";
        break;
    case rterr::DiskFull:
        description = "Disk full";
        break;
    case rterr::TooManyFiles:
        description = "Too many files";
        break;
    case rterr::DeviceUnavailable:
        description = "Device unavailable";
        break;
    case rterr::PermissionDenied:
        description = "Permission denied";
        break;
    case rterr::PathFileAccessError:
        description = "Path/File access error";
        break;
    case rterr::PathNotFound:
        description = "Path not found";
        break;
    default:
        break;
    }
    return RtError{number, description};
}
