// The program's version, in the one place both the code (the caption) and the version record
// in hostline.rc read it from. Plain macros only: the resource compiler reads this file too.
#pragma once

#define HOSTLINE_VERSION_MAJOR 2
#define HOSTLINE_VERSION_MINOR 0
// The four numbers of the record's fixed part, in the resource compiler's comma form.
#define HOSTLINE_VERSION_FIXED 2, 0, 0, 0
// The record's FileVersion and ProductVersion strings keep the two-digit minor of earlier
// releases, which users quote when they report problems.
#define HOSTLINE_VERSION_TEXT "2.00"
// The caption shows the short form.
#define HOSTLINE_VERSION_CAPTION_W L"2.0"

#define HOSTLINE_EXE_NAME "hostline.exe"

// Resource ids shared by the .rc and the window code.
#define HOSTLINE_ICON_ID 1
