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

HANDLE processOf(std::uintptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

} // namespace

std::optional<ChildProcess> ChildProcess::start(const std::vector<std::string>& args, const std::string& output) {
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
    HANDLE outputFile = INVALID_HANDLE_VALUE;
    if (!output.empty()) {
        SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
        outputFile =
            ::CreateFileW(platform::win32::wideFromUtf8(output).c_str(), FILE_APPEND_DATA,
                          FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (outputFile == INVALID_HANDLE_VALUE) {
            return std::nullopt;
        }
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = outputFile;
        startup.hStdError = outputFile;
    }
    PROCESS_INFORMATION info{};
    const BOOL started = ::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr,
                                          outputFile != INVALID_HANDLE_VALUE, 0, nullptr, nullptr, &startup, &info);
    if (outputFile != INVALID_HANDLE_VALUE) {
        ::CloseHandle(outputFile);
    }
    if (!started) {
        return std::nullopt;
    }
    ::CloseHandle(info.hThread);
    ChildProcess child;
    child.m_handle = reinterpret_cast<std::uintptr_t>(info.hProcess);
    child.m_id = info.dwProcessId;
    return child;
}

std::optional<int> ChildProcess::reap(std::optional<std::chrono::milliseconds> limit) {
    if (!running()) {
        return m_id != 0 ? m_status : -1;
    }
    const DWORD timeout = limit ? static_cast<DWORD>(limit->count()) : INFINITE;
    if (::WaitForSingleObject(processOf(m_handle), timeout) != WAIT_OBJECT_0) {
        return std::nullopt;
    }
    DWORD code = 0;
    m_status = ::GetExitCodeProcess(processOf(m_handle), &code) ? static_cast<int>(code) : -1;
    return m_status;
}

void ChildProcess::end(bool /*atOnce*/) {
    ::TerminateProcess(processOf(m_handle), 1);
}

void ChildProcess::release() noexcept {
    ::CloseHandle(processOf(m_handle));
    m_handle = 0;
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
