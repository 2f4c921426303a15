#pragma once
// What a folder holds, to compare in one assertion with what a test expects
// to be left in it.

#include <filesystem>
#include <map>
#include <string>

namespace testsupport {

// Every entry by name: a file's bytes, "<folder>" for a folder, "<link>" for
// a symbolic link, "<other>" for anything else. Meant for small files.
std::map<std::string, std::string> folderContents(const std::filesystem::path& folder);

// The files in the folder whose names have the form of an unfinished copy.
std::map<std::string, std::string> unfinishedCopiesIn(const std::filesystem::path& folder);

} // namespace testsupport
