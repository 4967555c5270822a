#include "remote_caller.h"

// tlhelp32.h needs windows.h first.
#include <tlhelp32.h>

#include <cstddef>
#include <cstring>
#include <memory>

#include "run_clock.h"

namespace ui_driver {

RemoteCaller g_remote;

namespace {

constexpr DWORD kRemoteTimeoutMs = 2000;  // bound for a remote query thread

// Only a GCC or Clang build lays the routine out as the copy needs (remote_query.cpp). With
// MSVC, menus are read directly only and base units come from the dialog font.
#if defined(__GNUC__) && !defined(_MSC_VER)
constexpr bool kBuildCanInject = true;
#else
constexpr bool kBuildCanInject = false;
#endif

std::unique_ptr<RemoteBlock> g_block;

}  // namespace

void RemoteCaller::Reset(HANDLE process, DWORD pid, bool allowInject) {
    process_ = process;
    pid_ = pid;
    allowInject_ = allowInject;
}

bool RemoteCaller::Run(RemoteBlock& block) {
    if (!Setup()) return false;
    FillFunctions(block, remoteFns_);
    block.status = kStNotRun;
    const SIZE_T header = offsetof(RemoteBlock, items);
    SIZE_T done = 0;
    if (!WriteProcessMemory(process_, remoteBlock_, &block, header, &done) || done != header) {
        Verbose("remote: WriteProcessMemory failed (%lu)", GetLastError());
        return false;
    }
    HANDLE thread = CreateRemoteThread(process_, nullptr, 0, reinterpret_cast<LPTHREAD_START_ROUTINE>(remoteCode_),
                                       remoteBlock_, 0, nullptr);
    if (!thread) {
        Verbose("remote: CreateRemoteThread failed (%lu)", GetLastError());
        return false;
    }
    DWORD wait = WaitForSingleObject(thread, Bounded(kRemoteTimeoutMs));
    CloseHandle(thread);
    if (wait != WAIT_OBJECT_0) {
        broken_ = true;
        Verbose("remote: query thread did not finish in time");
        return false;
    }
    if (!ReadProcessMemory(process_, remoteBlock_, &block, header, &done) || done != header) {
        Verbose("remote: ReadProcessMemory failed (%lu)", GetLastError());
        return false;
    }
    if (block.count > 0 && block.count <= kRemoteMaxItems) {
        SIZE_T itemsSize = sizeof(RemoteMenuItem) * static_cast<SIZE_T>(block.count);
        if (!ReadProcessMemory(process_, static_cast<char*>(remoteBlock_) + header, block.items, itemsSize, &done) ||
            done != itemsSize) {
            Verbose("remote: ReadProcessMemory of items failed (%lu)", GetLastError());
            return false;
        }
    }
    return block.status != kStNotRun;
}

void RemoteCaller::FillFunctions(RemoteBlock& block, const uint64_t* fns) {
    block.fnGetMenu = fns[0];
    block.fnGetSystemMenu = fns[1];
    block.fnGetMenuItemCount = fns[2];
    block.fnGetMenuItemInfoW = fns[3];
    block.fnMapDialogRect = fns[4];
}

bool RemoteCaller::LocalFunctions(uint64_t* fns) {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    if (!user32) return false;
    const char* names[5] = {"GetMenu", "GetSystemMenu", "GetMenuItemCount", "GetMenuItemInfoW", "MapDialogRect"};
    for (int i = 0; i < 5; ++i) {
        FARPROC p = GetProcAddress(user32, names[i]);
        if (!p) return false;
        fns[i] = reinterpret_cast<uintptr_t>(p);
    }
    return true;
}

bool RemoteCaller::Setup() {
    if (ready_) return !broken_;
    if (tried_) return false;
    tried_ = true;
    if (!kBuildCanInject) {
        Verbose("remote: not supported by this build");
        return false;
    }
    if (!allowInject_) {
        Verbose("remote: disabled by --no-inject");
        return false;
    }
    BOOL selfWow = FALSE, childWow = FALSE;
    IsWow64Process(GetCurrentProcess(), &selfWow);
    IsWow64Process(process_, &childWow);
    if (selfWow != childWow) {
        Verbose("remote: program under test has a different bitness");
        return false;
    }
    const unsigned char* begin = reinterpret_cast<const unsigned char*>(&UiDriverRemoteQuery);
    const unsigned char* end = reinterpret_cast<const unsigned char*>(&UiDriverRemoteQueryEnd);
    if (end <= begin || end - begin > 16384) {
        Verbose("remote: cannot determine the routine size");
        return false;
    }
    SIZE_T codeSize = static_cast<SIZE_T>(end - begin);
    uint64_t localFns[5];
    if (!LocalFunctions(localFns)) return false;
    uintptr_t localBase = reinterpret_cast<uintptr_t>(GetModuleHandleW(L"user32.dll"));
    uintptr_t remoteBase = RemoteModuleBase(L"user32.dll");
    if (!remoteBase) {
        Verbose("remote: user32.dll not found in the program under test");
        return false;
    }
    for (int i = 0; i < 5; ++i) remoteFns_[i] = localFns[i] - localBase + remoteBase;
    SIZE_T codeAlloc = (codeSize + 63) & ~static_cast<SIZE_T>(63);
    void* mem = VirtualAllocEx(process_, nullptr, codeAlloc + sizeof(RemoteBlock), MEM_COMMIT | MEM_RESERVE,
                               PAGE_EXECUTE_READWRITE);
    if (!mem) {
        Verbose("remote: VirtualAllocEx failed (%lu)", GetLastError());
        return false;
    }
    SIZE_T done = 0;
    if (!WriteProcessMemory(process_, mem, begin, codeSize, &done) || done != codeSize) {
        Verbose("remote: writing the routine failed (%lu)", GetLastError());
        VirtualFreeEx(process_, mem, 0, MEM_RELEASE);
        return false;
    }
    FlushInstructionCache(process_, mem, codeSize);
    remoteCode_ = mem;
    remoteBlock_ = static_cast<char*>(mem) + codeAlloc;
    ready_ = true;
    Verbose("remote: routine of %lu bytes placed in the program under test", static_cast<unsigned long>(codeSize));
    return true;
}

uintptr_t RemoteCaller::RemoteModuleBase(const wchar_t* name) {
    HANDLE snap = INVALID_HANDLE_VALUE;
    // The snapshot can fail transiently while the process is loading modules.
    for (int attempt = 0; attempt < 5 && snap == INVALID_HANDLE_VALUE; ++attempt) {
        snap = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE | TH32CS_SNAPMODULE32, pid_);
        if (snap == INVALID_HANDLE_VALUE) Sleep(20);
    }
    if (snap == INVALID_HANDLE_VALUE) return 0;
    uintptr_t base = 0;
    MODULEENTRY32W me;
    me.dwSize = sizeof me;
    for (BOOL ok = Module32FirstW(snap, &me); ok; ok = Module32NextW(snap, &me)) {
        if (lstrcmpiW(me.szModule, name) == 0) {
            base = reinterpret_cast<uintptr_t>(me.modBaseAddr);
            break;
        }
    }
    CloseHandle(snap);
    return base;
}

RemoteBlock& FreshBlock(int op, HWND hwnd) {
    if (!g_block) g_block.reset(new RemoteBlock());
    RemoteBlock& b = *g_block;
    std::memset(&b, 0, offsetof(RemoteBlock, items));
    b.op = op;
    b.hwnd = reinterpret_cast<uintptr_t>(hwnd);
    b.miiSize = sizeof(MENUITEMINFOW);
    b.miiMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
    b.textChars = kRemoteTextChars;
    b.maxItems = kRemoteMaxItems;
    b.maxDepth = kRemoteMaxDepth;
    b.rect.right = 4;
    b.rect.bottom = 8;
    return b;
}

}  // namespace ui_driver
