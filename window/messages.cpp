// The texts are written out in Chinese (this file is UTF-8): they are read far more often than the
// code around them. Each failure says first whether the hosts file was changed, then why, then
// what the user can do.
#include "messages.h"

namespace hostline::window {

const wchar_t kErrorTitle[] = L"错误";
const wchar_t kSucceededTitle[] = L"成功";
const wchar_t kSucceededText[] = L"线路修改完成";
const wchar_t kFailedTitle[] = L"失败";

namespace {

// Word for word the text users have always been given when they lack the rights.
constexpr wchar_t kRunAsAdministrator[] = L"权限不足，请尝试右击本程序然后选择“以管理员身份运行”";

constexpr wchar_t kUnchanged[] = L"hosts 文件没有被修改";

// Decimal digits by hand: std::to_wstring would bring MinGW's whole printf into the program.
std::wstring Decimal(std::uint32_t value) {
    wchar_t digits[16];
    wchar_t* first = digits + 16;
    do {
        *--first = static_cast<wchar_t>(L'0' + value % 10);
        value /= 10;
    } while (value != 0);
    return std::wstring(first, digits + 16);
}

std::wstring FolderOf(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? path : path.substr(0, slash);
}

bool IsAccessDenied(std::uint32_t error) {
    return error == error::kAccessDenied;
}

bool IsHeld(std::uint32_t error) {
    return error == error::kSharingViolation || error == error::kLockViolation;
}

bool IsDiskFull(std::uint32_t error) {
    return error == error::kDiskFull || error == error::kHandleDiskFull;
}

std::wstring DamagedText(const HostsFailure& failure) {
    std::wstring text = L"保存失败，hosts 文件可能已经损坏：\n" + failure.Path + L"\n\n";
    if (failure.RecoveryPath.empty()) {
        text += L"原来的内容也没能另存。";
    } else {
        text += L"原来的内容已另存为：\n" + failure.RecoveryPath +
                L"\n请用记事本打开它，把全部内容复制回 hosts 文件。";
    }
    return text + L"\n\n" + DescriptionWithCode(failure.Description, failure.Error);
}

}  // namespace

std::wstring DescriptionWithCode(const std::wstring& description, std::uint32_t code) {
    return description + L"（错误代码 " + Decimal(code) + L"）";
}

std::wstring SaveFailedText(const HostsFailure& failure) {
    if (!failure.FileAsItWas) return DamagedText(failure);
    if (failure.Found == AtHostsPath::Nothing || failure.Found == AtHostsPath::Folder) {
        return std::wstring(kUnchanged) + L"：本程序启动以后，它被删除或被替换了：\n" + failure.Path +
               L"\n\n请重新运行本程序。";
    }
    if (IsAccessDenied(failure.Error)) {
        if (failure.Found == AtHostsPath::ReadOnlyFile) {
            return std::wstring(kUnchanged) + L"：它设置了“只读”属性。\n\n如果要修改，请打开文件夹\n" +
                   FolderOf(failure.Path) +
                   L"\n右击 hosts 文件，选择“属性”，在“常规”选项卡中取消勾选“只读”，点击“确定”，"
                   L"然后再保存一次。";
        }
        if (!failure.Elevated) return kRunAsAdministrator;
        return std::wstring(kUnchanged) +
               L"：系统拒绝写入。本程序已经以管理员身份运行，这通常是安全软件在保护 hosts 文件。\n\n"
               L"请在安全软件中允许本程序修改 hosts 文件，或者暂时关闭它的 hosts 防护，然后再保存一次。";
    }
    if (IsHeld(failure.Error)) {
        return std::wstring(kUnchanged) + L"：它正被另一个程序占用（常见的是安全软件）。\n\n"
                                          L"请稍等片刻，然后再保存一次。";
    }
    if (IsDiskFull(failure.Error)) {
        return std::wstring(kUnchanged) + L"：磁盘空间不足。\n\n"
                                          L"请在系统盘（通常是 C 盘）上腾出一些空间，然后再保存一次。";
    }
    return std::wstring(kUnchanged) + L"。\n\n" + DescriptionWithCode(failure.Description, failure.Error);
}

std::wstring StartFailedText(const HostsFailure& failure) {
    const std::uint32_t error = failure.Error;
    std::wstring text =
        L"无法读取 hosts 文件：\n" + failure.Path + L"\n\n" + DescriptionWithCode(failure.Description, error);
    if (IsAccessDenied(error)) {
        text += L"\n\n请右击本程序，选择“以管理员身份运行”。如果已经这样做了，"
                L"可能是安全软件在保护 hosts 文件，请在安全软件中允许本程序。";
    } else if (IsHeld(error)) {
        text += L"\n\n另一个程序正在使用 hosts 文件，请关闭它以后再试一次。";
    }
    return text;
}

}  // namespace hostline::window
