// ui_driver.cpp - UI driver for end-to-end tests of the program under test.
//
// Starts the program under test, watches its visible top-level dialogs (class "#32770"),
// records what they show and acts on them as a script says.  The records file is meant to be
// read by the test harness (pytest under Wine on Linux, or natively on Windows).
//
// Usage:
//   ui_driver.exe --out RECORDS_FILE --timeout SECONDS [--script SCRIPT_FILE] [--cwd DIR]
//                 --cmdline CMDLINE_FILE [--utf8] [--no-inject] [--verbose]
//
// See README.md next to this file for the script and record formats.
//
// Design notes:
// * Nothing here may block on the UI thread of the program under test: window text is read with
//   InternalGetWindowText (no message is sent), and every message that must be sent goes through
//   SendMessageTimeout with a bound.  Once a send to a thread times out, the rest of the current
//   dump/action skips further sends to that thread.
// * Menus and dialog base units live in the program under test.  Menus are first read directly
//   (works on Windows, where menus are kernel objects); if that fails (Wine keeps menus per
//   process), a small position-independent routine is copied into the program under test and run
//   there with CreateRemoteThread.  It only reads (GetMenu, GetSystemMenu(hwnd, FALSE),
//   GetMenuItemCount, GetMenuItemInfoW, MapDialogRect) and writes into a buffer the driver
//   allocated.  --no-inject turns this off.

#if !defined(_WIN32_WINNT) || _WIN32_WINNT < 0x0601
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0601
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// tlhelp32.h needs windows.h first.
#include <tlhelp32.h>

#include <algorithm>
#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// Exported by user32 on every supported Windows and on Wine; declared here in case the SDK
// headers in use do not declare it.
extern "C" __declspec(dllimport) int WINAPI InternalGetWindowText(HWND hWnd, LPWSTR pString, int cchMaxCount);

namespace {

// ---------------------------------------------------------------------------------------------
// Constants

constexpr int kExitChildExited = 0;
constexpr int kExitUsage = 2;
constexpr int kExitTimeout = 3;
constexpr int kExitStartFailed = 4;

constexpr DWORD kPollMs = 50;             // window polling period
constexpr DWORD kSettleMs = 150;          // a dialog must be visible this long before it is handled
constexpr DWORD kAfterPostMs = 100;       // pause after each posting action
constexpr DWORD kSendTimeoutMs = 1000;    // bound for each SendMessageTimeout
constexpr DWORD kRemoteTimeoutMs = 2000;  // bound for a remote query thread
constexpr DWORD kTimeoutGraceMs = 4000;   // extra time allowed for the final dump after TIMEOUT
constexpr DWORD kKillWaitMs = 5000;       // wait for the child to die after TerminateProcess
constexpr int kMaxChildren = 4096;        // bound on controls dumped per window
constexpr int kMaxListItems = 10000;      // bound on combo/list items dumped per control
constexpr int kTextBufChars = 32768;

const char kUsage[] =
    "usage: ui_driver.exe --out RECORDS_FILE --timeout SECONDS [--script SCRIPT_FILE] [--cwd DIR]\n"
    "                     --cmdline CMDLINE_FILE [--utf8] [--no-inject] [--verbose]\n"
    "exit codes: 0 program exited, 2 bad usage, 3 timeout (program killed), 4 program could not start\n";

// ---------------------------------------------------------------------------------------------
// Time, logging, text conversion

ULONGLONG g_start = 0;
ULONGLONG g_deadline = 0;   // the run ends (TIMEOUT) at this tick count
ULONGLONG g_hardLimit = 0;  // no wait may go past this (== g_deadline until the final dump)
bool g_verbose = false;
bool g_allowInject = true;
UINT g_codePage = CP_ACP;
HANDLE g_child = nullptr;

ULONGLONG Now() {
    return GetTickCount64();
}

DWORD RemainingMs() {
    ULONGLONG now = Now();
    if (now >= g_hardLimit) return 0;
    ULONGLONG left = g_hardLimit - now;
    return left > 0x7FFFFFFFull ? 0x7FFFFFFF : static_cast<DWORD>(left);
}

DWORD Bounded(DWORD ms) {
    DWORD left = RemainingMs();
    return ms < left ? ms : left;
}

void Verbose(const char* fmt, ...) {
    if (!g_verbose) return;
    ULONGLONG now = Now();
    std::fprintf(stderr, "[ui_driver %6llu ms, tick %llu] ", static_cast<unsigned long long>(now - g_start),
                 static_cast<unsigned long long>(now));
    va_list ap;
    va_start(ap, fmt);
    std::vfprintf(stderr, fmt, ap);
    va_end(ap);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

std::string Narrow(const std::wstring& w) {
    if (w.empty()) return std::string();
    int n = WideCharToMultiByte(g_codePage, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    if (n <= 0) return std::string();
    std::string s(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(g_codePage, 0, w.data(), static_cast<int>(w.size()), &s[0], n, nullptr, nullptr);
    return s;
}

std::wstring Widen(const std::string& s) {
    if (s.empty()) return std::wstring();
    int n = MultiByteToWideChar(g_codePage, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    if (n <= 0) return std::wstring();
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(g_codePage, 0, s.data(), static_cast<int>(s.size()), &w[0], n);
    return w;
}

std::string Escape(const std::string& s) {
    std::string out;
    out.reserve(s.size());
    for (char c : s) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\n':
                out += "\\n";
                break;
            default:
                out += c;
                break;
        }
    }
    return out;
}

std::string Unescape(const std::string& s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size()) {
            char n = s[i + 1];
            if (n == 'n') {
                out += '\n';
                ++i;
                continue;
            }
            if (n == 'r') {
                out += '\r';
                ++i;
                continue;
            }
            if (n == 't') {
                out += '\t';
                ++i;
                continue;
            }
            if (n == '\\') {
                out += '\\';
                ++i;
                continue;
            }
        }
        out += s[i];
    }
    return out;
}

std::string Hex32(DWORD v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08lX", static_cast<unsigned long>(v));
    return buf;
}

std::string Int(long long v) {
    return std::to_string(v);
}

// Accepts an optional sign and decimal digits, or 0x-prefixed hex.
bool ParseInt(const std::string& s, long long& value) {
    if (s.empty()) return false;
    size_t i = 0;
    bool neg = false;
    if (s[i] == '-' || s[i] == '+') {
        neg = s[i] == '-';
        ++i;
    }
    int base = 10;
    if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= s.size()) return false;
    long long v = 0;
    for (; i < s.size(); ++i) {
        int d;
        char c = s[i];
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            return false;
        v = v * base + d;
        if (v > 0xFFFFFFFFll) return false;
    }
    value = neg ? -v : v;
    return true;
}

bool ReadWholeFile(const std::string& path, std::string& data) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    data.clear();
    char buf[65536];
    bool ok = true;
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(h, buf, sizeof buf, &got, nullptr)) {
            ok = false;
            break;
        }
        if (got == 0) break;
        data.append(buf, got);
        if (data.size() > (16u << 20)) {
            ok = false;
            break;
        }
    }
    CloseHandle(h);
    return ok;
}

// ---------------------------------------------------------------------------------------------
// Records file: one record per line, written with a single unbuffered WriteFile each so a test
// harness polling the file sees whole records as soon as they are written.

class Records {
public:
    bool Open(const std::string& path) {
        file_ = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        return file_ != INVALID_HANDLE_VALUE;
    }

