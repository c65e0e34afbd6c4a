// What a failure tells the user, by its cause. The words are the user's only guide, and the
// program has ended by the time they act: each cause must get its own advice, every text must say
// whether the hosts file was changed, and every next step must be one the user can still take.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "messages.h"

namespace hostline::window {
namespace {

const std::wstring kPath = L"C:\\Windows\\system32\\drivers\\etc\\hosts";
const std::wstring kFolder = L"C:\\Windows\\system32\\drivers\\etc";
const std::wstring kRecovery = L"C:\\Users\\a\\AppData\\Local\\Temp\\hosts.before-hostline-2";
const std::wstring kRunAsAdministrator = L"权限不足，请尝试右击本程序然后选择“以管理员身份运行”";
const std::wstring kUnchanged = L"hosts 文件没有被修改";
const std::wstring kNothingDone = L"本程序没有做任何修改";
const std::wstring kRunAgain = L"重新运行本程序";
const std::wstring kSaveAgain = L"然后重新运行本程序（双击它，出现“用户帐户控制”时点击“是”），再保存。";
const std::wstring kSendIt = L"按 Ctrl+C 复制这段文字";
const std::wstring kAllFiles = L"“所有文件(*.*)”";
// Steps of several actions name the README.txt section that holds them too.
std::wstring InReadme(const std::wstring& heading) {
    return L"README.txt 里“" + heading + L"”一节。在这个提示框上按 Ctrl+C";
}
// Words no text may hold: a step that cannot be taken once the program has ended, and the code
// after a sentence that has already ended.
const std::vector<std::wstring> kNeverAnywhere = {L"再保存一次", L"。（错误代码"};

struct Cause {
    const char* name;
    FailedStep step;
    std::uint32_t error;
    bool elevated;
    AtHostsPath found;
    bool asItWas;
    std::wstring recovery;
    std::vector<std::wstring> says;  // in this order
    std::vector<std::wstring> never;
};

// The users' README.txt, each section a heading over dashes.
const std::string& Readme() {
    static const std::string readme = [] {
        std::ifstream file(HOSTLINE_README_TEMPLATE);
        return std::string((std::istreambuf_iterator<char>(file)), {});
    }();
    return readme;
}

std::string Utf8(const std::wstring& text) {
    std::string out;
    for (const wchar_t c : text) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += {static_cast<char>(0xC0 | c >> 6), static_cast<char>(0x80 | (c & 0x3F))};
        } else {
            out += {static_cast<char>(0xE0 | c >> 12), static_cast<char>(0x80 | (c >> 6 & 0x3F)),
                    static_cast<char>(0x80 | (c & 0x3F))};
        }
    }
    return out;
}

void ExpectWords(const Cause& c, const std::wstring& text) {
    // Every section a text points to is in README.txt.
    const std::wstring pointer = L"README.txt 里“";
    for (std::size_t at = text.find(pointer); at != std::wstring::npos; at = text.find(pointer, at + 1)) {
        const std::size_t start = at + pointer.size();
        const std::wstring heading = text.substr(start, text.find(L'”', start) - start);
        EXPECT_NE(Readme().find("\n" + Utf8(heading) + "\n---"), std::string::npos)
            << c.name << ": README.txt has no section " << ::testing::PrintToString(heading);
    }
    std::size_t from = 0;
    for (const std::wstring& part : c.says) {
        const std::size_t at = text.find(part, from);
        EXPECT_NE(at, std::wstring::npos) << c.name << ": missing or out of order: " << ::testing::PrintToString(part)
                                          << "\nin: " << ::testing::PrintToString(text);
        if (at != std::wstring::npos) from = at + part.size();
    }
    std::vector<std::wstring> never = c.never;
    never.insert(never.end(), kNeverAnywhere.begin(), kNeverAnywhere.end());
    for (const std::wstring& part : never)
        EXPECT_EQ(text.find(part), std::wstring::npos) << c.name << ": should not say " << ::testing::PrintToString(part);
}

HostsFailure FailureOf(const Cause& c) {
    HostsFailure failure;
    failure.Step = c.step;
    failure.Error = c.error;
    failure.Description = L"系统的话。";
    failure.Elevated = c.elevated;
    failure.Found = c.found;
    failure.FileAsItWas = c.asItWas;
    failure.Path = c.step == FailedStep::Locate ? L"" : kPath;
    failure.RecoveryPath = c.recovery;
    return failure;
}

constexpr AtHostsPath kFile = AtHostsPath::File;

