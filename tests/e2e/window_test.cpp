// hostline.exe end to end under Wine: the prefix's real hosts file is prepared, the program is
// started, and its window, message boxes, exit code and the file's bytes are checked from outside.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "errors.h"
#include "hostline_constants.h"
#include "hostline_driver.h"
#include "test_support.h"
#include "version.h"
#include "win32_test_support.h"

namespace hostline::e2e {
namespace {

using win32::HostsPath;

// What the user reads, written out here rather than taken from the program; the caption's version
// is the short form of the build's own, as major.minor.
// 线路选择器 <major>.<minor>, after the host.
const std::wstring kCaptionAfterHost = L"\u7EBF\u8DEF\u9009\u62E9\u5668 " + std::to_wstring(HOSTLINE_VERSION_MAJOR) +
                                       L"." + std::to_wstring(HOSTLINE_VERSION_MINOR);
const std::wstring kCaption = HOSTLINE_SERVICE_HOST_W + kCaptionAfterHost;
const std::wstring kSucceededTitle = L"\u6210\u529F";
const std::wstring kSucceededText = L"\u7EBF\u8DEF\u4FEE\u6539\u5B8C\u6210";
const std::wstring kFailedTitle = L"\u5931\u8D25";

const std::string kHost(kBuiltInConstants.ServiceHost);
const std::string kLine1(kBuiltInConstants.Line1Address);
const std::string kLine2(kBuiltInConstants.Line2Address);

std::wstring Wide(const std::string& ascii) {
    return std::wstring(ascii.begin(), ascii.end());
}

std::string Pinned(const std::string& address) {
    return address + "\t\t" + kHost + "\r\n";
}

// ASCII text as UTF-16 without a byte-order mark.
std::string Utf16WithoutMark(const std::string& text, bool bigEndian = false) {
    return hostline::testing::Utf16Bytes(std::u16string(text.begin(), text.end()), bigEndian);
}

// The host with every other ASCII letter in the other case: the same name to Windows.
std::string OtherCase(std::string name) {
    bool flip = true;
    for (char& c : name) {
        const bool upper = c >= 'A' && c <= 'Z', lower = c >= 'a' && c <= 'z';
        if ((upper || lower) && (flip = !flip)) c = static_cast<char>(upper ? c + 32 : c - 32);
    }
    return name;
}

// Option1..Option4 and Command1, in the order the user meets them with Tab.
struct Form1 {
    HWND Window = nullptr;
    std::array<HWND, 4> Options{};
    HWND Command1 = nullptr;
    std::vector<HWND> ChildrenInZOrder;
};

Form1 ControlsOf(HWND window) {
    Form1 form;
    form.Window = window;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        form.ChildrenInZOrder.push_back(child);
    if (form.ChildrenInZOrder.size() == 5) {
        const auto& z = form.ChildrenInZOrder;
        form.Options = {z[0], z[2], z[3], z[4]};
        form.Command1 = z[1];
    }
    return form;
}

std::string NameOf(const Form1& form, HWND control) {
    for (int i = 0; i < 4; ++i) {
        if (control == form.Options[i]) return "Option" + std::to_string(i + 1);
    }
    if (control == form.Command1) return "Command1";
    return control == form.Window ? "Form1" : "another window";
}

// Indexes (0 = Option1) of the checked option buttons.
std::vector<int> CheckedOptions(const Form1& form) {
    std::vector<int> checked;
    for (int i = 0; i < 4; ++i) {
        if (SendMessageW(form.Options[i], BM_GETCHECK, 0, 0) == BST_CHECKED) checked.push_back(i);
    }
    return checked;
}

// Each test gets the prefix's hosts file back as it found it.
class Hostline : public win32::HostsFileFixture {
protected:
    // Starts the program on `hosts` and waits for Form1.
    Form1 StartOn(const std::string& hosts) {
        WriteHosts(hosts);
        program_ = std::make_unique<RunningProgram>();
        EXPECT_TRUE(program_->Started()) << "could not start the program, error " << GetLastError();
        if (!program_->Started()) return {};
        HWND window = program_->WaitForForm();
        EXPECT_NE(window, nullptr) << "Form1 did not show";
        return window ? ControlsOf(window) : Form1{};
    }

    // Presses OK on the one open message box and returns the process's exit code.
    DWORD PressOkAndWaitForExit(HWND box) {
        PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
        return program_->WaitForExit();
    }

