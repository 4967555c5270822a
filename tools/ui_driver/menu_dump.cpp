#include "menu_dump.h"

#include <string>
#include <vector>

#include "records.h"
#include "remote_caller.h"
#include "run_clock.h"
#include "text.h"

namespace ui_driver {

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

}  // namespace

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

}  // namespace ui_driver