    // Every field is escaped; numeric fields are unaffected by escaping.
    void Write(const std::vector<std::string>& fields) {
        std::string line;
        for (size_t i = 0; i < fields.size(); ++i) {
            if (i) line += '\t';
            line += Escape(fields[i]);
        }
        line += '\n';
        if (g_verbose) Verbose("record: %s", line.substr(0, line.size() - 1).c_str());
        if (file_ == INVALID_HANDLE_VALUE) return;
        DWORD written = 0;
        WriteFile(file_, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    }

    void Close() {
        if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
        file_ = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE file_ = INVALID_HANDLE_VALUE;
};

Records g_records;

// ---------------------------------------------------------------------------------------------
// Remote queries inside the program under test.
//
// UiDriverRemoteQuery must be position independent: it reaches every API through pointers in the
// block, takes every non-trivial constant from the block, uses no globals, literals, switch tables
// or helper calls, and keeps only small locals.  It is compiled without optimisation (so no
// constant pools or vector constants appear) and placed in its own sorted section so that
// UiDriverRemoteQueryEnd follows it and gives its size.

constexpr int kRemoteMaxDepth = 16;
constexpr int kRemoteMaxItems = 512;
constexpr int kRemoteTextChars = 128;

enum RemoteOp : int32_t { kOpMenuBar = 1, kOpSystemMenu = 2, kOpBaseUnits = 3 };
enum RemoteStatus : int32_t { kStNotRun = 0, kStOk = 1, kStNoMenu = 2, kStFailed = 3 };

struct RemoteMenuItem {
    int32_t depth;
    int32_t ok;
    uint32_t type;
    uint32_t state;
    uint32_t id;
    int32_t hasSubmenu;
    wchar_t text[kRemoteTextChars];
};

struct RemoteBlock {
    uint64_t fnGetMenu;
    uint64_t fnGetSystemMenu;
    uint64_t fnGetMenuItemCount;
    uint64_t fnGetMenuItemInfoW;
    uint64_t fnMapDialogRect;
    uint64_t hwnd;
    int32_t op;
    int32_t status;
    int32_t count;
    int32_t truncated;
    // Constants come from the driver so the routine needs no constant data of its own.
    uint32_t miiSize;
    uint32_t miiMask;
    uint32_t textChars;
    int32_t maxItems;
    int32_t maxDepth;
    RECT rect;  // in: 0,0,4,8; out: mapped by MapDialogRect
    MENUITEMINFOW mii;
    uint64_t stackMenu[kRemoteMaxDepth];
    int32_t stackIndex[kRemoteMaxDepth];
    int32_t stackCount[kRemoteMaxDepth];
    RemoteMenuItem items[kRemoteMaxItems];
};

typedef HMENU(WINAPI* GetMenuFn)(HWND);
typedef HMENU(WINAPI* GetSystemMenuFn)(HWND, BOOL);
typedef int(WINAPI* GetMenuItemCountFn)(HMENU);
typedef BOOL(WINAPI* GetMenuItemInfoWFn)(HMENU, UINT, BOOL, LPMENUITEMINFOW);
typedef BOOL(WINAPI* MapDialogRectFn)(HWND, LPRECT);

}  // namespace

#if defined(__GNUC__) && !defined(_MSC_VER)
#define UIDRV_CAN_INJECT 1
#if defined(__clang__)
#define UIDRV_REMOTE_ATTRS __attribute__((section(".text$uidrv_a"), noinline, optnone, used, no_instrument_function))
#define UIDRV_REMOTE_END_ATTRS __attribute__((section(".text$uidrv_b"), noinline, optnone, used))
#else
#if defined(__x86_64__) || defined(__i386__)
#define UIDRV_X86_ATTRS indirect_branch("keep"), function_return("keep"),
#else
#define UIDRV_X86_ATTRS
#endif
#if __GNUC__ >= 11
#define UIDRV_NOSSP_ATTRS no_stack_protector,
#else
#define UIDRV_NOSSP_ATTRS
#endif
#define UIDRV_REMOTE_ATTRS                                                                                        \
    __attribute__((section(".text$uidrv_a"), noipa, used, no_instrument_function, no_profile_instrument_function, \
                   UIDRV_X86_ATTRS UIDRV_NOSSP_ATTRS optimize("O0")))
#define UIDRV_REMOTE_END_ATTRS __attribute__((section(".text$uidrv_b"), noipa, used))
#endif
#else
#define UIDRV_CAN_INJECT 0
#define UIDRV_REMOTE_ATTRS
#define UIDRV_REMOTE_END_ATTRS
#endif

// Runs in the program under test (or, for the direct attempt, in the driver itself).
extern "C" UIDRV_REMOTE_ATTRS DWORD WINAPI UiDriverRemoteQuery(LPVOID param) {
    RemoteBlock* b = static_cast<RemoteBlock*>(param);
    HWND hwnd = reinterpret_cast<HWND>(static_cast<uintptr_t>(b->hwnd));
    b->count = 0;
    b->truncated = 0;
    if (b->op == kOpBaseUnits) {
        MapDialogRectFn mapRect = reinterpret_cast<MapDialogRectFn>(static_cast<uintptr_t>(b->fnMapDialogRect));
        b->status = mapRect(hwnd, &b->rect) ? kStOk : kStFailed;
        return 1;
    }
    GetMenuItemCountFn getCount = reinterpret_cast<GetMenuItemCountFn>(static_cast<uintptr_t>(b->fnGetMenuItemCount));
    GetMenuItemInfoWFn getInfo = reinterpret_cast<GetMenuItemInfoWFn>(static_cast<uintptr_t>(b->fnGetMenuItemInfoW));
    HMENU root;
    if (b->op == kOpMenuBar) {
        root = reinterpret_cast<GetMenuFn>(static_cast<uintptr_t>(b->fnGetMenu))(hwnd);
    } else {
        root = reinterpret_cast<GetSystemMenuFn>(static_cast<uintptr_t>(b->fnGetSystemMenu))(hwnd, FALSE);
    }
    if (!root) {
        b->status = kStNoMenu;
        return 1;
    }
    int rootCount = getCount(root);
    if (rootCount < 0) {
        b->status = kStFailed;
        return 1;
    }
    int depth = 0;
    b->stackMenu[0] = reinterpret_cast<uintptr_t>(root);
    b->stackIndex[0] = 0;
    b->stackCount[0] = rootCount;
    while (depth >= 0) {
        if (b->stackIndex[depth] >= b->stackCount[depth]) {
            --depth;
            continue;
        }
        int index = b->stackIndex[depth];
        b->stackIndex[depth] = index + 1;
        if (b->count >= b->maxItems) {
            b->truncated = 1;
            break;
        }
        RemoteMenuItem* item = &b->items[b->count];
        MENUITEMINFOW* mii = &b->mii;
        HMENU menu = reinterpret_cast<HMENU>(static_cast<uintptr_t>(b->stackMenu[depth]));
        mii->cbSize = b->miiSize;
        mii->fMask = b->miiMask;
        mii->fType = 0;
        mii->fState = 0;
        mii->wID = 0;
        mii->hSubMenu = nullptr;
        mii->dwTypeData = item->text;
        mii->cch = b->textChars;
        item->text[0] = 0;
        item->depth = depth;
        item->ok = getInfo(menu, static_cast<UINT>(index), TRUE, mii) ? 1 : 0;
        item->text[b->textChars - 1] = 0;
        item->type = mii->fType;
        item->state = mii->fState;
        item->id = mii->wID;
        item->hasSubmenu = (item->ok && mii->hSubMenu) ? 1 : 0;
        b->count = b->count + 1;
        if (item->hasSubmenu && depth + 1 < b->maxDepth) {
            int subCount = getCount(mii->hSubMenu);
            if (subCount > 0) {
                ++depth;
                b->stackMenu[depth] = reinterpret_cast<uintptr_t>(mii->hSubMenu);
                b->stackIndex[depth] = 0;
                b->stackCount[depth] = subCount;
            }
        }
    }
    b->status = kStOk;
    return 1;
}

extern "C" UIDRV_REMOTE_END_ATTRS int UiDriverRemoteQueryEnd(void) {
    return 0x5A17;
}

namespace {

struct MenuEntry {
    int depth;
    bool ok;
    UINT type;
    UINT state;
    UINT id;
    bool hasSubmenu;
    std::wstring text;
};

// Runs UiDriverRemoteQuery in the child process (same bitness only), reusing one allocation.
class RemoteCaller {
public:
    void Reset(HANDLE process, DWORD pid) {
        process_ = process;
        pid_ = pid;
    }

