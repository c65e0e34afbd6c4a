// What tells this program's windows apart from every other's: the caption users read at the top of
// its window and of its start-up messages, and the window class another copy looks for.
#pragma once

#include "hostline_constants.h"
#include "version.h"

namespace hostline::window {

// <host>线路选择器 2.0
inline constexpr wchar_t kCaption[] =
    HOSTLINE_SERVICE_HOST_W L"\u7EBF\u8DEF\u9009\u62E9\u5668 " HOSTLINE_VERSION_CAPTION_W;

inline constexpr wchar_t kWindowClass[] = L"HostlineForm1";

// One copy at a time for each host: copies built for other hosts edit other lines.
inline constexpr wchar_t kOneCopyName[] = L"Local\\hostline-" HOSTLINE_SERVICE_HOST_W;

}  // namespace hostline::window
