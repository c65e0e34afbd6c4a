#include "hosts_location.h"

namespace hostline {

namespace {

bool IsLetter(wchar_t c) {
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

bool IsAbsolute(std::wstring_view path) {
    const bool drive = path.size() >= 3 && IsLetter(path[0]) && path[1] == L':' && path[2] == L'\\';
    const bool unc = path.size() >= 3 && path[0] == L'\\' && path[1] == L'\\' && path[2] != L'\\';
    return drive || unc;
}

}  // namespace

std::wstring HostsPathUnder(std::wstring_view systemDirectory) {
    if (!IsAbsolute(systemDirectory)) return {};
    return std::wstring(systemDirectory) + L"\\drivers\\etc\\hosts";
}

}  // namespace hostline
