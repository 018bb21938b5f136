// The real kernel layer against Wine: files, code pages, comparison, the process and its mutex.
#include <gtest/gtest.h>

// clang-format off
#include "PlatformTestSupport.h"  // <windows.h> before <shellapi.h>
#include <shellapi.h>
// clang-format on

namespace {

using nvtest::PlatformTest;
using nvtest::TempFolder;

std::vector<std::uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

std::size_t EntriesIn(const std::wstring& folder) {
    std::size_t count = 0;
    for ([[maybe_unused]] auto& entry : std::filesystem::directory_iterator(folder)) ++count;
    return count;
}

TEST_F(PlatformTest, ReplaceFileContentsReplacesWholeAndLeavesNoTemporary) {
    TempFolder folder;
    const std::wstring file = folder / L"nva.dat";
    m_platform.kernel.ReplaceFileContents(file, Bytes("first version, rather long"));
    m_platform.kernel.ReplaceFileContents(file, Bytes("second"));
    EXPECT_EQ(m_platform.kernel.ReadWholeFile(file), Bytes("second"));
    EXPECT_EQ(EntriesIn(folder.Path()), 1u);

    m_platform.kernel.ReplaceFileContents(file, {});
    EXPECT_TRUE(m_platform.kernel.FileExists(file));
    EXPECT_TRUE(m_platform.kernel.ReadWholeFile(file).empty());
}

TEST_F(PlatformTest, ReplaceFileContentsIntoMissingFolderRaisesAndLeavesNothing) {
    TempFolder folder;
    const std::wstring file = folder / L"missing\\nva.dat";
    try {
        m_platform.kernel.ReplaceFileContents(file, Bytes("x"));
        FAIL() << "no error raised";
    } catch (const nv::OsError& e) {
        EXPECT_EQ(e.Code(), 3u);  // ERROR_PATH_NOT_FOUND
        EXPECT_NE(std::string(e.what()).find("nva.dat"), std::string::npos) << e.what();
    }
    EXPECT_EQ(EntriesIn(folder.Path()), 0u);
}

TEST_F(PlatformTest, ReplaceFileContentsOfAFileOpenElsewhereKeepsTheOldContents) {
    TempFolder folder;
    const std::wstring file = folder / L"nva.dat";
    m_platform.kernel.ReplaceFileContents(file, Bytes("old"));
    // Another program holds the file open without sharing deletion: the replacement must fail
    // as a whole.
    HANDLE held = ::CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_THROW(m_platform.kernel.ReplaceFileContents(file, Bytes("new")), nv::OsError);
    ::CloseHandle(held);
    EXPECT_EQ(m_platform.kernel.ReadWholeFile(file), Bytes("old"));
    EXPECT_EQ(EntriesIn(folder.Path()), 1u);
}

TEST_F(PlatformTest, ReadWholeFileOfMissingFileRaisesCodeTwoNamingTheFile) {
    TempFolder folder;
    try {
        m_platform.kernel.ReadWholeFile(folder / L"absent.dat");
        FAIL() << "no error raised";
    } catch (const nv::OsError& e) {
        EXPECT_EQ(e.Code(), 2u);
        std::string text = e.what();
        EXPECT_NE(text.find("absent.dat"), std::string::npos) << text;
        std::printf("[wine] missing-file message: %s\n", text.c_str());
    }
    EXPECT_FALSE(m_platform.kernel.FileExists(folder / L"absent.dat"));
    EXPECT_FALSE(m_platform.kernel.FileExists(folder.Path()));  // a folder is not a file
}

// The list files count codes 2 and 3 as "no file yet" and any other failure as unreadable.
TEST_F(PlatformTest, ReadWholeFileTellsAMissingFolderFromAFolderInTheFilesPlace) {
    TempFolder folder;
    auto codeOf = [&](const std::wstring& path) -> std::uint32_t {
        try {
            m_platform.kernel.ReadWholeFile(path);
        } catch (const nv::OsError& e) {
            return e.Code();
        }
        return 0;
    };
    EXPECT_EQ(codeOf(folder / L"missing\\ExList.Dat"), 3u);
    const std::uint32_t folderCode = codeOf(folder.Path());
    std::printf("[wine] reading a folder as a file: error %u\n", folderCode);
    EXPECT_NE(folderCode, 0u);
    EXPECT_NE(folderCode, 2u);
    EXPECT_NE(folderCode, 3u);
}

TEST_F(PlatformTest, CreateDirectoryTreeMakesEveryLevel) {
    TempFolder folder;
    const std::wstring deep = folder / L"a\\b\\c\\";
    EXPECT_TRUE(m_platform.kernel.CreateDirectoryTree(deep));
    EXPECT_TRUE(std::filesystem::is_directory(folder / L"a\\b\\c"));
    EXPECT_TRUE(m_platform.kernel.CreateDirectoryTree(deep));  // existing: still fine

    m_platform.kernel.ReplaceFileContents(folder / L"file", Bytes("x"));
    EXPECT_FALSE(m_platform.kernel.CreateDirectoryTree(folder / L"file\\sub"));
}

TEST_F(PlatformTest, AnsiRoundTripOfLatin1Text) {
    const std::wstring text = L"Gr\u00fc\u00dfe, caf\u00e9 \u00ff \u00a9";
    std::string ansi = m_platform.kernel.WideToAnsi(text);
    EXPECT_EQ(ansi,
              "Gr\xfc\xdf"
              "e, caf\xe9 \xff \xa9");  // Windows-1252
    EXPECT_EQ(m_platform.kernel.AnsiToWide(ansi), text);
    std::printf("[wine] ANSI code page: %u\n", ::GetACP());

    // What the code page cannot hold becomes the default character.
    EXPECT_EQ(m_platform.kernel.WideToAnsi(L"a\u4e2db"), "a?b");
    EXPECT_EQ(m_platform.kernel.WideToAnsi(L""), "");
    EXPECT_EQ(m_platform.kernel.AnsiToWide(std::string("a\0b", 3)), std::wstring(L"a\0b", 3));
}

TEST_F(PlatformTest, LstrcmpSortsByWordsNotCodes) {
    EXPECT_LT(m_platform.kernel.lstrcmpW(L"apple", L"Banana"), 0);  // ordinal would say >
    EXPECT_GT(m_platform.kernel.lstrcmpW(L"banana", L"Apple"), 0);
    EXPECT_EQ(m_platform.kernel.lstrcmpW(L"same", L"same"), 0);
    EXPECT_NE(m_platform.kernel.lstrcmpW(L"a", L"A"), 0);  // still case-sensitive
}

TEST_F(PlatformTest, SecondMutexOfTheSameNameReportsAlreadyExists) {
    const std::wstring name = L"NivoraTestMutex" + std::to_wstring(::GetCurrentProcessId());
    EXPECT_EQ(m_platform.kernel.CreateMutexW(name), nv::MutexResult::Created);
    nv::Win32Platform other;
    EXPECT_EQ(other.AsPlatform().kernel.CreateMutexW(name), nv::MutexResult::AlreadyExists);
    // A name in a namespace that does not exist makes no mutex at all.
    EXPECT_EQ(m_platform.kernel.CreateMutexW(L"NoSuchNamespace\\" + name), nv::MutexResult::Failed);
}

TEST_F(PlatformTest, OwnImageNameMapsToOurExecutableThroughTheDriveDevices) {
    const std::wstring exe = m_platform.kernel.GetModuleFileNameW();
    ASSERT_GT(exe.size(), 4u);
    EXPECT_EQ(_wcsicmp(exe.substr(exe.size() - 4).c_str(), L".exe"), 0);

    const std::wstring image = m_platform.kernel.GetProcessImageFileNameW(::GetCurrentProcessId());
    ASSERT_EQ(image.rfind(L"\\Device\\", 0), 0u) << nv::ToUtf8(image);
    std::wstring mapped;
    for (wchar_t letter = L'A'; letter <= L'Z'; ++letter) {
        std::wstring drive{letter, L':'};
        std::wstring device = m_platform.kernel.QueryDosDeviceW(drive);
        if (!device.empty() && image.size() > device.size() &&
            _wcsnicmp(image.c_str(), device.c_str(), device.size()) == 0 &&
            image[device.size()] == L'\\')
            mapped = drive + image.substr(device.size());
    }
    EXPECT_EQ(_wcsicmp(mapped.c_str(), exe.c_str()), 0)
        << nv::ToUtf8(image) << " -> " << nv::ToUtf8(mapped) << " vs " << nv::ToUtf8(exe);
    std::printf("[wine] image %s, C: = %s\n", nv::ToUtf8(image).c_str(),
                nv::ToUtf8(m_platform.kernel.QueryDosDeviceW(L"C:")).c_str());

    EXPECT_EQ(m_platform.kernel.GetProcessImageFileNameW(0xFFFFFFF0u), L"");
    EXPECT_EQ(m_platform.kernel.QueryDosDeviceW(L"*:"), L"");
}

TEST_F(PlatformTest, TerminateProcessEndsAnotherProgramButNeverOurselves) {
    m_platform.kernel.TerminateProcess(::GetCurrentProcessId());  // must return, alive

    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION child{};
    std::wstring command = L"notepad.exe";
    ASSERT_TRUE(::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                 nullptr, &startup, &child));
    ::WaitForInputIdle(child.hProcess, 5000);
    // A process that Wine is still loading may not have its image name yet.
    std::wstring image;
    for (int tries = 0; tries < 100 && image.find(L"notepad.exe") == std::wstring::npos; ++tries) {
        if (tries > 0) ::Sleep(50);
        image = m_platform.kernel.GetProcessImageFileNameW(child.dwProcessId);
    }
    EXPECT_NE(image.find(L"notepad.exe"), std::wstring::npos) << nv::ToUtf8(image);
    // A program of this user in this session: one "close the active window" may end.
    auto sid = m_platform.kernel.GetProcessUserSid(child.dwProcessId);
    ASSERT_TRUE(sid.has_value());
    EXPECT_EQ(sid, m_platform.kernel.GetProcessUserSid(::GetCurrentProcessId()));
    EXPECT_EQ(sid->rfind(L"S-1-5-", 0), 0u) << nv::ToUtf8(*sid);
    ASSERT_TRUE(m_platform.kernel.ProcessIdToSessionId(child.dwProcessId).has_value());
    EXPECT_EQ(m_platform.kernel.ProcessIdToSessionId(child.dwProcessId),
              m_platform.kernel.ProcessIdToSessionId(::GetCurrentProcessId()));