    // A save's success, owned by Form1, with OK alone and no icon: 线路修改完成, then the state
    // the file is left in (option 0..3), and whether it changed.
    static void ExpectSucceeded(HWND box, const Form1& form, int option, bool changed) {
        const MessageBoxContents contents = ReadMessageBox(box);
        EXPECT_EQ(contents.Title, kSucceededTitle);
        EXPECT_EQ(contents.Text.rfind(kSucceededText + L"\n\n", 0), 0u) << "first line";
        const std::wstring pinned = option == 1 ? Wide(kLine1) : option == 2 ? Wide(kLine2) : L"";
        const std::wstring facts[] = {
            option == 0 ? L"\u81EA\u52A8\u6A21\u5F0F" : option == 3 ? L"\u53E6\u4E00\u4E2A\u5730\u5740"  // 自动模式 另一个地址
                        : L"\u7EBF\u8DEF" + std::to_wstring(option),                                      // 线路N
            Wide(kHost) + (pinned.empty() ? L"" : L" \u6307\u5411 " + pinned),                              // 指向
            changed ? L"\u91CD\u65B0\u6253\u5F00" : L"\u6CA1\u6709\u88AB\u4FEE\u6539",  // 重新打开 : 没有被修改
        };
        for (const std::wstring& fact : facts)
            EXPECT_NE(contents.Text.find(fact), std::wstring::npos) << "no " << ::testing::PrintToString(fact);
        EXPECT_EQ(contents.VisibleButtonIds, std::vector<int>{IDOK});
        EXPECT_FALSE(contents.ShowsIcon);
        EXPECT_EQ(contents.Owner, form.Window);
    }

    // Presses Save and returns the message box it brings up, or nullptr when none comes.
    HWND ClickSave(const Form1& form) {
        PostMessageW(form.Command1, BM_CLICK, 0, 0);
        return program_->WaitForMessageBox();
    }

    std::unique_ptr<RunningProgram> program_;
};

// ---------------------------------------------------------------------------------------------
// The window as designed: caption, border, size, place, controls.

struct ControlExpectation {
    const char* Name;
    std::wstring Text;
    bool IsOption;
    int Left, Top, Width, Height;  // twips
};

const ControlExpectation kControls[] = {
    {"Option1", L"\u81EA\u52A8\u6A21\u5F0F", true, 360, 240, 1575, 375},
    {"Command1", L"\u4FDD\u5B58", false, 3000, 240, 1695, 1335},
    {"Option2", L"\u7EBF\u8DEF1", true, 360, 600, 1575, 375},
    {"Option3", L"\u7EBF\u8DEF2", true, 360, 960, 1575, 375},
    {"Option4", L"\u5176\u4ED6", true, 360, 1320, 1575, 375},
};

int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

int Pixels(int twips, int dpi) { return MulDiv(twips, dpi, 1440); }

// The client size and every control's rectangle for `dpi`, and the window centred on the work
// area. Only the places: the caller checks what the controls are.
void ExpectDesignedGeometry(const Form1& form, int dpi) {
    RECT client{};
    GetClientRect(form.Window, &client);
    EXPECT_EQ(client.right, Pixels(5100, dpi));
    EXPECT_EQ(client.bottom, Pixels(1830, dpi));

    RECT outer{}, work{};
    GetWindowRect(form.Window, &outer);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_NEAR(outer.left - work.left, work.right - outer.right, 1) << "centred across the work area";
    EXPECT_NEAR(outer.top - work.top, work.bottom - outer.bottom, 1) << "centred down the work area";

    ASSERT_EQ(form.ChildrenInZOrder.size(), std::size(kControls));
    for (std::size_t i = 0; i < std::size(kControls); ++i) {
        const ControlExpectation& expected = kControls[i];
        SCOPED_TRACE(expected.Name);
        RECT rect{};
        GetWindowRect(form.ChildrenInZOrder[i], &rect);
        MapWindowPoints(nullptr, form.Window, reinterpret_cast<POINT*>(&rect), 2);
        EXPECT_EQ(rect.left, Pixels(expected.Left, dpi));
        EXPECT_EQ(rect.top, Pixels(expected.Top, dpi));
        EXPECT_EQ(rect.right - rect.left, Pixels(expected.Width, dpi));
        EXPECT_EQ(rect.bottom - rect.top, Pixels(expected.Height, dpi));
    }
}

// Sets the DPI the prefix reports to programs started from now on, and puts the old value back.
class PrefixDpi {
public:
    explicit PrefixDpi(DWORD dpi) {
        DWORD size = sizeof previous_;
        hadValue_ = RegGetValueW(HKEY_CURRENT_USER, kKey, kValue, RRF_RT_REG_DWORD, nullptr, &previous_, &size) ==
                    ERROR_SUCCESS;
        set_ = RegSetKeyValueW(HKEY_CURRENT_USER, kKey, kValue, REG_DWORD, &dpi, sizeof dpi) == ERROR_SUCCESS;
    }
    ~PrefixDpi() {
        if (hadValue_) {
            RegSetKeyValueW(HKEY_CURRENT_USER, kKey, kValue, REG_DWORD, &previous_, sizeof previous_);
        } else {
            RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, kValue);
        }
    }
    bool Set() const { return set_; }

private:
    static constexpr const wchar_t* kKey = L"Control Panel\\Desktop";
    static constexpr const wchar_t* kValue = L"LogPixels";
    DWORD previous_ = 0;
    bool hadValue_ = false;
    bool set_ = false;
};

TEST_F(Hostline, Form1IsLaidOutInTwipsForTheSystemDpi) {
    for (const int dpi : {96, 120, 144, 192}) {
        SCOPED_TRACE("dpi " + std::to_string(dpi));
        PrefixDpi prefixDpi(static_cast<DWORD>(dpi));
        ASSERT_TRUE(prefixDpi.Set());
        const Form1 form = StartOn("127.0.0.1 localhost\r\n");
        ASSERT_NE(form.Window, nullptr);
        ExpectDesignedGeometry(form, dpi);
        PostMessageW(form.Window, WM_CLOSE, 0, 0);
        EXPECT_EQ(program_->WaitForExit(), 0u);
    }
}

TEST_F(Hostline, Form1HasTheDesignedCaptionBorderSizePlaceAndControls) {
    const Form1 form = StartOn("127.0.0.1 localhost\r\n");
    ASSERT_NE(form.Window, nullptr);
    const int dpi = ScreenDpi();

    EXPECT_EQ(TextOf(form.Window), kCaption);
    const LONG_PTR style = GetWindowLongPtrW(form.Window, GWL_STYLE);
    const LONG_PTR exStyle = GetWindowLongPtrW(form.Window, GWL_EXSTYLE);
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX), WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);
    EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX | WS_CHILD | WS_POPUP), 0);
    EXPECT_EQ(exStyle & WS_EX_TOOLWINDOW, 0) << "needs its own taskbar button";
    EXPECT_EQ(GetWindow(form.Window, GW_OWNER), nullptr);

    ExpectDesignedGeometry(form, dpi);

    ASSERT_EQ(form.ChildrenInZOrder.size(), std::size(kControls)) << "creation order is the Tab order";
    for (std::size_t i = 0; i < std::size(kControls); ++i) {
        const ControlExpectation& expected = kControls[i];
        HWND control = form.ChildrenInZOrder[i];
        SCOPED_TRACE(expected.Name);
        // The whole text, so also no ampersand, which would give the control an access key.
        EXPECT_EQ(TextOf(control), expected.Text);
        EXPECT_EQ(GetParent(control), form.Window);

        const LONG_PTR controlStyle = GetWindowLongPtrW(control, GWL_STYLE);
        const LONG_PTR type = controlStyle & BS_TYPEMASK;
        if (expected.IsOption) {
            EXPECT_TRUE(type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON) << "type " << type;
        } else {
            EXPECT_EQ(type, BS_DEFPUSHBUTTON) << "Enter presses Save";
        }
    }
    EXPECT_TRUE(IsWindowEnabled(form.Options[0]));
    EXPECT_TRUE(IsWindowEnabled(form.Options[1]));
    EXPECT_TRUE(IsWindowEnabled(form.Options[2]));
    EXPECT_FALSE(IsWindowEnabled(form.Options[3])) << "Other can only be detected, never chosen";
    EXPECT_TRUE(IsWindowEnabled(form.Command1));
    EXPECT_TRUE(GetWindowLongPtrW(form.Options[0], GWL_STYLE) & WS_GROUP);
    EXPECT_FALSE(GetWindowLongPtrW(form.Command1, GWL_STYLE) & WS_GROUP) << "would split the options";

    PostMessageW(form.Window, WM_CLOSE, 0, 0);
    EXPECT_EQ(program_->WaitForExit(), 0u);
}