TEST(SaveFailedText, EachCauseGetsItsOwnAdvice) {
    const std::wstring code = L"系统的话（错误代码 ";
    const Cause causes[] = {
        {"access denied, not elevated", FailedStep::Open, error::kAccessDenied, false, kFile, true, L"",
         {kRunAsAdministrator, kUnchanged, L"管理员帐户登录"}, {}},
        {"access denied, elevated: security software", FailedStep::Open, error::kAccessDenied, true, kFile, true, L"",
         {kUnchanged, L"已经以管理员身份运行", L"信任列表", kSaveAgain}, {kRunAsAdministrator, L"关闭"}},
        {"read-only attribute", FailedStep::Open, error::kAccessDenied, false, AtHostsPath::ReadOnlyFile, true, L"",
         {kUnchanged, L"“只读”", L"Win+R", L"\n" + kFolder + L"\n", L"取消勾选“只读”", kSaveAgain, InReadme(L"取消只读属性")},
         {L"安全软件", kRunAsAdministrator}},
        {"held past the retry", FailedStep::Open, error::kSharingViolation, true, kFile, true, L"",
         {kUnchanged, L"另一个程序占用", L"稍等片刻", kSaveAgain}, {}},
        {"part of it locked by another program", FailedStep::Lock, error::kLockViolation, false, kFile, true, L"",
         {kUnchanged, L"另一个程序占用", kSaveAgain}, {kRunAsAdministrator}},
        {"disk full, seen as a short write", FailedStep::Write, error::kHandleDiskFull, true, kFile, true, L"",
         {kUnchanged, L"磁盘空间不足", L"C 盘", L"cleanmgr", L"磁盘清理", L"回收站", L"临时文件", kSaveAgain, InReadme(L"腾出磁盘空间")},
         {}},
        {"removed after the start", FailedStep::Open, 2, true, AtHostsPath::Nothing, true, L"",
         {kUnchanged, L"被删除或被替换", kPath, kRunAgain}, {}},
        {"a folder in its place", FailedStep::Open, error::kAccessDenied, false, AtHostsPath::Folder, true, L"",
         {kUnchanged, L"被删除或被替换", kPath, kRunAgain}, {kRunAsAdministrator}},
        {"no text the program knows", FailedStep::Recognise, 13, true, kFile, true, L"",
         {kUnchanged, L"空字符", L"记事本", L"\n" + kPath + L"\n", L"乱码", L"不要保存", L"“ANSI”", kSaveAgain,
          InReadme(L"把 hosts 文件另存为普通文本")},
         {}},
        {"NULs a save would move where they are read", FailedStep::ReadBack, 13, true, kFile, true, L"",
         {kUnchanged, L"空字符", L"下次启动", L"记事本", L"\n" + kPath + L"\n", L"“ANSI”", kSaveAgain,
          InReadme(L"把 hosts 文件另存为普通文本")},
         {code}},
        {"no system directory", FailedStep::Locate, 1, true, AtHostsPath::Nothing, true, L"",
         {kUnchanged, L"系统文件夹", code + L"1）。", L"重新启动电脑", kSaveAgain, kSendIt}, {}},
        {"not put back, old content saved", FailedStep::Write, error::kDiskFull, true, kFile, false, kRecovery,
         {L"可能已经损坏", kPath, L"\nC:\\Users\\a\\AppData\\Local\\Temp\n", L"\nhosts.before-hostline-2\n",
          L"请不要删除它", L"以管理员身份运行", kAllFiles, L"hosts.before-hostline-2。", L"Ctrl+A", L"Ctrl+C",
          L"\n" + kFolder + L"\n", L"Ctrl+V", L"Ctrl+S", InReadme(L"把原来的内容复制回 hosts 文件"), code + L"112）。"},
         {kUnchanged}},
        {"not put back, no copy either", FailedStep::Flush, 1117, true, kFile, false, L"",
         {L"可能已经损坏", kPath, L"没能另存", kRunAgain, L"notepad " + kPath, kSendIt, code + L"1117）。"},
         {kUnchanged, L"另存在"}},
        {"anything else", FailedStep::Write, 1117, true, kFile, true, L"",
         {kUnchanged, code + L"1117）。", kRunAgain, kSendIt}, {L"管理员身份运行”。", L"安全软件"}},
    };
    for (const Cause& c : causes) ExpectWords(c, SaveFailedText(FailureOf(c)));
}

