// The platform layer on a real (Wine) system: the hosts file's place, the prefix's own hosts file,
// the GBK code page, failures carrying the system's own words, and the DLL search order the
// program restricts at start.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <new>
#include <string>
#include <vector>

#include "dll_search.h"
#include "main_window.h"
#include "hosts_model.h"
#include "detection.h"
#include "errors.h"
#include "save.h"
#include "test_support.h"
#include "win32_test_support.h"

// Memory that runs out on demand: from the moment `allocationsLeft` counts down to 0, every
// allocation of this test program (and of the code it tests) fails. -1: no limit.
namespace {
int allocationsLeft = -1;

bool MayAllocate() {
    if (allocationsLeft < 0) return true;
    if (allocationsLeft == 0) return false;
    --allocationsLeft;
    return true;
}
}  // namespace

void* operator new(std::size_t size) {
    void* memory = MayAllocate() ? std::malloc(size ? size : 1) : nullptr;
    if (!memory) throw std::bad_alloc();
    return memory;
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return MayAllocate() ? std::malloc(size ? size : 1) : nullptr;
}
void* operator new[](std::size_t size, const std::nothrow_t& nothrow) noexcept { return operator new(size, nothrow); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }

namespace hostline::win32 {
namespace {

using testing::kConstants;

TEST(Location, HostsPathIsTheSystemDirectoryPlusTheSuffix) {
    wchar_t directory[MAX_PATH] = {};
    ASSERT_GT(GetSystemDirectoryW(directory, MAX_PATH), 0u);
    std::wstring path;
    DWORD error = ERROR_SUCCESS;
    ASSERT_TRUE(FindHostsPath(path, error));
    EXPECT_EQ(path, std::wstring(directory) + L"\\drivers\\etc\\hosts");
}

TEST(Text, AnsiIsGbkAndErrorsReadAsTheSystemWritesThem) {
    EXPECT_EQ(GetACP(), 936u) << "the tests expect LC_ALL=zh_CN.UTF-8";
    const std::wstring text = ErrorText(ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(text.empty());
    EXPECT_NE(text.back(), L'\n');
    EXPECT_NE(text.back(), L'\r');
}

class HostsFileTest : public HostsFileFixture {};

struct DetectCase {
    const char* name;
    std::string file;
    LineChoice choice;
};

TEST_F(HostsFileTest, DetectsTheChoiceInEveryEncoding) {
    const DetectCase cases[] = {
        {"no entry", "127.0.0.1 localhost\r\n", LineChoice::Automatic},
        {"line 1", "# \xD6\xD0\xCE\xC4\r\n192.0.2.1\t\t" HOST "\r\n", LineChoice::Line1},
        {"line 2 with LF", "198.51.100.1 " HOST "\n", LineChoice::Line2},
        {"GBK comment after the host", "192.0.2.1 " HOST " #\xCF\xDF\xC2\xB7\xD2\xBB\r\n", LineChoice::Line1},
        {"GBK address", "\xCF\xDF\xC2\xB7 " HOST "\r\n", LineChoice::Other},
        {"UTF-8 mark and address", "\xEF\xBB\xBF" "\xE7\xBA\xBF " HOST " #\xE7\xBA\xBF\r\n", LineChoice::Other},
        {"UTF-16", testing::Utf16File(u"# \u4E2D\r\n198.51.100.1 a " HOST " \u4E2D\r\n"), LineChoice::Line2},
        {"UTF-16 without a mark", testing::Utf16Bytes(u"127.0.0.1 localhost\r\n192.0.2.1 " HOST "\r\n", false),
         LineChoice::Line1},
        // In GBK the byte pair B2 73 is one character whose second byte is the letter s: no name.
        {"host inside a double-byte character", "1.1.1.1 x\xB2" HOST "\r\n", LineChoice::Automatic},
    };
    for (const auto& c : cases) {
        WriteHosts(c.file);
        const DetectionResult detected = DetectCurrentLine(kConstants);
        ASSERT_TRUE(detected.Ok) << c.name;
        EXPECT_EQ(detected.Choice, c.choice) << c.name;
    }
}

// NULs that fit no text the program knows: the start shows nothing, the save writes nothing.
TEST_F(HostsFileTest, AFileOfNoKnownTextIsNeitherShownNorSaved) {
    const std::string file = "192.0.2.1 " HOST + std::string("\0\0\r\n\0 x\r\n", 9);
    WriteHosts(file);
    const DetectionResult detected = DetectCurrentLine(kConstants);
    EXPECT_FALSE(detected.Ok);
    EXPECT_EQ(detected.Failure.Step, FailedStep::Recognise);
    const SaveOutcome outcome = ChangeLine(LineChoice::Automatic, kConstants);
    EXPECT_EQ(outcome.Result, SaveResult::Failed);
    EXPECT_EQ(outcome.Failure.Step, FailedStep::Recognise);
    EXPECT_TRUE(outcome.Failure.FileAsItWas);
    EXPECT_EQ(HostsBytes(), file);
}

TEST_F(HostsFileTest, MissingFileIsAFailureWithTheSystemsText) {
    RemoveHosts();
    const DetectionResult detected = DetectCurrentLine(kConstants);
    EXPECT_FALSE(detected.Ok);
    EXPECT_EQ(detected.Failure.Error, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(detected.Failure.Path, HostsPath());
    EXPECT_EQ(detected.Failure.Description, ErrorText(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(detected.Failure.Description.empty());
}

class LineChangeTest : public HostsFileFixture {};

struct SaveCase {
    LineChoice choice;
    std::string expected;
};

TEST_F(LineChangeTest, EachChoiceWritesItsBytes) {
    const std::string file = "# \xD6\xD0\xCE\xC4\n10.0.0.1 " HOST "\r\n127.0.0.1 localhost";
    const SaveCase cases[] = {
        {LineChoice::Automatic, "# \xD6\xD0\xCE\xC4\r\n127.0.0.1 localhost\r\n"},
        {LineChoice::Line1, "# \xD6\xD0\xCE\xC4\r\n127.0.0.1 localhost\r\n192.0.2.1\t\t" HOST "\r\n"},
        {LineChoice::Line2, "# \xD6\xD0\xCE\xC4\r\n127.0.0.1 localhost\r\n198.51.100.1\t\t" HOST "\r\n"},
    };
    for (const auto& c : cases) {
        WriteHosts(file);
        EXPECT_EQ(ChangeLine(c.choice, kConstants).Result, SaveResult::Succeeded);
        EXPECT_EQ(HostsBytes(), c.expected);
        // The same choice again writes nothing at all: the file keeps its time, and a range another
        // program has locked does not stop it.
        const ULONGLONG written = LastWriteTime(HostsPath());
        Sleep(20);
        UniqueFile other(CreateFileW(HostsPath().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        OVERLAPPED at{};
        ASSERT_TRUE(LockFileEx(other.Get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, 0, &at));
        EXPECT_EQ(ChangeLine(c.choice, kConstants).Result, SaveResult::Succeeded);
        UnlockFileEx(other.Get(), 0, MAXDWORD, 0, &at);
        EXPECT_EQ(HostsBytes(), c.expected);
        EXPECT_EQ(LastWriteTime(HostsPath()), written);
    }
}

TEST_F(LineChangeTest, ShorterContentCutsTheOldTailOff) {
    WriteHosts("a\r\n1.1.1.1 " HOST " # " + std::string(5000, 'x') + "\r\nb\r\n");
    EXPECT_EQ(ChangeLine(LineChoice::Automatic, kConstants).Result, SaveResult::Succeeded);
    EXPECT_EQ(HostsBytes(), "a\r\nb\r\n");
}

TEST_F(LineChangeTest, OtherTouchesNothing) {
    WriteHosts("10.0.0.1 " HOST "\n");
    const ULONGLONG before = LastWriteTime(HostsPath());
    Sleep(20);
    EXPECT_EQ(ChangeLine(LineChoice::Other, kConstants).Result, SaveResult::Succeeded);
    EXPECT_EQ(LastWriteTime(HostsPath()), before);
    EXPECT_EQ(HostsBytes(), "10.0.0.1 " HOST "\n");
}

// Another program holds the file open and shares no writing: a save that would change the file is
// refused with the file as it was; one that would change nothing needs no writing and succeeds.
TEST_F(LineChangeTest, FileHeldWithoutWriteSharing) {
    const struct {
        std::string file;
        LineChoice choice;
        SaveResult result;
    } cases[] = {
        {"10.0.0.1 " HOST "\n", LineChoice::Automatic, SaveResult::Failed},
        {"10.0.0.1 " HOST "\n", LineChoice::Line1, SaveResult::Failed},
        {"x\r\n192.0.2.1\t\t" HOST "\r\n", LineChoice::Line2, SaveResult::Failed},
        {"x\r\n192.0.2.1\t\t" HOST "\r\n", LineChoice::Line1, SaveResult::Succeeded},
        {"x\r\n", LineChoice::Automatic, SaveResult::Succeeded},
    };
    for (const auto& c : cases) {
        WriteHosts(c.file);
        UniqueFile holder(CreateFileW(HostsPath().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(holder);
        const SaveOutcome outcome = ChangeLine(c.choice, kConstants);
        EXPECT_EQ(outcome.Result, c.result) << c.file;
        if (c.result == SaveResult::Failed) {
            EXPECT_EQ(outcome.Failure.Step, FailedStep::Open);
            EXPECT_EQ(outcome.Failure.Error, static_cast<DWORD>(ERROR_SHARING_VIOLATION));
            EXPECT_TRUE(outcome.Failure.FileAsItWas);
        }
        holder.Reset();
        EXPECT_EQ(HostsBytes(), c.file);
    }
}

// A program that holds part of the file locked: the save fails before writing anything.
TEST_F(LineChangeTest, ARangeLockedByAnotherProgramStopsTheSaveBeforeAnyWrite) {
    const std::string file = "a\r\n10.0.0.1 " HOST "\r\n# " + std::string(3000, 'x') + "\r\n";
    WriteHosts(file);
    UniqueFile other(CreateFileW(HostsPath().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(other);
    OVERLAPPED at{};
    at.Offset = 2000;
    ASSERT_TRUE(LockFileEx(other.Get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 10, 0, &at));
    const SaveOutcome outcome = ChangeLine(LineChoice::Line2, kConstants);
    EXPECT_EQ(outcome.Result, SaveResult::Failed);
    EXPECT_EQ(outcome.Failure.Step, FailedStep::Lock);
    EXPECT_EQ(outcome.Failure.Error, static_cast<DWORD>(ERROR_LOCK_VIOLATION));
    EXPECT_TRUE(outcome.Failure.FileAsItWas);
    UnlockFileEx(other.Get(), 0, 10, 0, &at);
    other.Reset();
    EXPECT_EQ(HostsBytes(), file);
}

// Another program holds the file open for writing, changes a byte, flushes and closes, all while
// the save waits for it: the save reads the file after that, so the change survives.
struct OtherProgramsEdit {
    HANDLE File;
    LONG Offset;
    char Byte;
};

DWORD WINAPI EditAfterAMoment(void* argument) {
    const auto* edit = static_cast<const OtherProgramsEdit*>(argument);
    Sleep(300);
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(edit->Offset);
    DWORD written = 0;
    WriteFile(edit->File, &edit->Byte, 1, &written, &at);
    FlushFileBuffers(edit->File);
    CloseHandle(edit->File);
    return 0;
}

TEST_F(LineChangeTest, AnotherProgramsChangeMadeWhileTheSaveWaitsSurvives) {
    const std::string file = "x\n# alice\r\n";
    WriteHosts(file);
    OtherProgramsEdit edit{CreateFileW(HostsPath().c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr),
                           static_cast<LONG>(file.find("alice")), 'b'};
    ASSERT_NE(edit.File, INVALID_HANDLE_VALUE);
    HANDLE editor = CreateThread(nullptr, 0, EditAfterAMoment, &edit, 0, nullptr);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(ChangeLine(LineChoice::Line1, kConstants).Result, SaveResult::Succeeded);
    WaitForSingleObject(editor, INFINITE);
    CloseHandle(editor);
    EXPECT_EQ(HostsBytes(), "x\r\n# blice\r\n192.0.2.1\t\t" HOST "\r\n");
}

TEST_F(LineChangeTest, FileRemovedAfterStartFailsAndIsNotCreated) {
    RemoveHosts();
    const SaveOutcome outcome = ChangeLine(LineChoice::Line1, kConstants);
    EXPECT_EQ(outcome.Result, SaveResult::Failed);
    EXPECT_EQ(outcome.Failure.Error, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(outcome.Failure.Found, AtHostsPath::Nothing);
    EXPECT_EQ(GetFileAttributesW(HostsPath().c_str()), INVALID_FILE_ATTRIBUTES);
}

// Memory that runs out at any one allocation of a save, and stays out: the save never throws, and
// what it says is what the file holds (the new content when it succeeded, the old bytes when it says
// they are kept). Small buffers, so that the reading and the building of the content allocate often.
TEST_F(LineChangeTest, MemoryRunningOutAnywhereIsToldAsItIs) {
    const std::string file = "a\n1.1.1.1 " HOST "\r\n" + testing::BlocklistLines(4000);
    const std::string expected = model::NewContent(file, LineChoice::Line2, kConstants);
    for (int allowed = 0;; ++allowed) {
        WriteHosts(file);
        SaveOutcome outcome;
        bool threw = false;
        allocationsLeft = allowed;
        try {
            outcome = ChangeLine(LineChoice::Line2, kConstants, {16, 16});
        } catch (...) {
            threw = true;
        }
        const bool ranOut = allocationsLeft == 0;
        allocationsLeft = -1;
        ASSERT_FALSE(threw) << "with " << allowed << " allocations";
        const std::string now = HostsBytes();
        if (outcome.Result == SaveResult::Succeeded) {
            ASSERT_EQ(now, expected) << "told done with " << allowed << " allocations";
        } else if (outcome.Failure.FileAsItWas) {
            ASSERT_EQ(now, file) << "told unchanged with " << allowed << " allocations";
        }
        if (!ranOut) {
            EXPECT_EQ(outcome.Result, SaveResult::Succeeded);
            break;
        }
    }
}

// Some calls fail without an error code (GDI's, or a window a hook refuses): the window that cannot
// be made must still report a failure, never ERROR_SUCCESS with no window to run.
LRESULT CALLBACK RefuseEveryWindowWithoutACode(int code, WPARAM wParam, LPARAM lParam) {
    if (code != HCBT_CREATEWND) return CallNextHookEx(nullptr, code, wParam, lParam);
    SetLastError(ERROR_SUCCESS);
    return 1;
}

// Form1 is made, its controls are not.
LRESULT CALLBACK RefuseTheControls(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND && (reinterpret_cast<CBT_CREATEWNDW*>(lParam)->lpcs->style & WS_CHILD)) return 1;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// The failure is then told in a message box, whose modal loop would end at once on a quit left
// in the queue by the window that went.
TEST(Window, ACreationThatFailsStillFailsAndLeavesNoQuitBehind) {
    for (HOOKPROC refuse : {&RefuseEveryWindowWithoutACode, &RefuseTheControls}) {
        HHOOK hook = SetWindowsHookExW(WH_CBT, refuse, nullptr, GetCurrentThreadId());
        ASSERT_NE(hook, nullptr);
        window::MainWindow form;
        const DWORD error = form.Create(GetModuleHandleW(nullptr), LineChoice::Automatic);
        UnhookWindowsHookEx(hook);
        EXPECT_NE(error, static_cast<DWORD>(ERROR_SUCCESS));
        EXPECT_EQ(form.Handle(), nullptr);
        MSG quit{};
        EXPECT_FALSE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "a quit waits for the message";
    }
}

TEST_F(LineChangeTest, HiddenSystemFileIsRewrittenInPlace) {
    WriteHosts("1.1.1.1 " HOST "\n");
    ASSERT_TRUE(SetFileAttributesW(HostsPath().c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    EXPECT_EQ(ChangeLine(LineChoice::Automatic, kConstants).Result, SaveResult::Succeeded);
    EXPECT_EQ(HostsBytes(), "");
}

TEST_F(LineChangeTest, EncodingsAreWrittenBackAsTheyCame) {
    WriteHosts("\xEF\xBB\xBF# \xE4\xB8\xAD\n");
    EXPECT_EQ(ChangeLine(LineChoice::Line2, kConstants).Result, SaveResult::Succeeded);
    EXPECT_EQ(HostsBytes(), "\xEF\xBB\xBF# \xE4\xB8\xAD\r\n198.51.100.1\t\t" HOST "\r\n");

    WriteHosts(testing::Utf16File(u"# \u4E2D\r\n1.1.1.1 " HOST "\r\n"));
    EXPECT_EQ(ChangeLine(LineChoice::Line1, kConstants).Result, SaveResult::Succeeded);
    EXPECT_EQ(HostsBytes(), testing::Utf16File(u"# \u4E2D\r\n192.0.2.1\t\t" HOST "\r\n"));
}

// Files larger than the read buffer are read in several runs; the entry at the end, a CR LF cut
// between two reads and a long line must all come through.
TEST_F(LineChangeTest, FilesLargerThanTheReadBuffer) {
    std::string blocklist = testing::BlocklistLines(700 * 1024);
    blocklist += "# " + std::string(600 * 1024, 'x') + "\r\n";
    const std::string pinned = "10.0.0.1\t\t" HOST "\r\n";

    WriteHosts(blocklist + pinned);
    const DetectionResult detected = DetectCurrentLine(kConstants);
    ASSERT_TRUE(detected.Ok);
    EXPECT_EQ(detected.Choice, LineChoice::Other);

    EXPECT_EQ(ChangeLine(LineChoice::Line2, kConstants).Result, SaveResult::Succeeded);
    EXPECT_EQ(HostsBytes(), blocklist + "198.51.100.1\t\t" HOST "\r\n");

    WriteHosts(pinned + blocklist);
    EXPECT_EQ(ChangeLine(LineChoice::Automatic, kConstants).Result, SaveResult::Succeeded);
    EXPECT_EQ(HostsBytes(), blocklist);
}

// Saves through the real file (reading in runs, the unchanged prefix left in place, the tail
// written from its offset) give the model's content, and the start reads the model's choice: random
// files with buffers of a few bytes, and hosts files of real size with the program's own buffers.
// The next start reads what a save wrote as saved, and a second save writes nothing; a save that
// would move NULs into the bytes that tell the encoding is refused, with the file as it was.
TEST_F(LineChangeTest, SavesThroughTheRealFileMatchTheModel) {
    const char* pieces[] = {HOST, "Service.EXAMPLE.com.", " ", "\t", "#", "\r\n", "\r\n", "\n", "\r",
                            "192.0.2.1 " HOST "\r\n", "10.0.0.1", "x", "\xEF\xBB\xBF", "\xD6\xD0", "\xFF\xFE"};
    std::uint32_t seed = 12345;
    const auto next = [&seed] { return seed = seed * 1664525u + 1013904223u, seed >> 8; };
    struct SaveRun {
        std::string file;
        BufferSizes sizes;
    };
    std::vector<SaveRun> runs;
    for (const std::string& file : testing::FilesOnceReordered()) runs.push_back({file, {}});
    for (const std::string& file : testing::FilesWhoseNulsASaveMoves()) runs.push_back({file, {7, 5}});
    for (int i = 0; i < 200; ++i) {
        std::string file;
        for (std::uint32_t p = next() % 30; p > 0; --p) file += pieces[next() % std::size(pieces)];
        // One in five as UTF-16 without a mark, its bytes widened to units.
        if (i % 5 == 4) file = testing::Utf16Bytes(std::u16string(file.begin(), file.end()), i % 10 == 9);
        runs.push_back({file, {1 + next() % 24, 1 + next() % 24}});
    }
    const LineChoice choices[] = {LineChoice::Automatic, LineChoice::Line1, LineChoice::Line2};
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const SaveRun& run = runs[i];
        const LineChoice choice = choices[i % 3];
        WriteHosts(run.file);
        const DetectionResult detected = DetectCurrentLine(kConstants, run.sizes);
        ASSERT_TRUE(detected.Ok) << i;
        ASSERT_EQ(detected.Choice, model::Detect(run.file, kConstants).Choice) << i;
        const SaveOutcome outcome = ChangeLine(choice, kConstants, run.sizes);
        if (!model::ReadsBack(run.file, choice, kConstants)) {
            ASSERT_EQ(outcome.Result, SaveResult::Failed) << i;
            EXPECT_EQ(outcome.Failure.Step, FailedStep::ReadBack) << i;
            EXPECT_TRUE(outcome.Failure.FileAsItWas) << i;
            ASSERT_TRUE(HostsBytes() == run.file) << i;
            continue;
        }
        ASSERT_EQ(outcome.Result, SaveResult::Succeeded) << i;
        const std::string written = HostsBytes(), expected = model::NewContent(run.file, choice, kConstants);
        const auto differ = std::mismatch(written.begin(), written.end(), expected.begin(), expected.end());
        ASSERT_TRUE(written == expected) << "run " << i << ": " << written.size() << " bytes written, "
                                         << expected.size() << " expected, the first difference at byte "
                                         << differ.first - written.begin();
        const DetectionResult next = DetectCurrentLine(kConstants, run.sizes);
        ASSERT_TRUE(next.Ok) << i;
        EXPECT_EQ(next.Choice, choice) << i;
        ASSERT_EQ(ChangeLine(choice, kConstants, run.sizes).Result, SaveResult::Succeeded) << i;
        ASSERT_TRUE(HostsBytes() == written) << i;
    }
}

}  // namespace
}  // namespace hostline::win32

namespace hostline::startup {
namespace {

// What a DLL planted beside the program meets: found by name under the default search order,
// not found once the start-up restriction has run.
TEST(DllSearch, ADllBesideTheProgramIsNoLongerLoadedOnceRestricted) {
    const wchar_t probe[] = L"" HOSTLINE_PROBE_DLL;
    const HMODULE before = LoadLibraryW(probe);
    ASSERT_NE(before, nullptr) << "the probe DLL must be beside the tests; error " << GetLastError();
    ASSERT_TRUE(FreeLibrary(before));
    // A module still loaded would be found by name without any search.
    ASSERT_EQ(GetModuleHandleW(probe), nullptr);

    EXPECT_EQ(RestrictDllSearch(), DllSearch::System32Only);
    const HMODULE after = LoadLibraryW(probe);
    EXPECT_EQ(after, nullptr) << "loaded from beside the program after the restriction";
    if (after) FreeLibrary(after);
}

}  // namespace
}  // namespace hostline::startup