// ---------------------------------------------------------------------------------------------
// Detection: each kind of hosts file selects its option; closing leaves the file as it was.

struct DetectionCase {
    const char* Name;
    std::string Hosts;
    int Option;  // 0 = Option1
};

TEST_F(Hostline, SelectsTheDetectedOptionAndClosingLeavesTheFileAlone) {
    const DetectionCase cases[] = {
        {"empty file", "", 0},
        {"no entry", "# comment\r\n127.0.0.1 localhost\r\n", 0},
        {"commented entry", "# " + kLine1 + " " + kHost + "\r\n", 0},
        {"line 1", "127.0.0.1 localhost\r\n" + Pinned(kLine1), 1},
        {"line 2 with LF", kLine2 + " " + kHost + "\n", 2},
        {"other address", "10.1.2.3 " + kHost + "\r\n", 3},
        {"other names beside the host", kLine1 + " " + kHost + " www.example.com\r\n", 1},
        {"a comment after the host", kLine1 + " " + kHost + "   # line 1\r\n", 1},
        {"the host in another case", kLine1 + " " + OtherCase(kHost) + "\r\n", 1},
        {"a comment after a tab, then the entry", "\t# " + kHost + " is pinned below\r\n" + kLine1 + " " + kHost, 1},
        {"a longer name that starts with the host", "10.20.30.40 " + kHost + ".edgekey.net\r\n", 0},
        {"the host twice in one name", kLine1 + " " + kHost + kHost + "\r\n", 0},
        {"UTF-16 without a mark", Utf16WithoutMark("127.0.0.1 localhost\r\n" + kLine1 + " " + kHost + "\r\n"), 1},
        {"UTF-16 big-endian without a mark", Utf16WithoutMark(kLine2 + " " + kHost + "\r\n", true), 2},
    };
    for (const DetectionCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const Form1 form = StartOn(c.Hosts);
        ASSERT_NE(form.Window, nullptr);
        const ULONGLONG written = win32::LastWriteTime(HostsPath());
        EXPECT_EQ(CheckedOptions(form), std::vector<int>{c.Option});

        PostMessageW(form.Window, WM_CLOSE, 0, 0);
        EXPECT_EQ(program_->WaitForExit(), 0u);
        EXPECT_EQ(HostsBytes(), c.Hosts);
        EXPECT_EQ(win32::LastWriteTime(HostsPath()), written);
    }
}

