// What a failed save tells the user, by its cause. The words are the user's only guide, so each
// cause must get its own advice, and every text must say whether the hosts file was changed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "messages.h"

namespace hostline::window {
namespace {

const std::wstring kPath = L"C:\\Windows\\system32\\drivers\\etc\\hosts";
const std::wstring kRecovery = L"C:\\Windows\\system32\\drivers\\etc\\hosts.before-hostline";
const std::wstring kRunAsAdministrator = L"权限不足，请尝试右击本程序然后选择“以管理员身份运行”";
const std::wstring kUnchanged = L"hosts 文件没有被修改";

struct Cause {
    const char* name;
    std::uint32_t error;
    bool elevated;
    bool readOnly;
    bool gone;
    bool asItWas;
    const wchar_t* recovery;
    std::vector<std::wstring> says;  // in this order
    std::vector<std::wstring> never;
};

TEST(SaveFailedText, EachCauseGetsItsOwnAdvice) {
    const std::wstring description = L"<the system's words>";
    const std::wstring code = L"（错误代码 ";
    const Cause causes[] = {
        {"access denied, not elevated", error::kAccessDenied, false, false, false, true, L"", {kRunAsAdministrator}, {}},
        {"access denied, elevated: security software", error::kAccessDenied, true, false, false, true, L"",
         {kUnchanged, L"已经以管理员身份运行", L"安全软件", L"允许本程序"}, {kRunAsAdministrator}},
        {"read-only attribute, elevated", error::kAccessDenied, true, true, false, true, L"",
         {kUnchanged, L"“只读”", L"C:\\Windows\\system32\\drivers\\etc\n", L"“属性”", L"取消勾选“只读”"},
         {L"安全软件", kRunAsAdministrator}},
        {"read-only attribute, not elevated", error::kAccessDenied, false, true, false, true, L"",
         {kUnchanged, L"取消勾选“只读”"}, {kRunAsAdministrator}},
        {"held past the retry", error::kSharingViolation, true, false, false, true, L"",
         {kUnchanged, L"另一个程序占用", L"稍等片刻"}, {L"管理员"}},
        {"part of it locked by another program", error::kLockViolation, false, false, false, true, L"",
         {kUnchanged, L"另一个程序占用"}, {L"管理员"}},
        {"disk full", error::kDiskFull, true, false, false, true, L"", {kUnchanged, L"磁盘空间不足", L"C 盘"}, {}},
        {"disk full, seen as a short write", error::kHandleDiskFull, true, false, false, true, L"",
         {kUnchanged, L"磁盘空间不足"}, {}},
        {"removed after the start", 2, true, false, true, true, L"", {kUnchanged, L"被删除或被替换", kPath}, {}},
        {"a folder in its place", error::kAccessDenied, false, false, true, true, L"",
         {kUnchanged, L"被删除或被替换", kPath}, {kRunAsAdministrator}},
        {"not put back, old content saved", error::kDiskFull, true, false, false, false, kRecovery.c_str(),
         {L"可能已经损坏", kPath, L"另存为", kRecovery, description, code + L"112）"}, {kUnchanged}},
        {"not put back, no copy either", 1117, true, false, false, false, L"",
         {L"可能已经损坏", kPath, L"没能另存", description, code + L"1117）"}, {kUnchanged, L"另存为"}},
        {"anything else", 1117, true, false, false, true, L"", {kUnchanged, description, code + L"1117）"},
         {L"管理员", L"安全软件"}},
    };
    for (const Cause& c : causes) {
        HostsFailure failure;
        failure.Error = c.error;
        failure.Description = description;
        failure.Elevated = c.elevated;
        failure.Found = c.gone ? AtHostsPath::Nothing : c.readOnly ? AtHostsPath::ReadOnlyFile : AtHostsPath::File;
        failure.FileAsItWas = c.asItWas;
        failure.Path = kPath;
        failure.RecoveryPath = c.recovery;
        const std::wstring text = SaveFailedText(failure);
        std::size_t from = 0;
        for (const std::wstring& part : c.says) {
            const std::size_t at = text.find(part, from);
            EXPECT_NE(at, std::wstring::npos) << c.name << ": missing or out of order: " << ::testing::PrintToString(part);
            if (at != std::wstring::npos) from = at + part.size();
        }
        for (const std::wstring& part : c.never)
            EXPECT_EQ(text.find(part), std::wstring::npos) << c.name << ": should not say " << ::testing::PrintToString(part);
    }
}

TEST(StartFailedText, AddsAdviceWhereThereIsSome) {
    const auto text = [](std::uint32_t error, const wchar_t* description) {
        HostsFailure failure;
        failure.Error = error;
        failure.Description = description;
        failure.Path = L"C:\\hosts";
        return StartFailedText(failure);
    };
    EXPECT_EQ(text(2, L"找不到文件。"), L"无法读取 hosts 文件：\nC:\\hosts\n\n找不到文件。（错误代码 2）");
    EXPECT_NE(text(5, L"拒绝访问。").find(L"以管理员身份运行"), std::wstring::npos);
    EXPECT_NE(text(5, L"拒绝访问。").find(L"安全软件"), std::wstring::npos);
    EXPECT_NE(text(32, L"另一个程序正在使用此文件。").find(L"关闭它"), std::wstring::npos);
}

}  // namespace
}  // namespace hostline::window
