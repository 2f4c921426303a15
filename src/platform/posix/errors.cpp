#include "platform/errors.h"

#include <cerrno>

namespace platform {

RtError rtErrorFromOs(int osError) {
    switch (osError) {
    case ENOENT:
        return MakeRtError(rterr::FileNotFound);
    case ENOTDIR:
    case ELOOP:
        return MakeRtError(rterr::PathNotFound);
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
    case EWOULDBLOCK:
        return MakeRtError(rterr::PermissionDenied);
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return MakeRtError(rterr::DiskFull);
    case EEXIST:
        return MakeRtError(rterr::FileAlreadyExists);
    case EMFILE:
    case ENFILE:
        return MakeRtError(rterr::TooManyFiles);
    case ENOMEM:
        return MakeRtError(rterr::OutOfMemory);
    case EIO:
        return MakeRtError(rterr::DeviceIoError);
    case ENXIO:
    case ENODEV:
    case ENOMEDIUM:
        return MakeRtError(rterr::DeviceUnavailable);
    case ENAMETOOLONG:
    case EINVAL:
        return MakeRtError(rterr::BadFileNameOrNumber);
    case EISDIR: // a folder where a file was expected
    default:
        return MakeRtError(rterr::PathFileAccessError);
    }
}

RtError lastRtError() {
    return rtErrorFromOs(errno);
}

} // namespace platform