// A line of a quarter of a gigabyte that maps the host: the start reads its address alone, never
// a copy of the whole line, so the window opens as for any file (this 32-bit program once ran
// out of memory here). The file is written in pieces so the test holds no copy of it either.
TEST_F(Hostline, AQuarterGigabyteEntryLineStartsLikeAnyOther) {
    {
        win32::UniqueFile file(CreateFileW(HostsPath().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(file);
        const std::string start = "# " + std::string(1000, 'c') + "\r\n" + kLine2 + " " + kHost + " ";
        const std::string names(1 << 20, 'n');
        DWORD written = 0;
        ASSERT_TRUE(WriteFile(file.Get(), start.data(), static_cast<DWORD>(start.size()), &written, nullptr));
        for (int i = 0; i < 250; ++i) {
            ASSERT_TRUE(WriteFile(file.Get(), names.data(), static_cast<DWORD>(names.size()), &written, nullptr));
            ASSERT_EQ(written, names.size());
        }
        ASSERT_TRUE(WriteFile(file.Get(), "\r\n", 2, &written, nullptr));
    }
    program_ = std::make_unique<RunningProgram>();
    ASSERT_TRUE(program_->Started());
    HWND window = program_->WaitForForm();
    ASSERT_NE(window, nullptr) << "no window; a message box instead: "
                               << (program_->OpenMessageBoxes().empty() ? "none" : "shown");
    EXPECT_EQ(CheckedOptions(ControlsOf(window)), std::vector<int>{2});
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(program_->WaitForExit(), 0u);
}

// ---------------------------------------------------------------------------------------------
// The keyboard and clicks: focus alone never selects, an arrow key or a click selects exactly one,
// Other cannot be chosen, Esc closes.

// An arrow key pressed on the focused option, and the option it moves the focus to and selects.
struct ArrowPress {
    UINT Key;
    int Lands;  // 0 = Option1
};

const char* ArrowName(UINT key) {
    return key == VK_UP ? "Up" : key == VK_DOWN ? "Down" : key == VK_LEFT ? "Left" : "Right";
}

enum class Ending { CloseButton, EnterKey, EscKey };

struct KeyboardCase {
    const char* Name;
    std::string Hosts;
    int Detected;
    std::vector<ArrowPress> Arrows;  // pressed from Option1
    Ending End;
    std::string After;  // the file once the program has ended
};

TEST_F(Hostline, MovingTheFocusNeverSelectsExceptByAnArrowKey) {
    const std::string other = "10.9.9.9 " + kHost + "\r\n";
    const KeyboardCase cases[] = {
        {"line 2 detected; the arrows wrap both ways past the greyed Option4", Pinned(kLine2), 2,
         {{VK_UP, 2}, {VK_DOWN, 0}, {VK_RIGHT, 1}, {VK_LEFT, 0}}, Ending::CloseButton, Pinned(kLine2)},
        {"other detected; Esc after choosing line 2 closes and writes nothing", other, 3,
         {{VK_DOWN, 1}, {VK_DOWN, 2}}, Ending::EscKey, other},
        {"automatic detected; Down then Enter saves line 1", "", 0, {{VK_DOWN, 1}}, Ending::EnterKey,
         Pinned(kLine1)},
    };
    for (const KeyboardCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const Form1 form = StartOn(c.Hosts);
        ASSERT_NE(form.Window, nullptr);
        const std::vector<int> detected{c.Detected};
        EXPECT_EQ(CheckedOptions(form), detected) << "when shown";

        // The window gives the focus to one of its controls when it is activated.
        ASSERT_TRUE(WaitUntil([&] { return IsChild(form.Window, program_->FocusedWindow()); }));
        EXPECT_EQ(CheckedOptions(form), detected) << "after the first focus";

        // The option group is one tab stop, at the selected option, or at Option1 while the
        // selection is the greyed Other; Tab goes between it and Save. An arrow key on Save
        // leaves the focus there: had it gone into the group, the Tab after it would reach Save.
        HWND groupStop = form.Options[c.Detected == 3 ? 0 : c.Detected];
        ASSERT_TRUE(program_->WaitForFocus(groupStop)) << "first focus on " << NameOf(form, program_->FocusedWindow());
        const std::vector<HWND> tabOrder{groupStop, form.Command1};
        for (int press = 0; press < 6; ++press) {
            HWND from = program_->FocusedWindow();
            const auto at = std::find(tabOrder.begin(), tabOrder.end(), from);
            ASSERT_NE(at, tabOrder.end()) << "focus on a control outside the Tab order";
            HWND next = tabOrder[(static_cast<std::size_t>(at - tabOrder.begin()) + 1) % tabOrder.size()];
            if (from == form.Command1) PostKey(from, VK_UP);
            PostKey(from, VK_TAB);
            ASSERT_TRUE(program_->WaitForFocus(next))
                << "Tab press " << press << " from " << NameOf(form, from) << " went to "
                << NameOf(form, program_->FocusedWindow()) << " instead of " << NameOf(form, next);
            EXPECT_EQ(CheckedOptions(form), detected) << "after Tab press " << press;
        }

        // Asking the window to move the focus (as the dialog manager would) selects nothing.
        PostMessageW(form.Window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(form.Options[0]), TRUE);
        ASSERT_TRUE(program_->WaitForFocus(form.Options[0]));
        EXPECT_EQ(CheckedOptions(form), detected) << "after WM_NEXTDLGCTL";

        // An arrow key is the user choosing: it selects the option it moves to, never Save and
        // never the greyed Option4.
        for (const ArrowPress& arrow : c.Arrows) {
            HWND from = program_->FocusedWindow();
            PostKey(from, arrow.Key);
            ASSERT_TRUE(program_->WaitForFocus(form.Options[arrow.Lands]))
                << ArrowName(arrow.Key) << " from " << NameOf(form, from) << " went to "
                << NameOf(form, program_->FocusedWindow());
            EXPECT_EQ(CheckedOptions(form), std::vector<int>{arrow.Lands})
                << "after " << ArrowName(arrow.Key) << " from " << NameOf(form, from);
        }

        HWND focus = program_->FocusedWindow();
        switch (c.End) {
            case Ending::CloseButton:
                PostMessageW(form.Window, WM_CLOSE, 0, 0);
                break;
            case Ending::EnterKey: {
                PostKey(focus, VK_RETURN);
                HWND box = program_->WaitForMessageBox();
                ASSERT_NE(box, nullptr) << "Enter did not save";
                ExpectSucceeded(box, form, 1, true);
                PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
                break;
            }
            case Ending::EscKey:
                PostKey(focus, VK_ESCAPE);
                break;
        }
        EXPECT_EQ(program_->WaitForExit(), 0u);
        EXPECT_EQ(HostsBytes(), c.After);
    }
}

TEST_F(Hostline, ClickingAnOptionLeavesExactlyOneSelectedAndOtherCannotBeChosen) {
    const Form1 form = StartOn("10.9.9.9 " + kHost + "\r\n");
    ASSERT_NE(form.Window, nullptr);
    ASSERT_EQ(CheckedOptions(form), std::vector<int>{3});

    PostMessageW(form.Options[1], BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return CheckedOptions(form) == std::vector<int>{1}; }))
        << "clicking Option2 clears Option4";

    // Space on the focused option is the keyboard's click.
    PostMessageW(form.Window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(form.Options[2]), TRUE);
    ASSERT_TRUE(program_->WaitForFocus(form.Options[2]));
    PostKey(form.Options[2], VK_SPACE);
    ASSERT_TRUE(WaitUntil([&] { return CheckedOptions(form) == std::vector<int>{2}; })) << "Space on Option3";

    // A click that reaches the greyed Option4 anyway is ignored. The Tab posted after it is
    // handled after it, so once the focus has moved the click has been too.
    PostMessageW(form.Options[3], BM_CLICK, 0, 0);
    HWND focus = program_->FocusedWindow();
    PostKey(focus, VK_TAB);
    ASSERT_TRUE(WaitUntil([&] { return program_->FocusedWindow() != focus; }));
    EXPECT_EQ(CheckedOptions(form), std::vector<int>{2});

    PostMessageW(form.Options[0], BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return CheckedOptions(form) == std::vector<int>{0}; }));

    PostMessageW(form.Window, WM_CLOSE, 0, 0);
    EXPECT_EQ(program_->WaitForExit(), 0u);
    EXPECT_EQ(HostsBytes(), "10.9.9.9 " + kHost + "\r\n") << "choosing without saving writes nothing";
}

