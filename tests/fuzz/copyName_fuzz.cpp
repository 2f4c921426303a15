// The copy-name chooser on odd watched paths, application folders and
// day-half designators. Input: options NUL application folder NUL watched
// path NUL before-noon designator NUL after-noon designator. Option bytes:
// separator, manual, hour, minute, second, longest name (two bytes), counter
// (two bytes), names already taken.
//   - The stamp holds nothing a file name cannot; the candidate lies in the
//     Copies folder and its name holds no separator.
//   - The name is the base (cut, never inside a character) and the pieces in
//     order; it fits the longest name unless the pieces alone do not.
//   - The chooser takes the first candidate that is not taken yet.

#include "fuzzInput.h"

#include "copies/copyName.h"
#include "support/fakeClock.h"

#include <cstdio>
#include <set>

namespace {

using fuzz::Fields;

bool isContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0U) == 0x80U;
}

std::string counterText(std::int64_t counter) {
    char text[32];
    std::snprintf(text, sizeof text, "%04lld", static_cast<long long>(counter));
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Fields in(data, size);
    const auto options = in.next();
    const auto appFolder = in.next();
    const auto watched = in.next();
    const platform::DayHalfDesignators designators{std::string(in.next()), std::string(in.next())};
    const char separator = Fields::byte(options, 0) % 2 == 0 ? '\\' : '/';
    const bool manual = Fields::byte(options, 1) % 2 == 1;
    const platform::LocalDateTime time{
        2026, 2, 28, Fields::byte(options, 2) % 24, Fields::byte(options, 3) % 60, Fields::byte(options, 4) % 60};
    auto parts = copies::copyNamePartsFor(appFolder, watched, manual, separator);
    parts.maxNameBytes = 1 + (Fields::byte(options, 5) << 8 | Fields::byte(options, 6)) % 300;
    const std::int64_t counter = 1 + (Fields::byte(options, 7) << 8 | Fields::byte(options, 8));

    const auto stamp = copies::copyTimestamp(time, designators);
    for (const char c : stamp) {
        fuzz::check(static_cast<unsigned char>(c) >= 0x20 &&
                        std::string_view("<>:\"/\\|?*").find(c) == std::string::npos,
                    "the stamp holds nothing a file name cannot", {stamp});
    }

    const auto candidate = copies::copyCandidate(parts, stamp, counter);
    fuzz::check(candidate.starts_with(parts.folder), "the copy lies in the Copies folder", {candidate, parts.folder});
    const auto name = std::string_view(candidate).substr(parts.folder.size());
    fuzz::check(name.find(separator) == std::string_view::npos, "a copy's name holds no separator", {watched, name});

    std::string tail = " - " + stamp + (manual ? " - Manual" : "") + " (" + counterText(counter) + ")";
    if (parts.extension) {
        tail += "." + *parts.extension;
    }
    fuzz::check(name.ends_with(tail), "the pieces in order behind the base", {name, tail});
    const auto base = name.substr(0, name.size() - tail.size());
    fuzz::check(std::string_view(parts.baseName).starts_with(base), "the base is the start of the file's name",
                {name, parts.baseName});
    // (A name that starts with stray continuation bytes has no character to keep whole.)
    if (!base.empty() && base.size() < parts.baseName.size()) {
        fuzz::check(!isContinuationByte(parts.baseName[base.size()]), "a cut never splits a character",
                    {parts.baseName, base});
    }
    fuzz::check(name.size() <= parts.maxNameBytes || tail.size() >= parts.maxNameBytes,
                "the name fits unless the pieces alone do not", {name});

    // The first candidates are taken: the chooser counts past them.
    const int taken = Fields::byte(options, 9) % 8;
    testsupport::FakeClock clock;
    clock.time = time;
    clock.designators = designators;
    std::set<std::string> names;
    for (int i = 1; i <= taken; ++i) {
        names.insert(copies::copyCandidate(parts, stamp, i));
    }
    const auto chosen = copies::chooseCopyName(parts, clock, [&](const std::string& c) { return names.count(c) > 0; });
    fuzz::check(chosen == copies::copyCandidate(parts, stamp, taken + 1), "the first candidate not taken", {chosen});
    return 0;
}
