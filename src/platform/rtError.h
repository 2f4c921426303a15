#pragma once
// The error numbers and descriptions the program shows to the user, in the
// classic runtime's numbering (53 "File not found", 70 "Permission denied" ...).

#include <cstdint>
#include <string>

struct RtError {
    std::int32_t number = 0;
    std::string description;

    // "<number> - <description>", the tail of every error message.
    std::string text() const;
};

namespace rterr {
inline constexpr std::int32_t OutOfMemory = 7;
inline constexpr std::int32_t BadFileNameOrNumber = 52;
inline constexpr std::int32_t FileNotFound = 53;
inline constexpr std::int32_t FileAlreadyExists = 58;
inline constexpr std::int32_t DiskFull = 61;
inline constexpr std::int32_t TooManyFiles = 67;
inline constexpr std::int32_t DeviceUnavailable = 68;
inline constexpr std::int32_t PermissionDenied = 70;
inline constexpr std::int32_t PathFileAccessError = 75;
inline constexpr std::int32_t PathNotFound = 76;
inline constexpr std::int32_t DeviceIoError = 57;
inline constexpr std::int32_t InvalidProcedureCall = 5;
} // namespace rterr

// The error with the runtime's own description of `number`.
RtError makeRtError(std::int32_t number);