    m_platform.kernel.TerminateProcess(child.dwProcessId);
    EXPECT_EQ(::WaitForSingleObject(child.hProcess, 5000), WAIT_OBJECT_0);
    DWORD code = 1234;
    ::GetExitCodeProcess(child.hProcess, &code);
    EXPECT_EQ(code, 0u);
    ::CloseHandle(child.hThread);
    ::CloseHandle(child.hProcess);

    m_platform.kernel.TerminateProcess(child.dwProcessId);  // gone already: quietly nothing
}

TEST_F(PlatformTest, CommandLineArgumentsLeaveOutTheProgram) {
    auto args = m_platform.kernel.GetCommandLineArgs();
    for (const auto& arg : args) EXPECT_EQ(arg.find(L"win_tests"), std::wstring::npos);
    int count = 0;
    LPWSTR* all = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    EXPECT_EQ(args.size(), static_cast<std::size_t>(count - 1));
    ::LocalFree(all);
}

}  // namespace

namespace {

TEST_F(PlatformTest, DeleteAndMoveFilesAsTheRecoveryRecordNeeds) {
    TempFolder folder;
    const std::wstring record = folder / L"Recovery.dat", aside = folder / L"Recovery.damaged";
    EXPECT_TRUE(m_platform.kernel.DeleteFileW(record));  // none there: nothing to do
    m_platform.kernel.ReplaceFileContents(record, Bytes("new"));
    m_platform.kernel.ReplaceFileContents(aside, Bytes("older"));
    EXPECT_TRUE(m_platform.kernel.MoveFileW(record, aside));  // an older one is replaced
    EXPECT_FALSE(m_platform.kernel.FileExists(record));
    EXPECT_EQ(m_platform.kernel.ReadWholeFile(aside), Bytes("new"));
    EXPECT_TRUE(m_platform.kernel.DeleteFileW(aside));
    EXPECT_FALSE(m_platform.kernel.FileExists(aside));
    EXPECT_FALSE(m_platform.kernel.DeleteFileW(folder.Path()));  // a folder is no file
    EXPECT_FALSE(m_platform.kernel.MoveFileW(record, aside));    // nothing to move
}

TEST_F(PlatformTest, AProcessCreationTimeTellsOneRunFromTheNext) {
    auto own = m_platform.kernel.GetProcessCreationTime(::GetCurrentProcessId());
    ASSERT_TRUE(own.has_value());
    EXPECT_EQ(m_platform.kernel.GetProcessCreationTime(::GetCurrentProcessId()), own);
    EXPECT_FALSE(m_platform.kernel.GetProcessCreationTime(0xFFFFFFF0u).has_value());

    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION child{};
    std::wstring command = L"notepad.exe";
    ASSERT_TRUE(::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                 nullptr, &startup, &child));
    auto theirs = m_platform.kernel.GetProcessCreationTime(child.dwProcessId);
    ASSERT_TRUE(theirs.has_value());
    EXPECT_GT(*theirs, *own);  // started later
    ::TerminateProcess(child.hProcess, 0);
    ::WaitForSingleObject(child.hProcess, 5000);
    ::CloseHandle(child.hThread);
    ::CloseHandle(child.hProcess);
}

}  // namespace