// ---------------------------------------------------------------------------------------------
// Save: the file, the message, the disabled button, the end of the program.

enum class Press { Click, EnterKey, ClickTwiceAndEnter };

struct SaveCase {
    const char* Name;
    std::string Hosts;
    int Choose;  // option to click before saving, -1 to keep the detected one
    Press How;
    std::string Expected;
};

TEST_F(Hostline, SavingWritesTheChoiceTellsTheUserAndEnds) {
    const std::string header = "# \xD6\xD0\xCE\xC4\r\n127.0.0.1 localhost\r\n";  // GBK comment kept as bytes
    const SaveCase cases[] = {
        {"automatic removes the entry", header + Pinned(kLine1), 0, Press::Click, header},
        {"line 1 appended, Save by Enter", header, 1, Press::EnterKey, header + Pinned(kLine1)},
        {"line 2 replaces line 1", kLine1 + " " + kHost + "\n", 2, Press::Click, Pinned(kLine2)},
        {"the detected line saved again", header + Pinned(kLine2), -1, Press::Click, header + Pinned(kLine2)},
        {"line 1 replaces another address", "10.9.9.9 " + kHost + "\r\n", 1, Press::Click, Pinned(kLine1)},
        // Lines that map the host whatever its case, with other names kept; other hosts' lines stay.
        {"line 2 replaces the host in another case", kLine1 + " " + OtherCase(kHost) + "\r\n", 2, Press::Click,
         Pinned(kLine2)},
        {"line 2 keeps another host's line", "10.20.30.40 " + kHost + ".edgekey.net\r\n", 2, Press::Click,
         "10.20.30.40 " + kHost + ".edgekey.net\r\n" + Pinned(kLine2)},
        {"automatic keeps another host's line", "10.20.30.40 " + kHost + ".edgekey.net\r\n", 0, Press::Click,
         "10.20.30.40 " + kHost + ".edgekey.net\r\n"},
        {"line 2 keeps the other names", kLine1 + " " + kHost + " www.example.com\r\n", 2, Press::Click,
         kLine1 + " www.example.com\r\n" + Pinned(kLine2)},
        {"line 2 keeps a comment that names the host", "\t# " + kHost + " is pinned below\r\n" + kLine1 + " " + kHost,
         2, Press::Click, "\t# " + kHost + " is pinned below\r\n" + Pinned(kLine2)},
        {"line 2 replaces an entry with a comment", kLine1 + " " + kHost + "   # line 1\r\n", 2, Press::Click,
         Pinned(kLine2)},
        {"line 2 keeps a line with the host twice in one name", kLine1 + " " + kHost + kHost + "\r\n", 2,
         Press::Click, kLine1 + " " + kHost + kHost + "\r\n" + Pinned(kLine2)},
        {"a second press has no effect", header, 2, Press::ClickTwiceAndEnter, header + Pinned(kLine2)},
        // UTF-16 without a mark stays so, in its byte order.
        {"automatic on UTF-16 without a mark",
         Utf16WithoutMark("127.0.0.1 localhost\r\n" + kLine1 + " " + kHost + "\r\n"), 0, Press::Click,
         Utf16WithoutMark("127.0.0.1 localhost\r\n")},
        {"line 2 on UTF-16 big-endian without a mark", Utf16WithoutMark("# x\n" + kLine1 + " " + kHost, true), 2,
         Press::Click, Utf16WithoutMark("# x\r\n" + Pinned(kLine2), true)},
    };
    for (const SaveCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const Form1 form = StartOn(c.Hosts);
        ASSERT_NE(form.Window, nullptr);
        const ULONGLONG written = win32::LastWriteTime(HostsPath());
        const int saved = c.Choose >= 0 ? c.Choose : CheckedOptions(form).at(0);
        if (c.Choose >= 0) {
            PostMessageW(form.Options[c.Choose], BM_CLICK, 0, 0);
            ASSERT_TRUE(WaitUntil([&] { return CheckedOptions(form) == std::vector<int>{c.Choose}; }));
        }
        switch (c.How) {
            case Press::Click:
                PostMessageW(form.Command1, BM_CLICK, 0, 0);
                break;
            case Press::EnterKey:
                // Enter with the focus on an option button, not on Save: the default button's job.
                ASSERT_TRUE(WaitUntil([&] { return program_->FocusedWindow() == form.Options[c.Choose]; }));
                PostKey(form.Options[c.Choose], VK_RETURN);
                break;
            case Press::ClickTwiceAndEnter:
                PostMessageW(form.Command1, BM_CLICK, 0, 0);
                PostMessageW(form.Command1, BM_CLICK, 0, 0);
                PostKey(form.Options[c.Choose], VK_RETURN);
                break;
        }
        HWND box = program_->WaitForMessageBox();
        ASSERT_NE(box, nullptr) << "no message box after Save";
        EXPECT_FALSE(IsWindowEnabled(form.Command1)) << "Save stays disabled while the message shows";
        ExpectSucceeded(box, form, saved, c.Hosts != c.Expected);
        EXPECT_EQ(HostsBytes(), c.Expected);
        // A save that changes nothing writes nothing.
        if (c.Hosts == c.Expected) {
            EXPECT_EQ(win32::LastWriteTime(HostsPath()), written);
        }

        PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
        // A second save would show a second box instead of ending.
        EXPECT_EQ(program_->WaitForMessageBox(box), nullptr) << "a second message box: Save ran twice";
        EXPECT_EQ(program_->WaitForExit(), 0u);
        EXPECT_EQ(HostsBytes(), c.Expected);
    }
}