    // Returns false when the remote query could not be run (the reason goes to the verbose log).
    bool Run(RemoteBlock& block) {
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
            // The routine may still write into the block; never reuse it.
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
            if (!ReadProcessMemory(process_, static_cast<char*>(remoteBlock_) + header, block.items, itemsSize,
                                   &done) ||
                done != itemsSize) {
                Verbose("remote: ReadProcessMemory of items failed (%lu)", GetLastError());
                return false;
            }
        }
        return block.status != kStNotRun;
    }

    static void FillFunctions(RemoteBlock& block, const uint64_t* fns) {
        block.fnGetMenu = fns[0];
        block.fnGetSystemMenu = fns[1];
        block.fnGetMenuItemCount = fns[2];
        block.fnGetMenuItemInfoW = fns[3];
        block.fnMapDialogRect = fns[4];
    }

    static bool LocalFunctions(uint64_t* fns) {
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

private:
    bool Setup() {
        if (ready_) return !broken_;
        if (tried_) return false;
        tried_ = true;
#if !UIDRV_CAN_INJECT
        Verbose("remote: not supported by this build");
        return false;
#else
        if (!g_allowInject) {
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
#endif
    }

    uintptr_t RemoteModuleBase(const wchar_t* name) {
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

    HANDLE process_ = nullptr;
    DWORD pid_ = 0;
    bool tried_ = false;
    bool ready_ = false;
    bool broken_ = false;
    void* remoteCode_ = nullptr;
    void* remoteBlock_ = nullptr;
    uint64_t remoteFns_[5] = {};
};

RemoteCaller g_remote;
std::unique_ptr<RemoteBlock> g_block;

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

void CollectMenu(const RemoteBlock& b, std::vector<MenuEntry>& out) {
    out.clear();
    for (int i = 0; i < b.count && i < kRemoteMaxItems; ++i) {
        const RemoteMenuItem& it = b.items[i];
        MenuEntry e;
        e.depth = it.depth;
        e.ok = it.ok != 0;
        e.type = it.type;
        e.state = it.state;
        e.id = it.id;
        e.hasSubmenu = it.hasSubmenu != 0;
        e.text = it.text;
        out.push_back(e);
    }
}

// Result of reading one menu.
enum class MenuRead { kOk, kNone, kUnavailable };

MenuRead ReadMenu(HWND hwnd, int op, std::vector<MenuEntry>& entries, bool& truncated) {
    truncated = false;
    // Direct attempt in this process (works where menus are shared system objects).
    uint64_t localFns[5];
    bool localNone = false;
    if (RemoteCaller::LocalFunctions(localFns)) {
        RemoteBlock& b = FreshBlock(op, hwnd);
        RemoteCaller::FillFunctions(b, localFns);
        UiDriverRemoteQuery(&b);
        if (b.status == kStOk) {
            Verbose("menu op %d read directly", op);
            CollectMenu(b, entries);
            truncated = b.truncated != 0;
            return MenuRead::kOk;
        }
        localNone = b.status == kStNoMenu;
    }
    if (op == kOpMenuBar && localNone)
        return MenuRead::kNone;  // GetMenu works across processes everywhere; no menu bar
    if (op == kOpSystemMenu && !(GetWindowLongW(hwnd, GWL_STYLE) & WS_SYSMENU)) return MenuRead::kNone;
    RemoteBlock& b = FreshBlock(op, hwnd);
    if (!g_remote.Run(b)) return MenuRead::kUnavailable;
    if (b.status == kStNoMenu) return MenuRead::kNone;
    if (b.status != kStOk) return MenuRead::kUnavailable;
    Verbose("menu op %d read in the program under test", op);
    CollectMenu(b, entries);
    truncated = b.truncated != 0;
    return MenuRead::kOk;
}

// ---------------------------------------------------------------------------------------------
// Window helpers (all safe against a busy UI thread)

std::wstring WindowTextW(HWND h) {
    std::vector<wchar_t> buf(kTextBufChars);
    int n = InternalGetWindowText(h, buf.data(), kTextBufChars);
    if (n < 0) n = 0;
    if (n >= kTextBufChars) n = kTextBufChars - 1;
    return std::wstring(buf.data(), static_cast<size_t>(n));
}

std::wstring ClassNameW(HWND h) {
    wchar_t buf[256];
    int n = GetClassNameW(h, buf, 256);
    return std::wstring(buf, n > 0 ? static_cast<size_t>(n) : 0);
}

bool IsDialogClass(HWND h) {
    return ClassNameW(h) == L"#32770";
}

// Control id as a signed value; 0xFFFF (the "no id" of dialog templates) reads as -1.
int ControlId(HWND h) {
    LONG_PTR raw = GetWindowLongPtrW(h, GWLP_ID);
    int id = static_cast<int>(static_cast<uint32_t>(raw));
    if (id == 0xFFFF) id = -1;
    return id;
}

int NormalizeId(long long id) {
    if (id == 0xFFFF || id == 0xFFFFFFFFll) return -1;
    return static_cast<int>(id);
}

std::vector<HWND> DirectChildren(HWND parent) {
    std::vector<HWND> out;
    for (HWND c = GetWindow(parent, GW_CHILD); c && static_cast<int>(out.size()) < kMaxChildren;
         c = GetWindow(c, GW_HWNDNEXT))
        out.push_back(c);
    return out;
}

struct FindCtx {
    int id;
    HWND found;
};

BOOL CALLBACK FindDescendantProc(HWND h, LPARAM p) {
    FindCtx* ctx = reinterpret_cast<FindCtx*>(p);
    if (ControlId(h) == ctx->id) {
        ctx->found = h;
        return FALSE;
    }
    return TRUE;
}

// Direct children first (template order), then any descendant.
HWND FindControl(HWND dlg, int id) {
    id = NormalizeId(id);
    for (HWND c : DirectChildren(dlg))
        if (ControlId(c) == id) return c;
    FindCtx ctx{id, nullptr};
    EnumChildWindows(dlg, FindDescendantProc, reinterpret_cast<LPARAM>(&ctx));
    return ctx.found;
}

bool EqualsNoCase(const std::wstring& a, const wchar_t* b) {
    return lstrcmpiW(a.c_str(), b) == 0;
}

bool IsComboClass(const std::wstring& cls) {
    return EqualsNoCase(cls, L"ComboBox") || EqualsNoCase(cls, L"ComboBoxEx32");
}

bool IsListClass(const std::wstring& cls) {
    return EqualsNoCase(cls, L"ListBox") || EqualsNoCase(cls, L"ComboLBox");
}

// Controls that keep their text in their own buffer rather than in the window text.
bool KeepsOwnText(const std::wstring& cls) {
    return EqualsNoCase(cls, L"Edit") || IsComboClass(cls) || EqualsNoCase(cls, L"RichEdit") ||
           EqualsNoCase(cls, L"RichEdit20A") || EqualsNoCase(cls, L"RichEdit20W") || EqualsNoCase(cls, L"RICHEDIT50W");
}

bool IsButtonClass(const std::wstring& cls) {
    return EqualsNoCase(cls, L"Button");
}

// Bounded SendMessageTimeout; after the first timeout towards a thread, further sends to that
// thread made through the same Sender fail at once.
class Sender {
public:
    bool Send(HWND h, UINT msg, WPARAM w, LPARAM l, DWORD_PTR* result) {
        DWORD tid = GetWindowThreadProcessId(h, nullptr);
        for (DWORD t : busyThreads_)
            if (t == tid) return false;
        DWORD bound = Bounded(kSendTimeoutMs);
        DWORD_PTR r = 0;
        SetLastError(0);
        ULONGLONG started = Now();
        LRESULT ok = bound ? SendMessageTimeoutW(h, msg, w, l, SMTO_BLOCK | SMTO_ABORTIFHUNG, bound, &r) : 0;
        if (!ok) {
            // Some messages simply fail across processes (Wine: WM_GETFONT); only a timeout, or a
            // thread Windows considers hung, makes the thread count as busy.
            DWORD err = GetLastError();
            ULONGLONG elapsed = Now() - started;
            bool timedOut = !bound || err == ERROR_TIMEOUT || elapsed + 50 >= bound;
            Verbose("send 0x%04X to thread %lu failed (error %lu, %llu ms)%s", msg, tid, err,
                    static_cast<unsigned long long>(elapsed), timedOut ? "; thread treated as busy" : "");
            if (timedOut) busyThreads_.push_back(tid);
            return false;
        }
        if (result) *result = r;
        return true;
    }

private:
    std::vector<DWORD> busyThreads_;
};

// Text of a control.  Window text (InternalGetWindowText) never blocks, but edit and combo
// controls keep their current text in their own buffer, so for those a bounded WM_GETTEXT is tried
// first; when the UI thread is busy the window text is used instead.
std::wstring ControlText(HWND c, const std::wstring& cls, Sender& sender) {
    if (KeepsOwnText(cls)) {
        DWORD_PTR len = 0;
        if (sender.Send(c, WM_GETTEXTLENGTH, 0, 0, &len) && len < (1u << 20)) {
            std::vector<wchar_t> buf(static_cast<size_t>(len) + 16, L'\0');
            DWORD_PTR got = 0;
            if (sender.Send(c, WM_GETTEXT, static_cast<WPARAM>(buf.size()), reinterpret_cast<LPARAM>(buf.data()),
                            &got)) {
                size_t n = 0;
                while (n < buf.size() && buf[n]) ++n;
                return std::wstring(buf.data(), n);
            }
        }
    }
    return WindowTextW(c);
}

// Dialog base units of a dialog in the program under test, cached per window.
std::map<HWND, std::pair<int, int>> g_baseUnits;

bool FontBaseUnits(HFONT font, int& cx, int& cy) {
    LOGFONTW lf;
    if (GetObjectW(font, sizeof lf, &lf) != sizeof lf) return false;
    HFONT mine = CreateFontIndirectW(&lf);
    if (!mine) return false;
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, mine);
    TEXTMETRICW tm;
    SIZE sz;
    const wchar_t letters[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    bool ok = GetTextMetricsW(dc, &tm) && GetTextExtentPoint32W(dc, letters, 52, &sz);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    DeleteObject(mine);
    if (!ok) return false;
    cx = (sz.cx / 26 + 1) / 2;
    cy = tm.tmHeight;
    return cx > 0 && cy > 0;
}

bool DialogBaseUnits(HWND dlg, Sender& sender, int& cx, int& cy) {
    auto it = g_baseUnits.find(dlg);
    if (it != g_baseUnits.end()) {
        cx = it->second.first;
        cy = it->second.second;
        return true;
    }
    bool ok = false;
    // 1. Exactly what the dialog manager of the program under test uses.
    RemoteBlock& b = FreshBlock(kOpBaseUnits, dlg);
    if (g_remote.Run(b) && b.status == kStOk && b.rect.right > 0 && b.rect.bottom > 0) {
        cx = b.rect.right;
        cy = b.rect.bottom;
        ok = true;
        Verbose("base units %d,%d from MapDialogRect in the program under test", cx, cy);
    }
    // 2. From the dialog font (system font when the dialog has none).
    if (!ok) {
        DWORD_PTR font = 0;
        if (sender.Send(dlg, WM_GETFONT, 0, 0, &font)) {
            if (!font) {
                LONG units = GetDialogBaseUnits();
                cx = LOWORD(units);
                cy = HIWORD(units);
                ok = cx > 0 && cy > 0;
            } else {
                ok = FontBaseUnits(reinterpret_cast<HFONT>(font), cx, cy);
            }
            if (ok) Verbose("base units %d,%d from the dialog font", cx, cy);
        }
    }
    if (ok) g_baseUnits[dlg] = std::make_pair(cx, cy);
    return ok;
}

// Inverse of the dialog manager's MulDiv(units, base, denominator), exact when the pixel value
// came from a template value.
int PixelsToUnits(int px, int base, int denominator) {
    int guess = MulDiv(px, denominator, base);
    int best = guess;
    int bestDistance = 1 << 30;
    for (int d = guess - 3; d <= guess + 3; ++d) {
        if (MulDiv(d, base, denominator) == px) {
            int distance = d > guess ? d - guess : guess - d;
            if (distance < bestDistance) {
                best = d;
                bestDistance = distance;
            }
        }
    }
    return best;
}

std::string RectString(int x, int y, int w, int h) {
    return Int(x) + "," + Int(y) + "," + Int(w) + "," + Int(h);
}

void DumpItems(HWND ctl, int id, const std::wstring& cls, LONG style, Sender& sender) {
    bool combo = IsComboClass(cls);
    UINT getCount = combo ? CB_GETCOUNT : LB_GETCOUNT;
    UINT getLen = combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN;
    UINT getText = combo ? CB_GETLBTEXT : LB_GETTEXT;
    bool hasText;
    if (combo)
        hasText = !(style & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE)) || (style & CBS_HASSTRINGS);
    else
        hasText = !(style & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) || (style & LBS_HASSTRINGS);
    DWORD_PTR count = 0;
    if (!sender.Send(ctl, getCount, 0, 0, &count)) return;
    int n = static_cast<int>(static_cast<LONG_PTR>(count));
    if (n <= 0) return;
    if (n > kMaxListItems) n = kMaxListItems;
    DWORD_PTR cur = 0;
    if (combo && !sender.Send(ctl, CB_GETCURSEL, 0, 0, &cur)) return;
    std::vector<std::vector<std::string>> items;
    for (int i = 0; i < n; ++i) {
        std::wstring text;
        if (hasText) {
            DWORD_PTR len = 0;
            if (!sender.Send(ctl, getLen, static_cast<WPARAM>(i), 0, &len)) return;
            LONG_PTR l = static_cast<LONG_PTR>(len);
            if (l >= 0 && l < (1 << 20)) {
                std::vector<wchar_t> buf(static_cast<size_t>(l) + 16, L'\0');
                DWORD_PTR got = 0;
                if (!sender.Send(ctl, getText, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buf.data()), &got))
                    return;
                LONG_PTR g = static_cast<LONG_PTR>(got);
                if (g > 0 && g <= l) text.assign(buf.data(), static_cast<size_t>(g));
            }
        }
        bool selected;
        if (combo) {
            selected = static_cast<LONG_PTR>(cur) == i;
        } else {
            DWORD_PTR sel = 0;
            if (!sender.Send(ctl, LB_GETSEL, static_cast<WPARAM>(i), 0, &sel)) return;
            selected = static_cast<LONG_PTR>(sel) > 0;
        }
        items.push_back({"ITEM", Int(id), Int(i), Narrow(text), selected ? "1" : "0"});
    }
    for (const auto& rec : items) g_records.Write(rec);
}

bool IsCheckLike(LONG style) {
    LONG type = style & BS_TYPEMASK;
    return type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE || type == BS_AUTO3STATE ||
           type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
}

bool IsPushButton(LONG style) {
    LONG type = style & BS_TYPEMASK;
    return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
}

// WINDOW record and one CONTROL record per direct child, in z-order (template order).
void DumpWindow(HWND wnd) {
    Sender sender;
    LONG style = GetWindowLongW(wnd, GWL_STYLE);
    LONG exStyle = GetWindowLongW(wnd, GWL_EXSTYLE);
    RECT client = {0, 0, 0, 0};
    GetClientRect(wnd, &client);
    int bx = 0, by = 0;
    bool units = IsDialogClass(wnd) && DialogBaseUnits(wnd, sender, bx, by);
    g_records.Write({"WINDOW", Narrow(WindowTextW(wnd)), Hex32(static_cast<DWORD>(style)),
                     Hex32(static_cast<DWORD>(exStyle)),
                     Int(client.right - client.left) + "x" + Int(client.bottom - client.top),
                     units ? Int(bx) + "," + Int(by) : std::string("-")});
    for (HWND c : DirectChildren(wnd)) {
        if (!IsWindow(c)) continue;
        std::wstring cls = ClassNameW(c);
        LONG cs = GetWindowLongW(c, GWL_STYLE);
        int id = ControlId(c);
        RECT r;
        GetWindowRect(c, &r);
        MapWindowPoints(nullptr, wnd, reinterpret_cast<POINT*>(&r), 2);
        int w = r.right - r.left, h = r.bottom - r.top;
        std::string dlu = "-";
        if (units)
            dlu = RectString(PixelsToUnits(r.left, bx, 4), PixelsToUnits(r.top, by, 8), PixelsToUnits(w, bx, 4),
                             PixelsToUnits(h, by, 8));
        g_records.Write({"CONTROL", Int(id), Narrow(cls), Narrow(ControlText(c, cls, sender)),
                         Hex32(static_cast<DWORD>(cs)), IsWindowEnabled(c) ? "1" : "0", (cs & WS_VISIBLE) ? "1" : "0",
                         RectString(r.left, r.top, w, h), dlu});
        if (IsComboClass(cls) || IsListClass(cls)) {
            DumpItems(c, id, cls, cs, sender);
        } else if (IsButtonClass(cls) && IsCheckLike(cs)) {
            DWORD_PTR state = 0;
            if (sender.Send(c, BM_GETCHECK, 0, 0, &state))
                g_records.Write({"CHECK", Int(id), Int(static_cast<long long>(state))});
        }
    }
}

std::string MenuFlags(const MenuEntry& e) {
    std::string f;
    auto add = [&f](const char* s) {
        if (!f.empty()) f += ',';
        f += s;
    };
    if (!e.ok) return "unreadable";
    if (e.state & MF_GRAYED)
        add("grayed");
    else if (e.state & MF_DISABLED)
        add("disabled");
    if (e.state & MFS_CHECKED) add("checked");
    if (e.type & MFT_SEPARATOR) add("separator");
    if (e.hasSubmenu) add("popup");
    if (e.state & MFS_DEFAULT) add("default");
    if (e.type & MFT_RADIOCHECK) add("radio");
    if (e.type & MFT_BITMAP) add("bitmap");
    if (e.type & MFT_OWNERDRAW) add("ownerdraw");
    return f.empty() ? "-" : f;
}

void WriteMenuRecords(const char* tag, const std::vector<MenuEntry>& entries, bool truncated) {
    std::vector<std::string> path;
    for (const MenuEntry& e : entries) {
        path.resize(static_cast<size_t>(e.depth));
        path.push_back(Narrow(e.text));
        std::string joined;
        for (size_t i = 0; i < path.size(); ++i) {
            if (i) joined += '/';
            joined += path[i];
        }
        long long id = e.hasSubmenu ? -1 : static_cast<long long>(static_cast<int>(e.id));
        g_records.Write({tag, joined, Int(id), MenuFlags(e)});
    }
    if (truncated) g_records.Write({tag, "-", "truncated"});
}

void DumpMenus(HWND wnd) {
    std::vector<MenuEntry> entries;
    bool truncated = false;
    MenuRead r = ReadMenu(wnd, kOpMenuBar, entries, truncated);
    if (r == MenuRead::kOk)
        WriteMenuRecords("MENU", entries, truncated);
    else if (r == MenuRead::kUnavailable)
        g_records.Write({"MENU", "-", "unavailable"});
    entries.clear();
    r = ReadMenu(wnd, kOpSystemMenu, entries, truncated);
    if (r == MenuRead::kOk)
        WriteMenuRecords("SYSMENU", entries, truncated);
    else if (r == MenuRead::kUnavailable)
        g_records.Write({"SYSMENU", "-", "unavailable"});
}

// ---------------------------------------------------------------------------------------------
// Script

enum class Op {
    kDump,
    kDumpMenu,
    kClick,
    kCommand,
    kSysCommand,
    kSetText,
    kSelect,
    kCheck,
    kKey,
    kSleep,
    kMark,
    kClose
};

struct Action {
    Op op;
    int id = 0;
    long long number = 0;
    std::string text;  // raw bytes after unescaping
    int line = 0;
    std::string source;  // the script line, for error records
};

struct Rule {
    std::wstring caption;
    bool onReturn = false;  // a "return" rule: for a handled window that comes back
    bool hasId = false;
    int id = 0;
    bool used = false;
    int line = 0;
    std::vector<Action> actions;
};

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// Splits off the next blank-separated token; rest gets what follows after exactly one blank.
std::string NextToken(const std::string& s, std::string& rest) {
    size_t i = 0;
    while (i < s.size() && IsBlank(s[i])) ++i;
    size_t j = i;
    while (j < s.size() && !IsBlank(s[j])) ++j;
    std::string tok = s.substr(i, j - i);
    rest = j < s.size() ? s.substr(j + 1) : std::string();
    return tok;
}

std::string TrimBlanks(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b])) ++b;
    while (e > b && IsBlank(s[e - 1])) --e;
    return s.substr(b, e - b);
}

