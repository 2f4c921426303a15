#include "support/childProcess.h"

#include "common/modKorvel.h"
#include "platform/win32/text.h"

#include <windows.h>

namespace testsupport {

namespace {

// Quotes one argument the way the C runtime's command-line parser reads it back.
std::wstring quoted(const std::wstring& arg) {
    std::wstring result = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        result.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        result += c;
    }
    result.append(backslashes * 2, L'\\');
    return result + L"\"";
}

} // namespace

struct ChildProcess::Handle {
    HANDLE process = nullptr;
    bool ended = false;
    int exitCode = -1;
};

std::optional<ChildProcess> ChildProcess::start(const std::vector<std::string>& args) {
    std::wstring commandLine;
    for (const auto& arg : args) {
        if (!commandLine.empty()) {
            commandLine += L' ';
        }
        commandLine += quoted(platform::win32::wideFromUtf8(arg));
    }
    const std::wstring program = platform::win32::wideFromUtf8(args.at(0));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &info)) {
        return std::nullopt;
    }
    ::CloseHandle(info.hThread);
    ChildProcess child;
    child.m_handle = new Handle{info.hProcess};
    return child;
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept : m_handle(other.m_handle) {
    other.m_handle = nullptr;
}

ChildProcess::~ChildProcess() {
    if (m_handle != nullptr) {
        if (!m_handle->ended) {
            ::TerminateProcess(m_handle->process, 1);
            wait();
        }
        ::CloseHandle(m_handle->process);
    }
    delete m_handle;
}

int ChildProcess::wait() {
    if (m_handle == nullptr) {
        return -1;
    }
    if (!m_handle->ended) {
        ::WaitForSingleObject(m_handle->process, INFINITE);
        DWORD code = 0;
        m_handle->exitCode = ::GetExitCodeProcess(m_handle->process, &code) ? static_cast<int>(code) : -1;
        m_handle->ended = true;
    }
    return m_handle->exitCode;
}

int ChildProcess::terminate() {
    if (m_handle != nullptr && !m_handle->ended) {
        ::TerminateProcess(m_handle->process, 1);
    }
    return wait();
}

int ChildProcess::kill() {
    return terminate();
}

std::string helperProgram(const std::string& name) {
    return modKorvel::AppFolder().value_or(".\\") + name + ".exe";
}

unsigned long currentProcessId() {
    return ::GetCurrentProcessId();
}

bool processRunning(unsigned long id) {
    HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(id));
    if (process == nullptr) {
        return ::GetLastError() == ERROR_ACCESS_DENIED;
    }
    DWORD code = 0;
    const bool running = ::GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
    ::CloseHandle(process);
    return running;
}

} // namespace testsupport