TEST_F(Hostline, SavingWhenOtherWasDetectedReportsSuccessAndLeavesTheFile) {
    const std::string hosts = "10.9.9.9 " + kHost + " # mine\r\n";
    const Form1 form = StartOn(hosts);
    ASSERT_NE(form.Window, nullptr);
    const ULONGLONG written = win32::LastWriteTime(HostsPath());
    HWND box = ClickSave(form);
    ASSERT_NE(box, nullptr);
    ExpectSucceeded(box, form, 3, false);
    EXPECT_EQ(PressOkAndWaitForExit(box), 0u);
    EXPECT_EQ(HostsBytes(), hosts);
    EXPECT_EQ(win32::LastWriteTime(HostsPath()), written);
}

// Another program holds the file past the retry: the user is told so, not sent to run the program
// as administrator. A close asked for while that message shows (taskkill, automation) neither
// takes it away nor turns the failed save into a success.
TEST_F(Hostline, AHeldFileIsToldAsHeldAndTheMessageOutlastsAClose) {
    const std::string hosts = "127.0.0.1 localhost\r\n";
    const Form1 form = StartOn(hosts);
    ASSERT_NE(form.Window, nullptr);
    win32::UniqueFile holder(CreateFileW(HostsPath().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(holder);
    PostMessageW(form.Options[1], BM_CLICK, 0, 0);
    HWND box = ClickSave(form);
    ASSERT_NE(box, nullptr);
    const MessageBoxContents contents = ReadMessageBox(box);
    EXPECT_EQ(contents.Title, kFailedTitle);
    EXPECT_NE(contents.Text.find(L"hosts \u6587\u4EF6\u6CA1\u6709\u88AB\u4FEE\u6539"), std::wstring::npos)
        << "says the file was not changed";                                           // hosts 文件没有被修改
    EXPECT_NE(contents.Text.find(L"\u53E6\u4E00\u4E2A\u7A0B\u5E8F\u5360\u7528"), std::wstring::npos)
        << "says another program holds it";                                           // 另一个程序占用
    EXPECT_EQ(contents.Text.find(L"\u6743\u9650\u4E0D\u8DB3"), std::wstring::npos) << "blames missing rights";  // 权限不足
    EXPECT_EQ(contents.Owner, form.Window);

    // The close and then a harmless mark on Option3 go to the same thread's queue in this order:
    // once the mark shows, the close has been handled too.
    PostMessageW(form.Window, WM_CLOSE, 0, 0);
    PostMessageW(form.Options[2], BM_SETCHECK, BST_CHECKED, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(form.Options[2]) || SendMessageW(form.Options[2], BM_GETCHECK, 0, 0); }));
    EXPECT_TRUE(IsWindowVisible(box)) << "the close took the message away";
    EXPECT_EQ(PressOkAndWaitForExit(box), 2u) << "a failed save ends with 2";
    holder.Reset();
    EXPECT_EQ(HostsBytes(), hosts);
}