bool ParseScript(const std::string& data, std::vector<Rule>& rules, std::string& error) {
    size_t pos = 0;
    int lineNo = 0;
    while (pos <= data.size()) {
        size_t nl = data.find('\n', pos);
        std::string line = data.substr(pos, nl == std::string::npos ? std::string::npos : nl - pos);
        pos = nl == std::string::npos ? data.size() + 1 : nl + 1;
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (lineNo == 1 && line.size() >= 3 && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
        std::string trimmed = TrimBlanks(line);
        if (trimmed.empty() || trimmed[0] == '#') continue;
        std::string rest;
        std::string word = NextToken(line, rest);
        auto fail = [&](const std::string& what) {
            error = "script line " + Int(lineNo) + ": " + what;
            return false;
        };
        if (word == "window" || word == "return") {
            Rule rule;
            rule.line = lineNo;
            rule.onReturn = word == "return";
            std::string caption = rest;
            size_t bar = caption.rfind('|');
            long long id = 0;
            if (bar != std::string::npos && ParseInt(TrimBlanks(caption.substr(bar + 1)), id)) {
                rule.hasId = true;
                rule.id = NormalizeId(id);
                caption.erase(bar);
            }
            rule.caption = Widen(Unescape(caption));
            rules.push_back(rule);
            continue;
        }
        if (rules.empty()) return fail("action before the first 'window' line");
        Action a;
        a.line = lineNo;
        a.source = trimmed;
        std::string after;
        long long n = 0;
        auto needId = [&](std::string& remainder) {
            std::string tok = NextToken(rest, remainder);
            if (!ParseInt(tok, n)) return false;
            a.id = NormalizeId(n);
            return true;
        };
        if (word == "dump" || word == "dumpmenu" || word == "close") {
            if (!TrimBlanks(rest).empty()) return fail("'" + word + "' takes no argument");
            a.op = word == "dump" ? Op::kDump : word == "dumpmenu" ? Op::kDumpMenu : Op::kClose;
        } else if (word == "click" || word == "command" || word == "syscommand") {
            if (!needId(after) || !TrimBlanks(after).empty()) return fail("'" + word + "' needs one numeric id");
            a.op = word == "click" ? Op::kClick : word == "command" ? Op::kCommand : Op::kSysCommand;
            a.number = n;
        } else if (word == "settext") {
            if (!needId(after)) return fail("'settext' needs a numeric id");
            a.op = Op::kSetText;
            a.text = Unescape(after);
        } else if (word == "select" || word == "check") {
            if (!needId(after)) return fail("'" + word + "' needs a numeric id");
            std::string tail;
            std::string tok = NextToken(after, tail);
            if (!ParseInt(tok, a.number) || !TrimBlanks(tail).empty() || a.number < 0)
                return fail("'" + word + "' needs a non-negative number after the id");
            if (word == "check" && a.number > 2) return fail("'check' state must be 0, 1 or 2");
            a.op = word == "select" ? Op::kSelect : Op::kCheck;
        } else if (word == "key" || word == "sleep") {
            std::string tail;
            std::string tok = NextToken(rest, tail);
            if (!ParseInt(tok, a.number) || !TrimBlanks(tail).empty() || a.number < 0)
                return fail("'" + word + "' needs one non-negative number");
            if (word == "key" && (a.number < 1 || a.number > 254)) return fail("virtual-key code out of range");
            a.op = word == "key" ? Op::kKey : Op::kSleep;
        } else if (word == "mark") {
            a.op = Op::kMark;
            a.text = Unescape(rest);
        } else {
            return fail("unknown action '" + word + "'");
        }
        rules.back().actions.push_back(a);
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// Running

enum class Flow { kContinue, kChildExited, kTimedOut };

bool ChildExited() {
    return WaitForSingleObject(g_child, 0) == WAIT_OBJECT_0;
}

// Waits up to ms, bounded by the overall timeout; reports why the wait ended early.
Flow Pause(DWORD ms) {
    DWORD bound = Bounded(ms);
    if (WaitForSingleObject(g_child, bound) == WAIT_OBJECT_0) return Flow::kChildExited;
    if (bound < ms || RemainingMs() == 0) return Flow::kTimedOut;
    return Flow::kContinue;
}

void ActionError(const Action& a, const std::string& what) {
    g_records.Write({"ERROR", "line " + Int(a.line) + " '" + a.source + "': " + what});
}

HWND KeyTarget(HWND dlg) {
    DWORD tid = GetWindowThreadProcessId(dlg, nullptr);
    GUITHREADINFO gti;
    std::memset(&gti, 0, sizeof gti);
    gti.cbSize = sizeof gti;
    if (GetGUIThreadInfo(tid, &gti) && gti.hwndFocus && (gti.hwndFocus == dlg || IsChild(dlg, gti.hwndFocus)))
        return gti.hwndFocus;
    return dlg;
}

LPARAM KeyLParam(UINT vk, bool up) {
    UINT scan = MapVirtualKeyW(vk, MAPVK_VK_TO_VSC) & 0xFF;
    LPARAM l = 1 | (static_cast<LPARAM>(scan) << 16);
    switch (vk) {
        case VK_LEFT:
        case VK_RIGHT:
        case VK_UP:
        case VK_DOWN:
        case VK_PRIOR:
        case VK_NEXT:
        case VK_HOME:
        case VK_END:
        case VK_INSERT:
        case VK_DELETE:
        case VK_DIVIDE:
        case VK_NUMLOCK:
        case VK_RCONTROL:
        case VK_RMENU:
            l |= static_cast<LPARAM>(1) << 24;
            break;
        default:
            break;
    }
    if (up) l |= (static_cast<LPARAM>(1) << 30) | (static_cast<LPARAM>(1) << 31);
    return l;
}

Flow RunAction(HWND wnd, const Action& a) {
    Verbose("action line %d: %s", a.line, a.source.c_str());
    if (a.op == Op::kMark) {
        g_records.Write({"MARK", a.text});
        return Flow::kContinue;
    }
    if (a.op == Op::kSleep) return Pause(static_cast<DWORD>(a.number));
    if (!IsWindow(wnd)) {
        ActionError(a, "window is gone");
        return Flow::kContinue;
    }
    Sender sender;
    bool posted = false;
    switch (a.op) {
        case Op::kDump:
            DumpWindow(wnd);
            break;
        case Op::kDumpMenu:
            DumpMenus(wnd);
            break;
        case Op::kClose:
            posted = PostMessageW(wnd, WM_CLOSE, 0, 0) != 0;
            break;
        case Op::kCommand:
            posted = PostMessageW(wnd, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(a.number), 0), 0) != 0;
            break;
        case Op::kSysCommand:
            posted = PostMessageW(wnd, WM_SYSCOMMAND, static_cast<WPARAM>(a.number), 0) != 0;
            break;
        case Op::kKey: {
            HWND target = KeyTarget(wnd);
            UINT vk = static_cast<UINT>(a.number);
            Verbose("key %u to %p (%s)", vk, static_cast<void*>(target), target == wnd ? "dialog" : "focused control");
            posted = PostMessageW(target, WM_KEYDOWN, vk, KeyLParam(vk, false)) != 0;
            posted = PostMessageW(target, WM_KEYUP, vk, KeyLParam(vk, true)) != 0 && posted;
            break;
        }
        case Op::kClick:
        case Op::kSetText:
        case Op::kSelect:
        case Op::kCheck: {
            HWND ctl = FindControl(wnd, a.id);
            if (!ctl) {
                ActionError(a, "no control with id " + Int(a.id));
                return Flow::kContinue;
            }
            if (a.op == Op::kClick) {
                if (!IsWindowEnabled(ctl) || !IsWindowVisible(ctl)) {
                    ActionError(a, "control is disabled or hidden");
                    return Flow::kContinue;
                }
                posted = PostMessageW(ctl, BM_CLICK, 0, 0) != 0;
            } else if (a.op == Op::kCheck) {
                posted = PostMessageW(ctl, BM_SETCHECK, static_cast<WPARAM>(a.number), 0) != 0;
            } else if (a.op == Op::kSetText) {
                std::wstring text = Widen(a.text);
                if (!sender.Send(ctl, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), nullptr)) {
                    ActionError(a, "WM_SETTEXT did not complete");
                    return Flow::kContinue;
                }
                posted = true;
            } else {
                std::wstring cls = ClassNameW(ctl);
                bool combo = IsComboClass(cls);
                if (!combo && !IsListClass(cls)) {
                    ActionError(a, "control is neither a combo box nor a list box");
                    return Flow::kContinue;
                }
                WPARAM index = static_cast<WPARAM>(a.number);
                DWORD_PTR r = 0;
                bool ok;
                LONG cs = GetWindowLongW(ctl, GWL_STYLE);
                if (combo) {
                    ok = sender.Send(ctl, CB_SETCURSEL, index, 0, &r) && static_cast<LONG_PTR>(r) != CB_ERR;
                } else if (cs & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL)) {
                    ok = sender.Send(ctl, LB_SETSEL, FALSE, -1, &r) &&
                         sender.Send(ctl, LB_SETSEL, TRUE, static_cast<LPARAM>(index), &r) &&
                         static_cast<LONG_PTR>(r) != LB_ERR && sender.Send(ctl, LB_SETCARETINDEX, index, 0, &r);
                } else {
                    ok = sender.Send(ctl, LB_SETCURSEL, index, 0, &r) && static_cast<LONG_PTR>(r) != LB_ERR;
                }
                if (!ok) {
                    ActionError(a, "selection failed (index out of range or control busy)");
                    return Flow::kContinue;
                }
                HWND parent = GetParent(ctl);
                WORD code = combo ? CBN_SELCHANGE : LBN_SELCHANGE;
                posted =
                    PostMessageW(parent ? parent : wnd, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(ControlId(ctl)), code),
                                 reinterpret_cast<LPARAM>(ctl)) != 0;
            }
            break;
        }
        case Op::kMark:
        case Op::kSleep:
            break;
    }
    if (a.op == Op::kDump || a.op == Op::kDumpMenu) return RemainingMs() == 0 ? Flow::kTimedOut : Flow::kContinue;
    if (!posted) {
        ActionError(a, "message could not be posted");
        return Flow::kContinue;
    }
    return Pause(kAfterPostMs);
}

