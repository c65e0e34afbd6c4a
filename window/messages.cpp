// The texts are written out in Chinese (this file is UTF-8): they are read far more often than the
// code around them. Each failure says first whether the hosts file was changed, then why, then
// what the user can do once the program has ended.
#include "messages.h"

namespace hostline::window {

// The program asks for administrator rights itself: a double-click and 是 are all a new start needs.
#define HOSTLINE_RUN_AGAIN_TO_SAVE L"重新运行本程序（双击它，出现“用户帐户控制”时点击“是”），再保存。"

const wchar_t kSucceededTitle[] = L"成功";
const wchar_t kSucceededText[] = L"线路修改完成";
const wchar_t kFailedTitle[] = L"失败";
const wchar_t kFailedUnchangedShortText[] =
    L"hosts 文件没有被修改：内存不足。\n\n请关闭一些别的程序，然后" HOSTLINE_RUN_AGAIN_TO_SAVE;
const wchar_t kFailedDamagedShortText[] =
    L"保存失败，hosts 文件可能已经损坏。内存不足，无法显示更多内容。\n\n"
    L"请关闭一些别的程序，然后" HOSTLINE_RUN_AGAIN_TO_SAVE;

namespace {

// Word for word the text users have always been given when they lack the rights. The program asks
// for them at every start, so this is met only where they were not granted (no 用户帐户控制 box,
// a standard account, a policy): right-clicking is the way left, or another account.
constexpr wchar_t kRunAsAdministrator[] = L"权限不足，请尝试右击本程序然后选择“以管理员身份运行”";
constexpr wchar_t kOrAnAdministratorAccount[] =
    L"如果没有这一项，或者这样做以后仍然如此，请用管理员帐户登录 Windows（或者请这台电脑的管理员帮忙），再运行本程序。";

constexpr wchar_t kUnchanged[] = L"hosts 文件没有被修改";
constexpr wchar_t kNothingDone[] = L"本程序没有做任何修改。";
constexpr wchar_t kRunAgainToSave[] = HOSTLINE_RUN_AGAIN_TO_SAVE;
constexpr wchar_t kThen[] = L"然后";
constexpr wchar_t kIfItKeepsFailing[] = L"如果一直这样，请按 Ctrl+C 复制这段文字，发给提供本程序的人。";
constexpr wchar_t kAllowInSecuritySoftware[] =
    L"请在安全软件中允许本程序修改 hosts 文件，或者把本程序加入安全软件的信任列表（信任区），";
constexpr wchar_t kNotepadAsAdministrator[] = L"点击“开始”，搜索“记事本”，右击“记事本”，选择“以管理员身份运行”。";

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

// The system's words, then the code, as one sentence: "拒绝访问（错误代码 5）。"
std::wstring DescriptionWithCode(std::wstring description, std::uint32_t code) {
    while (!description.empty() && (description.back() == L'。' || description.back() == L'.' ||
                                    description.back() == L' ' || description.back() == L'\n'))
        description.pop_back();
    if (description.empty()) return L"错误代码 " + Decimal(code) + L"。";
    return description + L"（错误代码 " + Decimal(code) + L"）。";
}

std::wstring FolderOf(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? path : path.substr(0, slash);
}

std::wstring NameOf(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

bool IsHeld(std::uint32_t error) {
    return error == error::kSharingViolation || error == error::kLockViolation;
}

bool IsDiskFull(std::uint32_t error) {
    return error == error::kDiskFull || error == error::kHandleDiskFull;
}

bool IsGone(const HostsFailure& failure) {
    return failure.Found == AtHostsPath::Nothing || failure.Found == AtHostsPath::Folder;
}

// Steps of several actions are also in README.txt, under `heading`: the box, and the program with
// it, are gone once OK is pressed.
std::wstring InReadme(const wchar_t* heading) {
    return std::wstring(L"\n\n这些步骤也写在本程序所在文件夹中的 README.txt 里“") + heading +
           L"”一节。在这个提示框上按 Ctrl+C 可以复制这段文字，粘贴到记事本中保存下来。";
}

constexpr wchar_t kAllFiles[] = L"“所有文件(*.*)”";

// How a user with no other tool puts an empty hosts file where there is none. A missing folder is
// made in Notepad's own Save As box: a typed path that does not exist would be taken for a name.
std::wstring CreateEmptyHostsSteps(const std::wstring& hostsPath, bool folderMissing) {
    const std::wstring etc = FolderOf(hostsPath);
    const std::wstring toFolder =
        folderMissing ? L"3. 在“文件名”框中输入\n" + FolderOf(etc) + L"\n并按回车，点击框上方的“新建文件夹”，输入 " +
                            NameOf(etc) + L" 作为它的名字并按回车，再双击打开它。\n"
                      : L"3. 在“文件名”框中输入\n" + etc + L"\n并按回车。\n";
    return L"可以这样新建一个空的 hosts 文件：\n"
           L"1. " + std::wstring(kNotepadAsAdministrator) + L"\n"
           L"2. 不输入任何内容，点击“文件”→“另存为”。\n" + toFolder +
           L"4. 把“保存类型”改为" + kAllFiles + L"，在“文件名”框中输入 hosts，点击“保存”。\n"
           L"然后重新运行本程序。" + InReadme(L"新建 hosts 文件");
}

// A file whose NULs fit no text the program knows: Notepad reads it and writes it back as text.
std::wstring SaveAsTextSteps(const std::wstring& hostsPath, const std::wstring& lastStep) {
    return L"请用记事本把它另存为普通文本：\n"
           L"1. " + std::wstring(kNotepadAsAdministrator) + L"\n"
           L"2. 点击“文件”→“打开”，在“文件名”框中输入\n" + hostsPath + L"\n并按回车。\n"
           L"3. 先看记事本中显示的是不是一行行看得懂的文字（以 # 开头的说明，“地址 名称”这样的行）。"
           L"如果是乱码、方块或奇怪的符号，请不要继续，也不要保存：直接关闭记事本，请提供本程序的人帮忙。\n"
           L"4. 内容看得懂时，点击“文件”→“另存为”，把“保存类型”改为" + kAllFiles +
           L"，“编码”改为“ANSI”，点击“保存”，问是否替换时选择“是”。\n" +
           lastStep + InReadme(L"把 hosts 文件另存为普通文本");
}

constexpr wchar_t kUnrecognised[] =
    L"其中有本程序不认识的内容（空字符），无法确定它是哪种编码的文本。为了不把它改坏，本程序不修改它。";

// The copy of the old content back into hosts, with Notepad run as administrator.
std::wstring CopyBackSteps(const std::wstring& hostsPath, const std::wstring& copyPath) {
    return L"请按下面的步骤把它复制回 hosts 文件：\n"
           L"1. " + std::wstring(kNotepadAsAdministrator) + L"\n"
           L"2. 在记事本中点击“文件”→“打开”，在“文件名”框中输入\n" + FolderOf(copyPath) + L"\n"
           L"并按回车，把右下角的文件类型改为" + kAllFiles + L"，然后打开 " + NameOf(copyPath) + L"。\n"
           L"3. 按 Ctrl+A 全选，按 Ctrl+C 复制。\n"
           L"4. 再点击“文件”→“打开”，在“文件名”框中输入\n" + FolderOf(hostsPath) + L"\n"
           L"并按回车，文件类型仍选" + kAllFiles + L"，打开 hosts。\n"
           L"5. 按 Ctrl+A 全选，按 Ctrl+V 粘贴，再按 Ctrl+S 保存。" + InReadme(L"把原来的内容复制回 hosts 文件");
}

std::wstring DamagedText(const HostsFailure& failure) {
    std::wstring text = L"保存失败，hosts 文件可能已经损坏：\n" + failure.Path + L"\n\n";
    if (failure.RecoveryPath.empty()) {
        text += L"原来的内容也没能另存。\n\n"
                L"请稍后重新运行本程序（双击它，出现“用户帐户控制”时点击“是”），再保存；"
                L"然后用记事本查看 hosts 文件（按 Win+R，输入 notepad " + failure.Path +
                L"，按回车），看其他内容是否完好。" + kIfItKeepsFailing;
    } else {
        text += L"原来的内容已另存在文件夹\n" + FolderOf(failure.RecoveryPath) + L"\n中，文件名是\n" +
                NameOf(failure.RecoveryPath) + L"\n请不要删除它。" + CopyBackSteps(failure.Path, failure.RecoveryPath);
    }
    return text + L"\n\n" + DescriptionWithCode(failure.Description, failure.Error);
}

std::wstring AccessDeniedText(const HostsFailure& failure) {
    if (failure.Found == AtHostsPath::ReadOnlyFile) {
        return std::wstring(kUnchanged) + L"：它设置了“只读”属性。\n\n请这样取消“只读”：按 Win+R，输入\n" +
               FolderOf(failure.Path) +
               L"\n按回车，在打开的文件夹中右击 hosts 文件，选择“属性”，在“常规”选项卡中取消勾选“只读”，"
               L"点击“确定”（如果提示需要管理员权限，点击“继续”）。" + kThen + kRunAgainToSave +
               InReadme(L"取消只读属性");
    }
    if (!failure.Elevated)
        return std::wstring(kRunAsAdministrator) + L"\n\n" + kUnchanged + L"。\n\n" + kOrAnAdministratorAccount;
    return std::wstring(kUnchanged) +
           L"：系统拒绝写入。本程序已经以管理员身份运行，这通常是安全软件在保护 hosts 文件。\n\n" +
           kAllowInSecuritySoftware + kThen + kRunAgainToSave;
}

// The host and the addresses are ASCII.
std::wstring Widened(std::string_view ascii) {
    return std::wstring(ascii.begin(), ascii.end());
}

}  // namespace

std::wstring SucceededText(LineChoice choice, bool changed, const HostsConstants& constants) {
    const std::wstring host = Widened(constants.ServiceHost);
    if (choice == LineChoice::Other) {
        // The save of Other reads nothing: what it can vouch for is the file as the start found it.
        return kSucceededText + (L"\n\nhosts 文件保持原样，没有被修改：本程序启动时读到，它把 " + host) +
               L" 固定在另一个地址（不是线路1或线路2）。\n\n"
               L"要改用线路1、线路2或自动模式，请重新运行本程序，选中想用的一项，再点击“保存”。";
    }
    std::wstring state;
    if (choice == LineChoice::Automatic) {
        state = changed ? L"现在是自动模式：hosts 文件中 " + host + L" 的固定线路已经删除，它按平常的方式解析。"
                        : L"现在是自动模式：hosts 文件中没有 " + host + L" 的固定线路，它按平常的方式解析。";
    } else {
        const bool one = choice == LineChoice::Line1;
        state = std::wstring(one ? L"现在使用线路1" : L"现在使用线路2") + L"：hosts 文件把 " + host + L" 指向 " +
                Widened(one ? constants.Line1Address : constants.Line2Address) + L"。";
    }
    return kSucceededText + (L"\n\n" + state) +
           (changed ? L"\n\n已经打开的程序（例如浏览器）可能要关闭后重新打开，才会用上这个改动。"
                    : L"hosts 文件本来就是这样，没有被修改。");
}

std::wstring SaveFailedText(const HostsFailure& failure) {
    if (!failure.FileAsItWas) return DamagedText(failure);
    switch (failure.Step) {
        case FailedStep::Locate:
            return std::wstring(kUnchanged) + L"：系统没有告诉本程序 Windows 的系统文件夹在哪里。\n\n" +
                   DescriptionWithCode(failure.Description, failure.Error) + L"\n\n请重新启动电脑，" + kThen +
                   kRunAgainToSave + kIfItKeepsFailing;
        case FailedStep::Recognise:
            return std::wstring(kUnchanged) + L"：" + kUnrecognised + L"\n\n" +
                   SaveAsTextSteps(failure.Path, kThen + std::wstring(kRunAgainToSave));
        case FailedStep::ReadBack:
            return std::wstring(kUnchanged) +
                   L"：其中有空字符（一种看不见的字符，常见于从别处粘贴来的内容）。保存以后，它们会落在文件开头"
                   L"本程序用来判断文字编码的部分，下次启动时本程序就会读错或不再读取这个文件。"
                   L"为了不把它改坏，本程序不修改它。\n\n" +
                   SaveAsTextSteps(failure.Path, kThen + std::wstring(kRunAgainToSave));
        default:
            break;
    }
    if (IsGone(failure)) {
        return std::wstring(kUnchanged) + L"：本程序启动以后，它被删除或被替换了：\n" + failure.Path +
               L"\n\n请重新运行本程序（双击它，出现“用户帐户控制”时点击“是”）。";
    }
    if (failure.Error == error::kAccessDenied) return AccessDeniedText(failure);
    if (IsHeld(failure.Error)) {
        return std::wstring(kUnchanged) + L"：它正被另一个程序占用（常见的是安全软件）。\n\n请稍等片刻，" + kThen + kRunAgainToSave;
    }
    if (IsDiskFull(failure.Error)) {
        return std::wstring(kUnchanged) +
               L"：磁盘空间不足。\n\n请在系统盘（通常是 C 盘）上腾出一些空间：按 Win+R，输入 cleanmgr，按回车，"
               L"打开“磁盘清理”（问驱动器时选 C 盘），勾选“回收站”和“临时文件”，点击“确定”，再点击“删除文件”。" + kThen + kRunAgainToSave + InReadme(L"腾出磁盘空间");
    }
    return std::wstring(kUnchanged) + L"。\n\n" + DescriptionWithCode(failure.Description, failure.Error) +
           L"\n\n请稍后" + kRunAgainToSave + kIfItKeepsFailing;
}

std::wstring StartFailedText(const HostsFailure& failure) {
    if (failure.Step == FailedStep::Locate) {
        return L"无法找到 hosts 文件：系统没有告诉本程序 Windows 的系统文件夹在哪里。\n\n" +
               DescriptionWithCode(failure.Description, failure.Error) + kNothingDone +
               L"\n\n请重新启动电脑，然后重新运行本程序。" + kIfItKeepsFailing;
    }
    const std::wstring head = L"无法读取 hosts 文件：\n" + failure.Path + L"\n\n";
    if (failure.Step == FailedStep::Recognise) {
        return head + kUnrecognised + L"\n\n" + SaveAsTextSteps(failure.Path, L"然后重新运行本程序。");
    }
    if (failure.Found == AtHostsPath::Nothing && failure.Error == error::kPathNotFound) {
        // Notepad cannot save into a folder that is not there: the steps make it first.
        const std::wstring etc = FolderOf(failure.Path);
        return head + L"这个文件和它所在的文件夹 " + NameOf(etc) + L" 都不存在（错误代码 3）。" + kNothingDone +
               L"\n\n" + CreateEmptyHostsSteps(failure.Path, true);
    }
    if (failure.Found == AtHostsPath::Nothing) {
        return head + L"这个文件不存在（错误代码 " + Decimal(failure.Error) + L"）。" + kNothingDone + L"\n\n" +
               CreateEmptyHostsSteps(failure.Path, false);
    }
    if (failure.Found == AtHostsPath::Folder) {
        return head + L"在这个位置上的是一个文件夹，而不是文件。" + kNothingDone + L"\n\n请按 Win+R，输入\n" +
               FolderOf(failure.Path) +
               L"\n按回车，把名为 hosts 的文件夹改名（例如改为 hosts.old；如果提示需要管理员权限，点击“继续”）。\n\n" +
               CreateEmptyHostsSteps(failure.Path, false);
    }
    const std::wstring cause = head + DescriptionWithCode(failure.Description, failure.Error) + kNothingDone + L"\n\n";
    if (failure.Error == error::kAccessDenied) {
        const std::wstring software = std::wstring(L"可能是安全软件在保护 hosts 文件：") + kAllowInSecuritySoftware +
                                      L"然后重新运行本程序。";
        if (failure.Elevated) return cause + L"本程序已经以管理员身份运行，" + software;
        return cause + L"本程序没有得到管理员权限：请右击本程序，选择“以管理员身份运行”。" + kOrAnAdministratorAccount +
               L"\n\n如果已经以管理员身份运行，" + software;
    }
    if (IsHeld(failure.Error)) return cause + L"请稍等片刻，然后重新运行本程序。";
    return cause + L"请稍后重新运行本程序。" + kIfItKeepsFailing;
}

std::wstring WindowFailedText(std::uint32_t error, const std::wstring& description) {
    return L"本程序无法打开它的窗口。\n\n" + DescriptionWithCode(description, error) + kNothingDone +
           L"\n\n请关闭一些别的程序，然后重新运行本程序。" + kIfItKeepsFailing;
}

const wchar_t kOtherCopyCannotSaveText[] =
    L"本程序已经打开了一个窗口，但那个窗口是没有管理员权限时打开的，不能修改 hosts 文件。\n\n"
    L"请先关闭那个窗口，然后" HOSTLINE_RUN_AGAIN_TO_SAVE;

}  // namespace hostline::window