// ---------------------------------------------------------------------------------------------
// A start without a readable hosts file: only the error, never the window.

struct StartFailureCase {
    const char* Name;
    bool Folder;        // a folder stands where the file should be
    const char* Hosts;  // else the file's bytes, or nullptr for no file at all
    std::vector<std::wstring> Says;
};

TEST_F(Hostline, AStartThatCannotReadTheHostsFileShowsWhyAndTheWayOutAndNoWindow) {
    const StartFailureCase cases[] = {
        {"no file", false, nullptr, {L"\u4E0D\u5B58\u5728", L" 2\uFF09", L"\u65B0\u5EFA"}},  // 不存在, code 2, 新建
        // 文件夹，而不是文件; 改名; 新建
        {"a folder in its place", true, nullptr,
         {L"\u6587\u4EF6\u5939\uFF0C\u800C\u4E0D\u662F\u6587\u4EF6", L"\u6539\u540D", L"\u65B0\u5EFA"}},
        // NULs of no known text: 空字符, 记事本, ANSI
        {"a file of no known text", false, "1.1.1.1 x\0\0\r\n\0", {L"\u7A7A\u5B57\u7B26", L"\u8BB0\u4E8B\u672C", L"ANSI"}},
    };
    for (const StartFailureCase& c : cases) {
        SCOPED_TRACE(c.Name);
        ASSERT_TRUE(DeleteFileW(HostsPath().c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND);
        if (c.Folder) {
            ASSERT_TRUE(CreateDirectoryW(HostsPath().c_str(), nullptr));
        }
        const std::string hosts = c.Hosts ? std::string(c.Hosts, 14) : "";
        if (c.Hosts) WriteHosts(hosts);
        RunningProgram program;
        ASSERT_TRUE(program.Started());
        HWND box = program.WaitForMessageBox();
        ASSERT_NE(box, nullptr) << "no error message";
        const MessageBoxContents contents = ReadMessageBox(box);
        // Titled as the program's window; the release test runs this against a build for another host.
        const std::size_t afterHost = contents.Title.size() - std::min(contents.Title.size(), kCaptionAfterHost.size());
        EXPECT_EQ(contents.Title.substr(afterHost), kCaptionAfterHost);
        EXPECT_NE(contents.Text.find(HostsPath()), std::wstring::npos) << "names the file";
        for (const std::wstring& words : c.Says) {
            EXPECT_NE(contents.Text.find(words), std::wstring::npos) << ::testing::PrintToString(contents.Text);
        }
        EXPECT_EQ(contents.Text.find(L"\u5B89\u5168\u8F6F\u4EF6"), std::wstring::npos) << "blames security software";
        EXPECT_EQ(contents.VisibleButtonIds, std::vector<int>{IDOK});
        EXPECT_TRUE(contents.ShowsIcon) << "an error shows the error icon";

        for (HWND window : TopLevelWindows(program.ProcessId(), L"")) {
            if (window != box && IsWindowVisible(window)) ADD_FAILURE() << "a visible window besides the error";
        }
        PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
        EXPECT_EQ(program.WaitForExit(), 1u);
        const DWORD attributes = GetFileAttributesW(HostsPath().c_str());
        if (c.Folder) {
            EXPECT_EQ(attributes, static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY)) << "the folder left as it was";
            RemoveDirectoryW(HostsPath().c_str());
        } else if (c.Hosts) {
            EXPECT_EQ(HostsBytes(), hosts);
        } else {
            EXPECT_EQ(attributes, INVALID_FILE_ATTRIBUTES) << "nothing created";
        }
    }
}