struct MsgBoxInfo {
    HWND button = nullptr;
    int buttonId = 0;
    std::wstring text;
};

// A message box: exactly one visible push button (IDOK or IDCANCEL) and a static with id 0xFFFF.
bool LooksLikeMessageBox(HWND wnd, MsgBoxInfo& info) {
    int buttons = 0;
    bool haveText = false;
    for (HWND c : DirectChildren(wnd)) {
        std::wstring cls = ClassNameW(c);
        LONG cs = GetWindowLongW(c, GWL_STYLE);
        int id = ControlId(c);
        if (IsButtonClass(cls) && (cs & WS_VISIBLE) && IsPushButton(cs)) {
            ++buttons;
            info.button = c;
            info.buttonId = id;
        } else if (id == -1 && EqualsNoCase(cls, L"Static") && !haveText) {
            haveText = true;
            info.text = WindowTextW(c);
        }
    }
    return buttons == 1 && haveText && (info.buttonId == IDOK || info.buttonId == IDCANCEL);
}

// `returning`: the window was handled before and has come back (it was disabled while a
// window it opened was up, and is enabled again). Only "return" rules match it then, and
// without one it is left alone.
Flow HandleWindow(HWND wnd, std::vector<Rule>& rules, bool returning) {
    std::wstring caption = WindowTextW(wnd);
    for (Rule& rule : rules) {
        if (rule.used || rule.onReturn != returning || rule.caption != caption) continue;
        if (rule.hasId && !FindControl(wnd, rule.id)) continue;
        rule.used = true;
        Verbose("window %p '%s' matched rule at line %d", static_cast<void*>(wnd), Narrow(caption).c_str(), rule.line);
        for (const Action& a : rule.actions) {
            Flow f = RunAction(wnd, a);
            if (f != Flow::kContinue) return f;
        }
        return Flow::kContinue;
    }
    if (returning) return Flow::kContinue;
    MsgBoxInfo mb;
    if (LooksLikeMessageBox(wnd, mb)) {
        g_records.Write({"MSGBOX", Narrow(caption), Narrow(mb.text)});
        PostMessageW(wnd, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(mb.buttonId), BN_CLICKED),
                     reinterpret_cast<LPARAM>(mb.button));
        return Pause(kAfterPostMs);
    }
    g_records.Write({"UNEXPECTED", Narrow(caption)});
    DumpWindow(wnd);
    PostMessageW(wnd, WM_CLOSE, 0, 0);
    return Pause(kAfterPostMs);
}

