#include "app/modKorvelIni.h"

#include "common/modKorvel.h"
#include "common/version.h"
#include "common/workerThread.h"
#include "platform/fileio.h"
#include "platform/paths.h"
#include "platform/profile.h"
#include "platform/trail.h"
#include "platform/wholeFile.h"

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <optional>

namespace {

// How long a read waits for the writes before it to reach the file. A disk
// that does not answer in that time gets no second wait: the reads after it
// take the file as it is.
constexpr std::chrono::seconds kReadWaitLimit{5};

struct PendingWrite {
    std::string section;
    std::string key; // in upper case, as it is stored
    std::string value;
    std::string file;
};

// The writes of the settings files, carried out one after another on a
// worker thread of the store's own. A write waits in the queue, at its front
// while it is carried out.
class SettingsWriter {
public:
    void add(PendingWrite write) {
        std::unique_lock lock(m_mutex);
        // Typing in a box asks for one write per keystroke: a write not yet
        // begun takes the newer value instead of writing the file twice.
        if (!m_queue.empty() && (m_queue.size() > 1 || !m_writing)) {
            PendingWrite& last = m_queue.back();
            if (last.file == write.file && last.section == write.section && last.key == write.key) {
                last.value = std::move(write.value);
                return;
            }
        }
        m_queue.push_back(std::move(write));
        try {
            // One job per write, each carrying out the write at the front:
            // posted under the lock, they run in the order of the writes.
            m_thread.post([this] { writeFront(); });
        } catch (...) {
            platform::trailCurrentException();
            PendingWrite now = std::move(m_queue.back());
            m_queue.pop_back();
            // No thread to be had: written here and now instead, unless
            // writes asked for before it are still to come.
            if (m_queue.empty()) {
                lock.unlock();
                platform::writeProfileString(now.section, now.key, now.value, now.file);
            }
        }
    }

    // Waits until no write of `file` is left, or `limit` has passed.
    void waitFor(const std::string& file, std::chrono::milliseconds limit) {
        std::unique_lock lock(m_mutex);
        const auto noneLeft = [&] {
            return std::none_of(m_queue.begin(), m_queue.end(), [&](const PendingWrite& w) { return w.file == file; });
        };
        if (m_stalled) {
            return;
        }
        if (!m_written.wait_for(lock, limit, noneLeft)) {
            m_stalled = true;
        }
    }

    // Waits until no write is left, or `limit` has passed; the number left.
    std::size_t waitForAll(std::chrono::milliseconds limit) {
        std::unique_lock lock(m_mutex);
        m_written.wait_for(lock, limit, [&] { return m_queue.empty(); });
        return m_queue.size();
    }

private:
    void writeFront() {
        std::unique_lock lock(m_mutex);
        m_writing = true;
        // Only the back of the queue changes meanwhile, and only when it
        // is not this write: the reference stays good.
        const PendingWrite& write = m_queue.front();
        lock.unlock();
        platform::writeProfileString(write.section, write.key, write.value, write.file);
        lock.lock();
        m_queue.pop_front();
        m_writing = false;
        m_stalled = false;
        m_written.notify_all();
    }

    std::mutex m_mutex;
    std::condition_variable m_written;
    std::deque<PendingWrite> m_queue;
    bool m_writing = false;
    bool m_stalled = false;
    WorkerThread m_thread;
};

SettingsWriter& settingsWriter() {
    // Never destroyed: the program's statics go away at exit while its
    // thread may still wait for a disk.
    static SettingsWriter* const writer = new SettingsWriter;
    return *writer;
}

// Keys are plain ASCII names; other characters are left as they are.
std::string asciiCase(std::string text, bool upper) {
    for (auto& c : text) {
        if (upper && c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        } else if (!upper && c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

std::optional<std::string> chooseFile(const std::string& IniFile) {
    if (!IniFile.empty()) {
        return IniFile;
    }
    const auto folders = platform::programFolders();
    if (!folders) {
        return std::nullopt;
    }
    return appFolderFrom(folders->settings) + "Settings.ini";
}

void writeValue(const std::string& Section, const std::string& Key, const std::string& value, const std::string& file) {
    // A line break would end the line early and turn the rest into lines of their own.
    if (value.find_first_of("\r\n") != std::string::npos) {
        return;
    }
    settingsWriter().add({Section, asciiCase(Key, true), value, file});
}

} // namespace

namespace modKorvel {

std::string ReadIniSetting(const std::string& Section, const std::string& Key, const std::string& IniFile,
                           const std::string& DefaultValue) {
    try {
        const auto file = chooseFile(IniFile);
        if (!file) {
            return DefaultValue;
        }
        settingsWriter().waitFor(*file, kReadWaitLimit);
        auto value =
            platform::getProfileString(Section, asciiCase(Key, false), "", platform::kSettingBufferSize, *file);
        if (!value.empty()) {
            return value;
        }
        writeValue(Section, Key, DefaultValue, *file);
    } catch (...) {
        platform::trailCurrentException();
        // Out of memory at worst: the default is the answer.
    }
    return DefaultValue;
}

void WriteIniSetting(const std::string& Section, const std::string& Key, const std::string& NewValue,
                     const std::string& IniFile) {
    try {
        if (const auto file = chooseFile(IniFile)) {
            writeValue(Section, Key, NewValue, *file);
        }
    } catch (...) {
        platform::trailCurrentException();
        // Failures are ignored by design: the setting simply is not stored.
    }
}

} // namespace modKorvel

namespace settings {

std::optional<std::string> fileProblem(const std::string& iniFile) {
    try {
        const std::string program(kAppTitle);
        // The reason as the system gives it, where opening the file the same way fails.
        const auto because = [&](platform::IoError error, const char* otherwise) {
            return " (" + (error ? error->text() : std::string(otherwise)) + ").";
        };
        const auto content = platform::readWholeFile(iniFile);
        if (content.status == platform::WholeFile::Status::Failed) {
            platform::File file;
            return "The settings file " + iniFile + " cannot be read" +
                   because(file.openForRead(iniFile), "not a file that can be read") + " " + program +
                   " runs with its default settings, and changes to them will not be kept.";
        }
        // Written back as it is, the way every setting is written: whole, or not at all.
        if (!platform::replaceWholeFile(iniFile, content.bytes)) {
            platform::File file;
            return "The settings file " + iniFile + " cannot be written" +
                   because(file.openForAppend(iniFile), "it is write-protected") +
                   " Changes to the settings will not be kept.";
        }
    } catch (...) {
        platform::trailCurrentException();
        // Out of memory for the message: nothing to tell.
    }
    return std::nullopt;
}

} // namespace settings

bool flushIniWrites(std::chrono::milliseconds timeout) noexcept {
    std::size_t left = 0;
    try {
        left = settingsWriter().waitForAll(timeout);
    } catch (...) {
        platform::trailCurrentException();
        left = 1; // the wait itself failed: nothing is known to have been written
    }
    if (left == 0) {
        return true;
    }
    std::fprintf(stderr, "Sentrel: %zu setting(s) could not be saved in time and may be lost.\n", left);
    return false;
}
