// The built executable's resources, read through the same Windows API that Explorer and the
// loader use: the version record, the icon group and the embedded manifest. The file is opened
// as data only, so a 64-bit driver can check the 32-bit program too.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "hostline_driver.h"
#include "version.h"

namespace hostline::e2e {
namespace {

std::vector<BYTE> VersionRecord() {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(ProgramPath().c_str(), &ignored);
    std::vector<BYTE> record(size);
    if (size == 0 || !GetFileVersionInfoW(ProgramPath().c_str(), 0, size, record.data())) record.clear();
    return record;
}

std::wstring VersionString(std::vector<BYTE>& record, const std::wstring& name) {
    void* value = nullptr;
    UINT length = 0;
    const std::wstring query = L"\\StringFileInfo\\080404b0\\" + name;
    if (!VerQueryValueW(record.data(), query.c_str(), &value, &length) || length == 0) return L"<missing>";
    return static_cast<const wchar_t*>(value);
}

// The build's version, as project(VERSION) sets it: the four numbers, and the text with the two-digit
// minor of earlier releases ("2.00" for 2.0).
constexpr WORD kVersion[] = {HOSTLINE_VERSION_FIXED};
static_assert(kVersion[0] == HOSTLINE_VERSION_MAJOR && kVersion[1] == HOSTLINE_VERSION_MINOR);

std::wstring VersionText() {
    const std::wstring minor = std::to_wstring(HOSTLINE_VERSION_MINOR);
    return std::to_wstring(HOSTLINE_VERSION_MAJOR) + L"." + (minor.size() < 2 ? L"0" : L"") + minor;
}

TEST(Resources, VersionRecordCarriesTheBuildsVersionInSimplifiedChinese) {
    std::vector<BYTE> record = VersionRecord();
    ASSERT_FALSE(record.empty()) << "no version record, error " << GetLastError();

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(record.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    const DWORD high = MAKELONG(kVersion[1], kVersion[0]), low = MAKELONG(kVersion[3], kVersion[2]);
    EXPECT_EQ(fixed->dwFileVersionMS, high);
    EXPECT_EQ(fixed->dwFileVersionLS, low);
    EXPECT_EQ(fixed->dwProductVersionMS, high);
    EXPECT_EQ(fixed->dwProductVersionLS, low);
    EXPECT_TRUE(fixed->dwFileOS == VOS_NT_WINDOWS32 || fixed->dwFileOS == VOS__WINDOWS32) << fixed->dwFileOS;
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueW(record.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                               &length));
    ASSERT_EQ(length, 4u) << "exactly one language";
    EXPECT_EQ(translation[0], 0x0804);
    EXPECT_EQ(translation[1], 1200);

    EXPECT_EQ(VersionString(record, L"FileVersion"), VersionText());
    EXPECT_EQ(VersionString(record, L"ProductVersion"), VersionText());
    EXPECT_EQ(VersionString(record, L"OriginalFilename"), L"hostline.exe");
    // Chinese survives the resource compiler: the .rc is UTF-8.
    EXPECT_EQ(VersionString(record, L"FileDescription"), L"\u7EBF\u8DEF\u9009\u62E9\u5668");
    for (const wchar_t* name : {L"CompanyName", L"InternalName", L"ProductName", L"LegalCopyright"}) {
        const std::wstring value = VersionString(record, name);
        EXPECT_NE(value, L"<missing>") << name;
    }
}

class ProgramResources : public ::testing::Test {
protected:
    void SetUp() override {
        module_ = LoadLibraryExW(ProgramPath().c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_NE(module_, nullptr) << "error " << GetLastError();
    }
    void TearDown() override {
        if (module_) FreeLibrary(module_);
    }

    // The bytes of one resource, empty when it is not there.
    std::string Bytes(const wchar_t* type, const wchar_t* name, WORD language) const {
        HRSRC found = FindResourceExW(module_, type, name, language);
        if (!found) return {};
        HGLOBAL loaded = LoadResource(module_, found);
        const void* data = loaded ? LockResource(loaded) : nullptr;
        return data ? std::string(static_cast<const char*>(data), SizeofResource(module_, found)) : std::string();
    }

    HMODULE module_ = nullptr;
};

BOOL CALLBACK CollectName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR names) {
    if (IS_INTRESOURCE(name))
        reinterpret_cast<std::vector<ULONG_PTR>*>(names)->push_back(reinterpret_cast<ULONG_PTR>(name));
    else
        reinterpret_cast<std::vector<ULONG_PTR>*>(names)->push_back(~ULONG_PTR{0});
    return TRUE;
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR languages) {
    reinterpret_cast<std::vector<WORD>*>(languages)->push_back(language);
    return TRUE;
}

#pragma pack(push, 2)
struct GroupIconHeader {
    WORD Reserved, Type, Count;
};
struct GroupIconEntry {
    BYTE Width, Height, ColorCount, Reserved;
    WORD Planes, BitCount;
    DWORD BytesInRes;
    WORD Id;
};
#pragma pack(pop)

// Each resource in exactly one language: the version record in Chinese (PRC), the language of the
// program's users, and the icon group and the manifest neutral, for every system to find.
TEST_F(ProgramResources, EachResourceInItsOneLanguage) {
    const WORD neutral = MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL);
    const struct {
        const char* name;
        const wchar_t* type;
        WORD language;
    } resources[] = {
        {"version record", RT_VERSION, MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED)},
        {"icon group", RT_GROUP_ICON, neutral},
        {"manifest", RT_MANIFEST, neutral},
    };
    for (const auto& resource : resources) {
        std::vector<WORD> languages;
        EnumResourceLanguagesW(module_, resource.type, MAKEINTRESOURCEW(1), &CollectLanguage,
                               reinterpret_cast<LONG_PTR>(&languages));
        EXPECT_EQ(languages, std::vector<WORD>{resource.language}) << resource.name << ", id 1";
    }
}

