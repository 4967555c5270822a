// Position independent: the routine reaches every API through pointers in the block, takes every
// non-trivial constant from the block, uses no globals, literals, switch tables or helper calls,
// and keeps only small locals. The build compiles this file at -O0, which keeps both promises
// the copy relies on: no constant pools, vector constants or outlined helpers appear, and the
// functions stay in source order, so UiDriverRemoteQueryEnd follows the routine and its address
// gives the routine's size.
#include "remote_query.h"

using namespace ui_driver;

namespace {

typedef HMENU(WINAPI* GetMenuFn)(HWND);
typedef HMENU(WINAPI* GetSystemMenuFn)(HWND, BOOL);
typedef int(WINAPI* GetMenuItemCountFn)(HMENU);
typedef BOOL(WINAPI* GetMenuItemInfoWFn)(HMENU, UINT, BOOL, LPMENUITEMINFOW);
typedef BOOL(WINAPI* MapDialogRectFn)(HWND, LPRECT);

}  // namespace

extern "C" DWORD WINAPI UiDriverRemoteQuery(LPVOID param) {
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

extern "C" int UiDriverRemoteQueryEnd(void) {
    return 0x5A17;
}
