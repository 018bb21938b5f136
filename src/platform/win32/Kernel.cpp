// kernel32 and PSAPI: error texts, clock, version, processes, the mutex, files, code pages.
// clang-format off
#include "platform/win32/Win32Util.h"  // <windows.h>, which the headers below need
// clang-format on

#include <psapi.h>
#include <sddl.h>

#include "platform/win32/SystemLibraries.h"
#include <shellapi.h>

#include <algorithm>

// PSAPI version 2 renames the function to its kernel32 export; the seam keeps the plain name.
#undef GetProcessImageFileNameW

#include "platform/win32/Win32Platform.h"

namespace nv {

using win32::MakeHandle;
using win32::UniqueHandle;

namespace win32 {

std::wstring SystemMessage(std::uint32_t code) {
    wchar_t* text = nullptr;
    DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::unique_ptr<void, LocalFreer> owner(text);
    std::wstring message = length ? std::wstring(text, length) : std::wstring();
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' ||
                                message.back() == L' ' || message.back() == L'.'))
        message.pop_back();
    if (message.empty()) message = L"System error " + std::to_wstring(code);
    return message;
}

OsError MakeOsError(const std::wstring& what, std::uint32_t code) {
    return OsError(ToUtf8(what + L". " + SystemMessage(code) + L"."), code);
}

}  // namespace win32

void Win32Kernel::HandleCloser::operator()(void* handle) const {
    if (handle) ::CloseHandle(handle);
}

std::uint32_t Win32Kernel::GetTickCount() { return ::GetTickCount(); }

OsVersion Win32Kernel::GetVersionExW() {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof(info);
    // Deprecated, but it is exactly what the version gate asks: the version the manifest lets
    // the system admit to.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    BOOL ok = ::GetVersionExW(&info);
#pragma GCC diagnostic pop
    if (!ok) return {};
    return {info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber, info.dwPlatformId};
}

ProcessId Win32Kernel::GetCurrentProcessId() { return ::GetCurrentProcessId(); }
std::uint32_t Win32Kernel::GetCurrentThreadId() { return ::GetCurrentThreadId(); }

std::wstring Win32Kernel::GetModuleFileNameW() {
    // Long paths do not fit MAX_PATH: grow until the name is not cut.
    for (DWORD size = MAX_PATH; size <= 65536; size *= 2) {
        std::wstring buffer(size, L'\0');
        DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), size);
        if (length == 0) return {};
        if (length < size) {
            buffer.resize(length);
            return buffer;
        }
    }
    return {};
}

std::vector<std::wstring> Win32Kernel::GetCommandLineArgs() {
    int count = 0;
    std::unique_ptr<LPWSTR, win32::LocalFreer> argv(
        ::CommandLineToArgvW(::GetCommandLineW(), &count));
    std::vector<std::wstring> args;
    if (!argv) return args;
    for (int i = 1; i < count; ++i) args.emplace_back(argv.get()[i]);
    return args;
}

MutexResult Win32Kernel::CreateMutexW(const std::wstring& name) {
    HANDLE mutex = ::CreateMutexW(nullptr, TRUE, name.c_str());
    if (!mutex) return MutexResult::Failed;
    // Read at once: on success, this code tells that another instance holds the name.
    const bool existed = ::GetLastError() == ERROR_ALREADY_EXISTS;
    m_mutexes.emplace_back(mutex);
    return existed ? MutexResult::AlreadyExists : MutexResult::Created;
}

std::wstring Win32Kernel::GetProcessImageFileNameW(ProcessId pid) {
    // Opened directly by its id; a process of another user or a protected one may still grant
    // the limited right, which is all the image name needs.
    UniqueHandle process =
        MakeHandle(::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid));
    if (!process)
        process = MakeHandle(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    if (!process) return {};
    for (DWORD size = MAX_PATH * 2; size <= 65536; size *= 2) {
        std::wstring buffer(size, L'\0');
        DWORD length = ::K32GetProcessImageFileNameW(process.get(), buffer.data(), size);
        if (length > 0 && length < size) {
            buffer.resize(length);
            return buffer;
        }
        if (length == 0 && ::GetLastError() != ERROR_INSUFFICIENT_BUFFER) return {};
    }
    return {};
}