TEST_F(ProgramResources, OneIconOf48PixelsWith256Colours) {
    std::vector<ULONG_PTR> groups;
    EnumResourceNamesW(module_, RT_GROUP_ICON, &CollectName, reinterpret_cast<LONG_PTR>(&groups));
    ASSERT_EQ(groups, std::vector<ULONG_PTR>{1}) << "one icon group, id 1";

    const std::string group = Bytes(RT_GROUP_ICON, MAKEINTRESOURCEW(1), MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
    ASSERT_EQ(group.size(), sizeof(GroupIconHeader) + sizeof(GroupIconEntry));
    GroupIconHeader header{};
    GroupIconEntry entry{};
    memcpy(&header, group.data(), sizeof header);
    memcpy(&entry, group.data() + sizeof header, sizeof entry);
    EXPECT_EQ(header.Type, 1);
    EXPECT_EQ(header.Count, 1);
    EXPECT_EQ(entry.Width, 48);
    EXPECT_EQ(entry.Height, 48);
    EXPECT_EQ(entry.BitCount, 8);
    EXPECT_EQ(entry.Planes, 1);

    // The image itself: a DIB with the colour bitmap and the mask stacked, hence twice as high.
    const std::string image = Bytes(RT_ICON, MAKEINTRESOURCEW(entry.Id), MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
    ASSERT_GE(image.size(), sizeof(BITMAPINFOHEADER));
    EXPECT_EQ(image.size(), entry.BytesInRes);
    BITMAPINFOHEADER bitmap{};
    memcpy(&bitmap, image.data(), sizeof bitmap);
    EXPECT_EQ(bitmap.biWidth, 48);
    EXPECT_EQ(bitmap.biHeight, 96);
    EXPECT_EQ(bitmap.biBitCount, 8);
    EXPECT_TRUE(bitmap.biClrUsed == 0 || bitmap.biClrUsed == 256);
}

TEST_F(ProgramResources, ManifestAsksForAdministratorRightsAndDeclaresSystemDpiAwareness) {
    const std::string manifest = Bytes(RT_MANIFEST, MAKEINTRESOURCEW(1), MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
    ASSERT_FALSE(manifest.empty()) << "a language-neutral manifest, id 1";
    // Wine gives every program an elevated token, so only the manifest shows what Windows will ask.
    EXPECT_NE(manifest.find("level=\"requireAdministrator\""), std::string::npos);
    EXPECT_NE(manifest.find("uiAccess=\"false\""), std::string::npos);
    EXPECT_NE(manifest.find(">true</dpiAware>"), std::string::npos);
    std::size_t supported = 0;
    for (std::size_t at = manifest.find("<supportedOS"); at != std::string::npos;
         at = manifest.find("<supportedOS", at + 1))
        ++supported;
    EXPECT_EQ(supported, 5u) << "Vista, 7, 8, 8.1, 10";
}

}  // namespace
}  // namespace hostline::e2e
