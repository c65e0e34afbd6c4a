// The 32-bit program's PE load configuration, for MinGW builds (MSVC's runtime brings its own, and
// its linker sets the same flag from /DEPENDENTLOADFLAG). Its one setting, DependentLoadFlags,
// has Windows 10 1607 and later search System32 alone for the DLLs the loader brings in before
// the program's first instruction, which RestrictDllSearch comes too late for.
//
// The layout is IMAGE_LOAD_CONFIG_DIRECTORY32 as the Windows SDK 10.0.26100 defines it: MinGW's
// winnt.h stops at SEHandlerCount and calls DependentLoadFlags Reserved1. A loader reads only the
// fields that Size covers, so the older systems skip what they do not know. GNU ld links the
// structure but leaves the header's entry for it empty; cmake/set_load_config.pl fills that in.
#include <windows.h>

#include <cstddef>

namespace hostline::startup {

struct LoadConfigCodeIntegrity {
    WORD Flags;
    WORD Catalog;
    DWORD CatalogOffset;
    DWORD Reserved;
};

struct LoadConfigDirectory32 {
    DWORD Size;
    DWORD TimeDateStamp;
    WORD MajorVersion;
    WORD MinorVersion;
    DWORD GlobalFlagsClear;
    DWORD GlobalFlagsSet;
    DWORD CriticalSectionDefaultTimeout;
    DWORD DeCommitFreeBlockThreshold;
    DWORD DeCommitTotalFreeThreshold;
    DWORD LockPrefixTable;
    DWORD MaximumAllocationSize;
    DWORD VirtualMemoryThreshold;
    DWORD ProcessHeapFlags;
    DWORD ProcessAffinityMask;
    WORD CSDVersion;
    WORD DependentLoadFlags;
    DWORD EditList;
    DWORD SecurityCookie;
    DWORD SEHandlerTable;
    DWORD SEHandlerCount;
    DWORD GuardCFCheckFunctionPointer;
    DWORD GuardCFDispatchFunctionPointer;
    DWORD GuardCFFunctionTable;
    DWORD GuardCFFunctionCount;
    DWORD GuardFlags;
    LoadConfigCodeIntegrity CodeIntegrity;
    DWORD GuardAddressTakenIatEntryTable;
    DWORD GuardAddressTakenIatEntryCount;
    DWORD GuardLongJumpTargetTable;
    DWORD GuardLongJumpTargetCount;
    DWORD DynamicValueRelocTable;
    DWORD CHPEMetadataPointer;
    DWORD GuardRFFailureRoutine;
    DWORD GuardRFFailureRoutineFunctionPointer;
    DWORD DynamicValueRelocTableOffset;
    WORD DynamicValueRelocTableSection;
    WORD Reserved2;
    DWORD GuardRFVerifyStackPointerFunctionPointer;
    DWORD HotPatchTableOffset;
    DWORD Reserved3;
    DWORD EnclaveConfigurationPointer;
    DWORD VolatileMetadataPointer;
    DWORD GuardEHContinuationTable;
    DWORD GuardEHContinuationCount;
    DWORD GuardXFGCheckFunctionPointer;
    DWORD GuardXFGDispatchFunctionPointer;
    DWORD GuardXFGTableDispatchFunctionPointer;
    DWORD CastGuardOsDeterminedFailureMode;
    DWORD GuardMemcpyFunctionPointer;
    DWORD UmaFunctionPointers;
};

static_assert(sizeof(LoadConfigDirectory32) == 196, "the SDK's size for 32-bit images");
static_assert(offsetof(LoadConfigDirectory32, DependentLoadFlags) == 0x36, "where the loader reads it");
static_assert(offsetof(LoadConfigDirectory32, GuardFlags) == 0x58, "the SDK's layout");
static_assert(offsetof(LoadConfigDirectory32, UmaFunctionPointers) == 0xC0, "the SDK's layout");

constexpr LoadConfigDirectory32 MakeLoadConfig() {
    // Everything else zero: no security cookie, no SafeSEH table, no Control Flow Guard.
    LoadConfigDirectory32 config{};
    config.Size = sizeof config;
    config.DependentLoadFlags = LOAD_LIBRARY_SEARCH_SYSTEM32;
    return config;
}

}  // namespace hostline::startup

// The name that linkers point the header's entry at. Nothing in the program refers to it, so the
// link keeps it with --undefined.
extern "C" const hostline::startup::LoadConfigDirectory32 _load_config_used = hostline::startup::MakeLoadConfig();