TEST(StartFailedText, EachCauseGetsItsOwnAdvice) {
    const Cause causes[] = {
        {"no hosts file", FailedStep::Open, 2, true, AtHostsPath::Nothing, true, L"",
         {L"无法读取 hosts 文件", kPath, L"不存在（错误代码 2）。", kNothingDone, L"新建一个空的 hosts 文件",
          L"以管理员身份运行", L"另存为", L"\n" + kFolder + L"\n", kAllFiles, kRunAgain, InReadme(L"新建 hosts 文件")},
         {L"系统的话"}},
        {"no etc folder either", FailedStep::Open, error::kPathNotFound, true, AtHostsPath::Nothing, true, L"",
         {kPath, L"文件夹 etc 都不存在（错误代码 3）。", kNothingDone, L"新建一个空的 hosts 文件",
          L"\nC:\\Windows\\system32\\drivers\n", L"“新建文件夹”，输入 etc", kAllFiles, kRunAgain, InReadme(L"新建 hosts 文件")},
         {L"\n" + kFolder + L"\n"}},
        {"a folder in its place", FailedStep::Open, error::kAccessDenied, false, AtHostsPath::Folder, true, L"",
         {kPath, L"文件夹，而不是文件", kNothingDone, L"Win+R", L"改名", L"新建一个空的 hosts 文件", kRunAgain},
         {L"安全软件", L"请右击本程序"}},
        {"access denied, not elevated", FailedStep::Open, error::kAccessDenied, false, kFile, true, L"",
         {kPath, L"系统的话（错误代码 5）。", kNothingDone, L"请右击本程序，选择“以管理员身份运行”", L"信任列表",
          kRunAgain},
         {}},
        {"access denied, elevated", FailedStep::Open, error::kAccessDenied, true, kFile, true, L"",
         {L"已经以管理员身份运行", L"信任列表", kRunAgain}, {L"请右击本程序"}},
        {"held by another program", FailedStep::Open, error::kSharingViolation, true, kFile, true, L"",
         {L"系统的话（错误代码 32）。", kNothingDone, L"稍等片刻", kRunAgain}, {L"关闭它", L"另一个程序"}},
        {"no text the program knows", FailedStep::Recognise, 13, true, kFile, true, L"",
         {kPath, L"空字符", L"记事本", L"乱码", L"“ANSI”", kRunAgain, InReadme(L"把 hosts 文件另存为普通文本")}, {}},
        {"no system directory", FailedStep::Locate, 1, true, AtHostsPath::Nothing, true, L"",
         {L"系统文件夹", L"（错误代码 1）。", kNothingDone, L"重新启动电脑", kRunAgain, kSendIt}, {}},
        {"anything else", FailedStep::Read, 21, true, kFile, true, L"",
         {kPath, L"系统的话（错误代码 21）。", kNothingDone, kRunAgain, kSendIt}, {}},
    };
    for (const Cause& c : causes) ExpectWords(c, StartFailedText(FailureOf(c)));
}

TEST(SucceededText, SaysTheStateTheFileIsLeftIn) {
    const HostsConstants constants{"svc.example.com", "192.0.2.1", "192.0.2.2"};
    const std::wstring host = L"svc.example.com", restart = L"可能要关闭后重新打开";
    const struct { const char* name; LineChoice choice; bool changed; std::vector<std::wstring> says, never; } rows[] = {
        {"line 1 written", LineChoice::Line1, true, {L"线路1", host, L"192.0.2.1", restart}, {kUnchanged, L"192.0.2.2"}},
        {"line 2 already there", LineChoice::Line2, false, {L"线路2", host, L"192.0.2.2", L"没有被修改"},
         {restart, L"192.0.2.1"}},
        {"pin removed", LineChoice::Automatic, true, {L"自动模式", host, L"已经删除", restart}, {L"没有被修改", L"192.0"}},
        {"no pin to remove", LineChoice::Automatic, false, {L"自动模式", L"没有 " + host, L"没有被修改"},
         {L"删除", restart}},
        {"other left alone", LineChoice::Other, false, {L"没有被修改", host, L"另一个地址", kRunAgain, L"“保存”"},
         {restart, L"192.0"}},
    };
    for (const auto& row : rows) {
        const std::wstring text = SucceededText(row.choice, row.changed, constants);
        EXPECT_EQ(text.rfind(L"线路修改完成\n\n", 0), 0u) << row.name;
        ExpectWords({row.name, {}, 0, true, kFile, true, L"", row.says, row.never}, text);
    }
}

TEST(WindowFailedText, TellsTheCodeAndWhatToDo) {
    const Cause c{"no window", FailedStep::Open, 1400, true, kFile, true, L"",
                  {L"窗口", L"系统的话（错误代码 1400）。", kNothingDone, kRunAgain, kSendIt}, {}};
    ExpectWords(c, WindowFailedText(1400, L"系统的话。"));
}

}  // namespace
}  // namespace hostline::window