struct EnumCtx {
    DWORD pid;
    bool dialogsOnly;
    std::vector<HWND> windows;
};

BOOL CALLBACK EnumTopProc(HWND h, LPARAM p) {
    EnumCtx* ctx = reinterpret_cast<EnumCtx*>(p);
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    if (pid == ctx->pid && IsWindowVisible(h) && (!ctx->dialogsOnly || IsDialogClass(h))) ctx->windows.push_back(h);
    return TRUE;
}

std::vector<HWND> ChildTopWindows(DWORD pid, bool dialogsOnly) {
    EnumCtx ctx{pid, dialogsOnly, {}};
    EnumWindows(EnumTopProc, reinterpret_cast<LPARAM>(&ctx));
    return ctx.windows;
}

struct Options {
    std::string out, script, cwd, cmdline;
    double timeout = -1;
};

int Usage(const std::string& message) {
    std::fprintf(stderr, "ui_driver: %s\n%s", message.c_str(), kUsage);
    return kExitUsage;
}

}  // namespace

// Waits until no process is left in `job`, or `limitMs` has passed.
static void WaitForJobToEmpty(HANDLE job, DWORD limitMs) {
    if (!job) return;
    const ULONGLONG end = GetTickCount64() + limitMs;
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info = {};
    while (QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &info, sizeof info, nullptr) &&
           info.ActiveProcesses > 0 && GetTickCount64() < end)
        Sleep(50);
}

