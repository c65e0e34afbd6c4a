#include "message_boxes.h"

namespace hostline::window {

namespace {

constexpr wchar_t kErrorTitle[] = L"\u9519\u8BEF";  // 错误
constexpr wchar_t kSucceededTitle[] = L"\u6210\u529F";  // 成功
constexpr wchar_t kSucceededText[] = L"\u7EBF\u8DEF\u4FEE\u6539\u5B8C\u6210";  // 线路修改完成
constexpr wchar_t kFailedTitle[] = L"\u5931\u8D25";  // 失败
// 权限不足，请尝试右击本程序然后选择“以管理员身份运行”
constexpr wchar_t kFailedText[] =
    L"\u6743\u9650\u4E0D\u8DB3\uFF0C\u8BF7\u5C1D\u8BD5\u53F3\u51FB\u672C\u7A0B\u5E8F\u7136\u540E"
    L"\u9009\u62E9\u201C\u4EE5\u7BA1\u7406\u5458\u8EAB\u4EFD\u8FD0\u884C\u201D";

// Decimal digits by hand: std::to_wstring would bring MinGW's whole printf into the program.
std::wstring Decimal(DWORD value) {
    wchar_t digits[16];
    wchar_t* first = digits + 16;
    do {
        *--first = static_cast<wchar_t>(L'0' + value % 10);
        value /= 10;
    } while (value != 0);
    return std::wstring(first, digits + 16);
}

// <description>（错误代码 <code>）
std::wstring DescriptionWithCode(const std::wstring& description, DWORD code) {
    return description + L"\uFF08\u9519\u8BEF\u4EE3\u7801 " + Decimal(code) + L"\uFF09";
}

}  // namespace

std::wstring StartFailureText(const win32::FileFailure& failure) {
    // 无法读取 hosts 文件：<path> and the cause
    std::wstring text = L"\u65E0\u6CD5\u8BFB\u53D6 hosts \u6587\u4EF6\uFF1A\n";
    text += failure.Path;
    text += L"\n\n";
    text += DescriptionWithCode(failure.Description, failure.Code);
    return text;
}

void ShowStartFailure(const win32::FileFailure& failure) {
    MessageBoxW(nullptr, StartFailureText(failure).c_str(), kErrorTitle, MB_OK | MB_ICONERROR);
}

void ShowSystemFailure(DWORD code) {
    MessageBoxW(nullptr, DescriptionWithCode(win32::ErrorText(code), code).c_str(), kErrorTitle,
                MB_OK | MB_ICONERROR);
}

void ShowSaveOutcome(HWND owner, SaveOutcome outcome) {
    // No icon on purpose: the two outcomes are told apart by their words, as they always were.
    if (outcome == SaveOutcome::Succeeded) {
        MessageBoxW(owner, kSucceededText, kSucceededTitle, MB_OK);
    } else {
        MessageBoxW(owner, kFailedText, kFailedTitle, MB_OK);
    }
}

}  // namespace hostline::window