// ---------------------------------------------------------------------------------------------
// One copy at a time: a second start brings the first copy's window to the front and ends.

TEST_F(Hostline, ASecondStartBringsTheFirstCopyForwardAndEnds) {
    const Form1 form = StartOn("127.0.0.1 localhost\r\n");
    ASSERT_NE(form.Window, nullptr);
    PostMessageW(form.Options[1], BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return CheckedOptions(form) == std::vector<int>{1}; }));
    // Something else in front, as when the user goes back to the program's folder.
    HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, nullptr, nullptr,
                                 nullptr, nullptr);
    ASSERT_NE(other, nullptr);
    SetForegroundWindow(other);

    RunningProgram second;
    ASSERT_TRUE(second.Started());
    EXPECT_EQ(second.WaitForExit(), 4u) << "the second copy did not end";
    EXPECT_TRUE(TopLevelWindows(second.ProcessId(), L"HostlineForm1").empty()) << "the second copy showed a window";
    // Wine activates the window in its own thread's time, after the second copy may have ended.
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == form.Window; })) << "the first copy is not in front";
    DestroyWindow(other);

    EXPECT_EQ(CheckedOptions(form), std::vector<int>{1}) << "the first copy's choice is kept";
    PostMessageW(form.Window, WM_CLOSE, 0, 0);
    EXPECT_EQ(program_->WaitForExit(), 0u);
}

// What holds the one-copy name at a start: another program (a mutex of its own, or an object of
// another kind), after which the program starts all the same and a second start still finds it;
// or a copy without rights, which cannot save, and a second start with rights says so.
enum class Holder { Mutex, Event, CopyWithoutRights };

TEST_F(Hostline, ANameHeldElsewhereNeverEndsAStartUnseen) {
    const wchar_t* name = L"Local\\hostline-" HOSTLINE_SERVICE_HOST_W;
    for (const Holder holder : {Holder::Mutex, Holder::Event, Holder::CopyWithoutRights}) {
        SCOPED_TRACE(static_cast<int>(holder));
        const win32::UniqueHandle squatter(holder == Holder::Mutex   ? CreateMutexW(nullptr, TRUE, name)
                                           : holder == Holder::Event ? CreateEventW(nullptr, TRUE, FALSE, name)
                                                                     : nullptr);
        WriteHosts("127.0.0.1 localhost\r\n");
        program_ = std::make_unique<RunningProgram>(ProgramPath(), holder == Holder::CopyWithoutRights);
        HWND form = program_->WaitForForm();
        ASSERT_NE(form, nullptr) << "the start ended unseen";

        RunningProgram second;
        HWND box = second.WaitForMessageBox();
        if (holder == Holder::CopyWithoutRights) {
            ASSERT_NE(box, nullptr) << "handed over to a copy that cannot save";
            const MessageBoxContents contents = ReadMessageBox(box);
            EXPECT_EQ(contents.Title, kCaption);
            // 管理员权限, 关闭, 用户帐户控制: why, and what to do
            for (const wchar_t* words : {L"\u7BA1\u7406\u5458\u6743\u9650", L"\u5173\u95ED",
                                         L"\u7528\u6237\u5E10\u6237\u63A7\u5236"})
                EXPECT_NE(contents.Text.find(words), std::wstring::npos) << ::testing::PrintToString(contents.Text);
            PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
        } else {
            EXPECT_EQ(box, nullptr);
        }
        EXPECT_EQ(second.WaitForExit(), 4u) << "a second copy runs";
        EXPECT_TRUE(TopLevelWindows(second.ProcessId(), L"HostlineForm1").empty());
        PostMessageW(form, WM_CLOSE, 0, 0);
        EXPECT_EQ(program_->WaitForExit(), 0u);
    }
}

}  // namespace
}  // namespace hostline::e2e