std::wstring Win32Kernel::QueryDosDeviceW(const std::wstring& drive) {
    wchar_t buffer[MAX_PATH * 4] = {};
    DWORD length = ::QueryDosDeviceW(drive.c_str(), buffer, static_cast<DWORD>(std::size(buffer)));
    if (length == 0) return {};
    return std::wstring(buffer);  // the first name of the list
}

void Win32Kernel::TerminateProcess(ProcessId pid) {
    // Never ourselves, whatever the caller was told about the window's owner.
    if (pid == ::GetCurrentProcessId()) return;
    UniqueHandle process = MakeHandle(::OpenProcess(PROCESS_TERMINATE, FALSE, pid));
    if (process) ::TerminateProcess(process.get(), 0);
}

std::optional<std::uint64_t> Win32Kernel::GetProcessCreationTime(ProcessId pid) {
    UniqueHandle process = MakeHandle(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!process || !::GetProcessTimes(process.get(), &created, &exited, &kernel, &user))
        return std::nullopt;
    return (static_cast<std::uint64_t>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

std::optional<std::uint32_t> Win32Kernel::ProcessIdToSessionId(ProcessId pid) {
    DWORD session = 0;
    if (!::ProcessIdToSessionId(pid, &session)) return std::nullopt;
    return session;
}

std::optional<std::wstring> Win32Kernel::GetProcessUserSid(ProcessId pid) {
    UniqueHandle process = MakeHandle(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    HANDLE token = nullptr;
    if (!process || !::OpenProcessToken(process.get(), TOKEN_QUERY, &token)) return std::nullopt;
    UniqueHandle tokenOwner(token);
    DWORD size = 0;
    ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    if (size == 0) return std::nullopt;
    std::vector<std::uint8_t> buffer(size);
    if (!::GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) return std::nullopt;
    wchar_t* text = nullptr;
    if (!::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text))
        return std::nullopt;
    std::unique_ptr<void, win32::LocalFreer> owner(text);
    return std::wstring(text);
}

bool Win32Kernel::FileExists(const std::wstring& path) {
    DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::uint8_t> Win32Kernel::ReadWholeFile(const std::wstring& path) {
    UniqueHandle file =
        MakeHandle(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) throw win32::MakeOsError(L"Cannot open file \"" + path + L"\"", ::GetLastError());
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size))
        throw win32::MakeOsError(L"Cannot read file \"" + path + L"\"", ::GetLastError());
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size.QuadPart));
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        DWORD read = 0;
        if (!::ReadFile(file.get(), bytes.data() + done, chunk, &read, nullptr))
            throw win32::MakeOsError(L"Cannot read file \"" + path + L"\"", ::GetLastError());
        if (read == 0) break;  // the file shrank while we read it
        done += read;
    }
    bytes.resize(done);
    return bytes;
}