static const DWORD kJobDrainMs = 10000;

int main(int argc, char** argv) {
    g_start = Now();
    Options opt;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&](std::string& dst) {
            if (i + 1 >= argc) return false;
            dst = argv[++i];
            return true;
        };
        if (a == "--out") {
            if (!value(opt.out)) return Usage("--out needs a value");
        } else if (a == "--script") {
            if (!value(opt.script)) return Usage("--script needs a value");
        } else if (a == "--cwd") {
            if (!value(opt.cwd)) return Usage("--cwd needs a value");
        } else if (a == "--cmdline") {
            if (!value(opt.cmdline)) return Usage("--cmdline needs a value");
        } else if (a == "--timeout") {
            std::string v;
            if (!value(v)) return Usage("--timeout needs a value");
            char* end = nullptr;
            opt.timeout = std::strtod(v.c_str(), &end);
            if (!end || *end || !(opt.timeout > 0) || opt.timeout > 86400)
                return Usage("--timeout must be a number of seconds between 0 and 86400");
        } else if (a == "--utf8") {
            g_codePage = CP_UTF8;
        } else if (a == "--verbose") {
            g_verbose = true;
        } else if (a == "--no-inject") {
            g_allowInject = false;
        } else if (a == "--help" || a == "-h" || a == "/?") {
            std::fputs(kUsage, stdout);
            return kExitUsage;
        } else {
            return Usage("unknown argument '" + a + "'");
        }
    }
    if (opt.out.empty()) return Usage("--out is required");
    if (opt.timeout <= 0) return Usage("--timeout is required");
    if (opt.cmdline.empty()) return Usage("--cmdline is required");

    std::string cmdline;
    if (!ReadWholeFile(opt.cmdline, cmdline)) return Usage("cannot read command line file '" + opt.cmdline + "'");
    while (!cmdline.empty() && (cmdline.back() == '\n' || cmdline.back() == '\r')) cmdline.pop_back();
    if (cmdline.empty()) return Usage("command line file '" + opt.cmdline + "' is empty");

    std::vector<Rule> rules;
    if (!opt.script.empty()) {
        std::string script, error;
        if (!ReadWholeFile(opt.script, script)) return Usage("cannot read script file '" + opt.script + "'");
        if (!ParseScript(script, rules, error)) return Usage(error);
    }
    if (!g_records.Open(opt.out)) return Usage("cannot create records file '" + opt.out + "'");

    // The child runs in a job so that it (and anything it starts) dies with the driver.
    HANDLE job = CreateJobObjectW(nullptr, nullptr);
    if (job) {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits;
        std::memset(&limits, 0, sizeof limits);
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        if (!SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
            CloseHandle(job);
            job = nullptr;
        }
    }

    STARTUPINFOA si;
    std::memset(&si, 0, sizeof si);
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    std::memset(&pi, 0, sizeof pi);
    std::vector<char> cmdBuf(cmdline.begin(), cmdline.end());
    cmdBuf.push_back('\0');
    Verbose("starting: %s", cmdline.c_str());
    if (!CreateProcessA(nullptr, cmdBuf.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                        opt.cwd.empty() ? nullptr : opt.cwd.c_str(), &si, &pi)) {
        DWORD err = GetLastError();
        std::fprintf(stderr, "ui_driver: CreateProcess failed (error %lu) for: %s\n", err, cmdline.c_str());
        g_records.Write({"ERROR", "CreateProcess failed with error " + Int(err)});
        g_records.Close();
        return kExitStartFailed;
    }
    if (job && !AssignProcessToJobObject(job, pi.hProcess)) {
        Verbose("job assignment failed (%lu); continuing without a job", GetLastError());
        CloseHandle(job);
        job = nullptr;
    }
    ResumeThread(pi.hThread);
    CloseHandle(pi.hThread);
    g_child = pi.hProcess;
    g_remote.Reset(pi.hProcess, pi.dwProcessId);

    g_deadline = Now() + static_cast<ULONGLONG>(opt.timeout * 1000.0);
    g_hardLimit = g_deadline;

    struct Seen {
        ULONGLONG since;
        unsigned long long order;
        bool handled;
        bool wasDisabled = false;  // handled, then disabled by a window it opened
    };
    std::map<HWND, Seen> seen;
    unsigned long long order = 0;
    Flow flow = Flow::kContinue;

    while (flow == Flow::kContinue) {
        if (ChildExited()) {
            flow = Flow::kChildExited;
            break;
        }
        if (RemainingMs() == 0) {
            flow = Flow::kTimedOut;
            break;
        }
        std::vector<HWND> visible = ChildTopWindows(pi.dwProcessId, true);
        ULONGLONG now = Now();
        for (HWND h : visible)
            if (seen.find(h) == seen.end()) seen[h] = Seen{now, order++, false};
        for (auto it = seen.begin(); it != seen.end();) {
            bool gone = !IsWindow(it->first);
            bool hiddenBeforeHandled = !it->second.handled && !IsWindowVisible(it->first);
            if (gone || hiddenBeforeHandled)
                it = seen.erase(it);
            else
                ++it;
        }
        std::vector<std::pair<unsigned long long, HWND>> ready;
        for (auto& kv : seen)
            if (!kv.second.handled && now - kv.second.since >= kSettleMs) ready.emplace_back(kv.second.order, kv.first);
        std::sort(ready.begin(), ready.end());
        for (auto& r : ready) {
            HWND h = r.second;
            if (!IsWindow(h) || !IsWindowVisible(h)) {
                seen.erase(h);
                continue;
            }
            seen[h].handled = true;
            flow = HandleWindow(h, rules, false);
            if (flow != Flow::kContinue) break;
        }
        // Handled windows that come back once the window they opened has closed.
        for (auto& kv : seen) {
            if (flow != Flow::kContinue || !kv.second.handled || !IsWindow(kv.first)) continue;
            const bool enabled = IsWindowEnabled(kv.first) != FALSE;
            if (!enabled) {
                kv.second.wasDisabled = true;
            } else if (kv.second.wasDisabled) {
                kv.second.wasDisabled = false;
                flow = HandleWindow(kv.first, rules, true);
            }
        }
        if (flow != Flow::kContinue) break;
        flow = Pause(kPollMs);
    }

    int rc;
    if (flow == Flow::kChildExited) {
        DWORD code = 0;
        GetExitCodeProcess(pi.hProcess, &code);
        g_records.Write({"EXIT", std::to_string(static_cast<unsigned long>(code))});
        rc = kExitChildExited;
        // Programs the child handed work to (the browser it opened) belong to the job too:
        // give them a bounded while to finish before closing the job ends them.
        WaitForJobToEmpty(job, kJobDrainMs);
    } else {
        g_records.Write({"TIMEOUT"});
        g_hardLimit = Now() + kTimeoutGraceMs;
        for (HWND h : ChildTopWindows(pi.dwProcessId, false)) {
            if (RemainingMs() == 0) break;
            DumpWindow(h);
        }
        if (job) TerminateJobObject(job, 1);
        TerminateProcess(pi.hProcess, 1);
        if (WaitForSingleObject(pi.hProcess, kKillWaitMs) != WAIT_OBJECT_0)
            std::fprintf(stderr, "ui_driver: the program under test did not end after TerminateProcess\n");
        rc = kExitTimeout;
    }
    for (const Rule& rule : rules)
        if (!rule.used) Verbose("rule at line %d ('%s') was never used", rule.line, Narrow(rule.caption).c_str());
    g_records.Close();
    CloseHandle(pi.hProcess);
    if (job) CloseHandle(job);
    return rc;
}
