#pragma once
// Reading a small file whole and replacing it whole, for files that are
// rewritten as a unit (the settings file). Neither call throws.

#include <string>
#include <string_view>

namespace platform {

struct WholeFile {
    enum class Status {
        Read,    // bytes holds the file's content
        Missing, // no such file (or its folder is missing)
        Failed,  // it exists but cannot be read: it must not be replaced blindly
    };
    Status status = Status::Failed;
    std::string bytes;
};

WholeFile readWholeFile(const std::string& path);

// Makes `path` hold exactly `bytes`. The new content is written to a fresh
// file in the same folder and renamed over the old one, so a reader sees
// either the old or the new file and a failed write never truncates the old
// one. A file that exists must itself be writable (a write-protected file is
// left alone even where the process could override that); its permissions
// are carried over. A symbolic link is followed and its target replaced. On
// failure no temporary file is left behind and false is returned. Where the
// folder takes no new file but the file itself may be written, the file is
// rewritten in place instead, as the Windows profile functions write: then a
// failure halfway can leave it with the new content only up to where it stopped.
bool replaceWholeFile(const std::string& path, std::string_view bytes);

} // namespace platform