void Win32Kernel::ReplaceFileContents(const std::wstring& path,
                                      const std::vector<std::uint8_t>& bytes) {
    const std::wstring temp = path + L"." + std::to_wstring(::GetCurrentProcessId()) + L".tmp";
    auto fail = [&](DWORD code) {
        ::DeleteFileW(temp.c_str());
        return win32::MakeOsError(L"Cannot write file \"" + path + L"\"", code);
    };
    {
        UniqueHandle file =
            MakeHandle(::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file)
            throw win32::MakeOsError(L"Cannot write file \"" + path + L"\"", ::GetLastError());
        std::size_t done = 0;
        while (done < bytes.size()) {
            DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
            DWORD written = 0;
            if (!::WriteFile(file.get(), bytes.data() + done, chunk, &written, nullptr) ||
                written == 0) {
                DWORD code = ::GetLastError();
                file.reset();
                throw fail(code ? code : ERROR_WRITE_FAULT);
            }
            done += written;
        }
        if (!::FlushFileBuffers(file.get())) {
            DWORD code = ::GetLastError();
            file.reset();
            throw fail(code);
        }
    }
    if (!::MoveFileExW(temp.c_str(), path.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        throw fail(::GetLastError());
}

bool Win32Kernel::CreateDirectoryTree(const std::wstring& path) {
    std::wstring folder = path;
    while (folder.size() > 1 && (folder.back() == L'\\' || folder.back() == L'/'))
        folder.pop_back();
    if (folder.empty()) return false;
    // Create each level from the top; levels that exist already (the drive among them) fail
    // harmlessly, and the final check tells whether the whole tree is there.
    for (std::size_t pos = folder.find_first_of(L"\\/", 1); pos != std::wstring::npos;
         pos = folder.find_first_of(L"\\/", pos + 1)) {
        ::CreateDirectoryW(folder.substr(0, pos).c_str(), nullptr);
    }
    ::CreateDirectoryW(folder.c_str(), nullptr);
    DWORD attributes = ::GetFileAttributesW(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32Kernel::DeleteFileW(const std::wstring& path) {
    if (::DeleteFileW(path.c_str())) return true;
    DWORD code = ::GetLastError();
    return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND;
}

bool Win32Kernel::MoveFileW(const std::wstring& from, const std::wstring& to) {
    return ::MoveFileExW(from.c_str(), to.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

int Win32Kernel::lstrcmpW(const std::wstring& a, const std::wstring& b) {
    return ::lstrcmpW(a.c_str(), b.c_str());
}

int Win32Kernel::CompareStringOrdinal(const std::wstring& a, const std::wstring& b,
                                      bool ignoreCase) {
    int result = ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                        static_cast<int>(b.size()), ignoreCase);
    return result == 0 ? (a < b ? -1 : a == b ? 0 : 1) : result - CSTR_EQUAL;
}

int Win32Kernel::FindStringOrdinal(const std::wstring& text, const std::wstring& part,
                                   bool ignoreCase) {
    if (part.empty()) return 0;
    if (text.size() < part.size()) return -1;
    return ::FindStringOrdinal(FIND_FROMSTART, text.data(), static_cast<int>(text.size()),
                               part.data(), static_cast<int>(part.size()), ignoreCase);
}

std::string Win32Kernel::WideToAnsi(const std::wstring& text) {
    if (text.empty()) return {};
    int length = ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
    if (length <= 0) return {};
    std::string bytes(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), bytes.data(),
                          length, nullptr, nullptr);
    return bytes;
}

std::wstring Win32Kernel::AnsiToWide(const std::string& bytes) {
    if (bytes.empty()) return {};
    int length =
        ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (length <= 0) return {};
    std::wstring text(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(),
                          length);
    return text;
}

ModuleHandle Win32Kernel::LoadLibraryW(const std::wstring& name) {
    // A bare name is a system library's: never looked for anywhere but the system folder.
    if (name.find_first_of(L"\\/") == std::wstring::npos)
        return reinterpret_cast<ModuleHandle>(win32::LoadSystemLibrary(name.c_str()));
    return reinterpret_cast<ModuleHandle>(::LoadLibraryW(name.c_str()));
}

ProcAddress Win32Kernel::GetProcAddress(ModuleHandle module, const std::string& name) {
    if (!module) return 0;
    return reinterpret_cast<ProcAddress>(
        ::GetProcAddress(reinterpret_cast<HMODULE>(module), name.c_str()));
}

void Win32Kernel::FreeLibrary(ModuleHandle module) {
    if (module) ::FreeLibrary(reinterpret_cast<HMODULE>(module));
}

}  // namespace nv
