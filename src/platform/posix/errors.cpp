#include "platform/errors.h"

#include <cerrno>

namespace platform {

RtError rtErrorFromOs(int osError) {
    switch (osError) {
    case ENOENT:
        return makeRtError(rterr::FileNotFound);
    case ENOTDIR:
    case ELOOP:
        return makeRtError(rterr::PathNotFound);
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
    case EWOULDBLOCK:
        return makeRtError(rterr::PermissionDenied);
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return makeRtError(rterr::DiskFull);
    case EEXIST:
        return makeRtError(rterr::FileAlreadyExists);
    case EMFILE:
    case ENFILE:
        return makeRtError(rterr::TooManyFiles);
    case ENOMEM:
        return makeRtError(rterr::OutOfMemory);
    case EIO:
        return makeRtError(rterr::DeviceIoError);
    case ENXIO:
    case ENODEV:
    case ENOMEDIUM:
        return makeRtError(rterr::DeviceUnavailable);
    case ENAMETOOLONG:
    case EINVAL:
        return makeRtError(rterr::BadFileNameOrNumber);
    case EISDIR: // a folder where a file was expected
    default:
        return makeRtError(rterr::PathFileAccessError);
    }
}

RtError lastRtError() {
    return rtErrorFromOs(errno);
}

} // namespace platform
