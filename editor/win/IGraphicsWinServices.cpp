// The editor's platform services on Windows: message boxes, popup menus, paths, the common dialogs,
// the shell, the clipboard and the cursor.
#include <windows.h>

#include "editor/win/IGraphicsWin.h"

#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>
#include <wininet.h>

#include <string>
#include <vector>

namespace
{
// The folder of a path with its trailing backslash; empty when there is no backslash before the last
// character.
std::string FolderOf(const char* path)
{
    const std::string text = path;
    const std::size_t slash = text.rfind('\\');
    if (slash == std::string::npos || slash + 1 >= text.size()) return {};
    return text.substr(0, slash + 1);
}

std::string ModuleFolder(HMODULE module)
{
    char path[256] = {};
    const DWORD n = GetModuleFileNameA(module, path, sizeof path);
    if (n == 0 || n >= sizeof path) return {};
    return FolderOf(path);
}

std::string SpecialFolder(int id)
{
    char path[MAX_PATH] = {};
    return SUCCEEDED(SHGetFolderPathA(nullptr, id, nullptr, SHGFP_TYPE_CURRENT, path)) ? std::string(path)
                                                                                       : std::string();
}

// Builds the platform menu of one IPopupMenu. Item identifiers count from 0 over the whole tree: all
// items of a menu first, then each submenu after them, depth first. Command identifiers are those plus
// one, since the menu reports "nothing chosen" as 0.
HMENU BuildMenu(const IPopupMenu& menu, int& next)
{
    HMENU handle = CreatePopupMenu();
    const int first = next;
    next += menu.NItems();
    for (int i = 0; i < menu.NItems(); ++i)
    {
        const IPopupMenuItem& item = menu.Item(i);
        const std::string text = menu.ItemDisplayText(i);
        UINT flags = MF_STRING;
        if (item.flags & IPopupMenuItem::kGray) flags |= MF_GRAYED;
        if (item.flags & IPopupMenuItem::kDisabled) flags |= MF_DISABLED;
        if (item.flags & IPopupMenuItem::kChecked) flags |= MF_CHECKED;
        if (item.flags & IPopupMenuItem::kSeparator)
            AppendMenuA(handle, MF_SEPARATOR, 0, nullptr);
        else if (item.submenu)
            AppendMenuA(handle, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(BuildMenu(*item.submenu, next)),
                        text.c_str());
        else
            AppendMenuA(handle, flags, static_cast<UINT_PTR>(first + i + 1), text.c_str());
    }
    return handle;
}

// The menu holding item identifier id, walked in the numbering order; its chosen index is set.
IPopupMenu* FindHolder(IPopupMenu& menu, int& next, int id)
{
    const int first = next;
    next += menu.NItems();
    if (id >= first && id < next)
    {
        menu.chosenItemIdx = id - first;
        return &menu;
    }
    for (int i = 0; i < menu.NItems(); ++i)
        if (menu.Item(i).submenu)
            if (IPopupMenu* holder = FindHolder(*menu.Item(i).submenu, next, id)) return holder;
    return nullptr;
}

struct MainWindowSearch
{
    DWORD processId;
    const std::string* className;
    HWND found;
};

BOOL CALLBACK FindMainWindow(HWND window, LPARAM data)
{
    auto* search = reinterpret_cast<MainWindowSearch*>(data);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char name[256] = {};
    if (process == search->processId && GetClassNameA(window, name, sizeof name) > 0 &&
        *search->className == name)
    {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

UINT_PTR CALLBACK ColourDialogHook(HWND dialog, UINT msg, WPARAM, LPARAM lParam)
{
    if (msg == WM_INITDIALOG)
    {
        const auto* chooser = reinterpret_cast<const CHOOSECOLORA*>(lParam);
        if (chooser->lCustData) SetWindowTextA(dialog, reinterpret_cast<const char*>(chooser->lCustData));
    }
    return 0;
}
} // namespace

HWND IGraphicsWin::MainWindow()
{
    if (mWindow)
    {
        mMainWindow = GetAncestor(mWindow, GA_ROOT);
        char name[256] = {};
        if (mMainWindow && GetClassNameA(mMainWindow, name, sizeof name) > 0) mMainWindowClass = name;
    }
    else if ((!mMainWindow || !IsWindow(mMainWindow)) && !mMainWindowClass.empty())
    {
        MainWindowSearch search{mProcessId, &mMainWindowClass, nullptr};
        EnumWindows(FindMainWindow, reinterpret_cast<LPARAM>(&search));
        mMainWindow = search.found;
    }
    return mMainWindow;
}

int IGraphicsWin::ShowMessageBox(const char* text, const char* caption, int type)
{
    return MessageBoxA(MainWindow(), text, caption, static_cast<UINT>(type));
}

IPopupMenu* IGraphicsWin::ShowPopupMenu(IPopupMenu& menu, const IArea& area)
{
    ReleaseMouseCapture();
    if (!mWindow) return nullptr;
    int next = 0;
    HMENU handle = BuildMenu(menu, next);
    POINT corner{area.L, area.B};
    ClientToScreen(mWindow, &corner);
    const int command =
        TrackPopupMenu(handle, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY,
                       corner.x, corner.y, 0, mWindow, nullptr);
    IPopupMenu* holder = nullptr;
    if (command > 0)
    {
        next = 0;
        holder = FindHolder(menu, next, command - 1);
    }
    DestroyMenu(handle);
    InvalidateRect(mWindow, nullptr, FALSE);
    return holder;
}

void IGraphicsWin::GetHostPath(std::string& path)
{
    path = ModuleFolder(nullptr);
}

void IGraphicsWin::GetPluginPath(std::string& path)
{
    path = ModuleFolder(mModule);
}

void IGraphicsWin::GetDesktopPath(std::string& path)
{
    path = SpecialFolder(CSIDL_DESKTOPDIRECTORY);
}

void IGraphicsWin::GetAppDataPath(std::string& path, bool systemWide)
{
    path = SpecialFolder(systemWide ? CSIDL_COMMON_APPDATA : CSIDL_APPDATA);
}

void IGraphicsWin::ChooseFile(std::string& fileName, int action, std::string& folder, const char* extensions)
{
    if (!mWindow)
    {
        fileName.clear();
        return;
    }
    // "png jpg" becomes "*.png;*.jpg", both the filter's description and its pattern.
    std::string patterns;
    std::string defaultExtension;
    const std::string list = extensions ? extensions : "";
    for (std::size_t start = 0; start < list.size();)
    {
        const std::size_t end = std::min(list.find(' ', start), list.size());
        if (end > start)
        {
            const std::string extension = list.substr(start, end - start);
            if (defaultExtension.empty()) defaultExtension = extension.substr(0, 15);
            patterns += (patterns.empty() ? "*." : ";*.") + extension;
        }
        start = end + 1;
    }
    std::string filter = patterns + '\0' + patterns + '\0' + '\0';
    char file[256] = {};
    fileName.copy(file, sizeof file - 1);
    const std::string start = folder.empty() ? SpecialFolder(CSIDL_DESKTOPDIRECTORY) : folder;

    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = mWindow;
    dialog.lpstrFilter = patterns.empty() ? nullptr : filter.c_str();
    dialog.lpstrFile = file;
    dialog.nMaxFile = sizeof file;
    dialog.lpstrInitialDir = start.c_str();
    dialog.lpstrDefExt = defaultExtension.empty() ? nullptr : defaultExtension.c_str();
    const bool save = action == 1;
    dialog.Flags = save ? OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST : OFN_FILEMUSTEXIST;
    const BOOL accepted = save ? GetSaveFileNameA(&dialog) : GetOpenFileNameA(&dialog);
    if (!accepted)
    {
        fileName.clear();
        return;
    }
    fileName = file;
    folder = FolderOf(file);
}

bool IGraphicsWin::ChooseColour(IColorRGBA& colour, const char* prompt)
{
    if (!mWindow) return false;
    if (!mCustomColours) mCustomColours = new unsigned long[16]{};
    CHOOSECOLORA chooser{};
    chooser.lStructSize = sizeof chooser;
    chooser.hwndOwner = mWindow;
    chooser.rgbResult = RGB(colour.R, colour.G, colour.B);
    chooser.lpCustColors = mCustomColours;
    chooser.Flags = CC_FULLOPEN | CC_ANYCOLOR | CC_RGBINIT | CC_ENABLEHOOK;
    chooser.lCustData = reinterpret_cast<LPARAM>(prompt);
    chooser.lpfnHook = ColourDialogHook;
    if (!ChooseColorA(&chooser)) return false;
    colour.R = GetRValue(chooser.rgbResult);
    colour.G = GetGValue(chooser.rgbResult);
    colour.B = GetBValue(chooser.rgbResult);
    return true;
}

bool IGraphicsWin::OpenUrl(const char* url, const char* caption, const char* confirmation, const char* error)
{
    if (confirmation && MessageBoxA(MainWindow(), confirmation, caption, MB_YESNO) != IDYES) return false;
    DWORD state = 0;
    if (url && InternetGetConnectedState(&state, 0) &&
        reinterpret_cast<INT_PTR>(ShellExecuteA(MainWindow(), "open", url, nullptr, nullptr, SW_SHOWNORMAL)) >
            32)
        return true;
    if (error) MessageBoxA(MainWindow(), error, caption, MB_OK);
    return false;
}

bool IGraphicsWin::ReadClipboardText(std::string& text)
{
    text.clear();
    if (!IsClipboardFormatAvailable(CF_UNICODETEXT) || !OpenClipboard(mWindow)) return false;
    bool ok = false;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT))
        if (const auto* wide = static_cast<const wchar_t*>(GlobalLock(data)))
        {
            const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
            if (bytes > 0)
            {
                std::vector<char> utf8(static_cast<std::size_t>(bytes));
                WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8.data(), bytes, nullptr, nullptr);
                text = utf8.data();
                ok = true;
            }
            GlobalUnlock(data);
        }
    CloseClipboard();
    return ok;
}

void IGraphicsWin::ConcealCursor()
{
    if (IsCursorHidden()) return;
    POINT p{};
    GetCursorPos(&p);
    ShowCursor(FALSE);
    SetCursorHidden(true, p.x, p.y);
}

void IGraphicsWin::RevealCursor()
{
    if (!IsCursorHidden()) return;
    SetCursorPos(HiddenCursorX(), HiddenCursorY());
    ShowCursor(TRUE);
    SetCursorHidden(false);
}
