// Checks a host that runs on its own (the SDK's editorhost sample): waits for the editor window to
// appear anywhere on the screen, lets it draw, writes a screenshot and compares its pixels with the
// same editor drawn headless. Exit status 0 when they are equal.

#include "XDriver.h"

#include "editor/IEditorSnapshot.h"
#include "editor/IGraphics.h"
#include "instrument/Brisbleep.h"
#include "raster/PIX_Bitmap.h"

#include <X11/Xlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>

namespace
{

// The first viewable window with this title, searched depth first from the root.
unsigned long FindNamed(Display* d, unsigned long window, const char* title)
{
    char* name = nullptr;
    if (XFetchName(d, window, &name) && name)
    {
        const bool match = std::string(name) == title;
        XFree(name);
        XWindowAttributes a{};
        if (match && XGetWindowAttributes(d, window, &a) && a.map_state == IsViewable) return window;
    }
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    unsigned long found = 0;
    if (XQueryTree(d, window, &root, &parent, &children, &count))
        for (unsigned i = 0; i < count && !found; ++i)
            found = FindNamed(d, children[i], title);
    if (children) XFree(children);
    return found;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: %s SCREENSHOT.png | --intern-atoms\n", argv[0]);
        return 2;
    }
    XDriver x;
    if (!x.Connected()) return std::fprintf(stderr, "no X server\n"), 1;
    Display* d = static_cast<Display*>(x.RawDisplay());
    if (std::string(argv[1]) == "--intern-atoms")
    {
        // The sample host only looks the XEmbed atoms up; on a desktop the toolkits have made them long
        // before, on a fresh server this does.
        XInternAtom(d, "_XEMBED_INFO", False);
        XInternAtom(d, "_XEMBED", False);
        XSync(d, False);
        return 0;
    }

    unsigned long editor = 0;
    for (int i = 0; i < 200 && !editor; ++i)
    {
        editor = FindNamed(d, DefaultRootWindow(d), "Brisbleep");
        if (!editor) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (!editor) return std::fprintf(stderr, "the editor window did not appear within 10 s\n"), 1;
    std::this_thread::sleep_for(std::chrono::seconds(2)); // a few seconds of running

    int w = 0, h = 0, sx = 0, sy = 0;
    const std::vector<uint32_t> pixels = x.Capture(editor, w, h);
    x.ScreenPosition(editor, sx, sy);
    const std::string written = x.SaveScreen(sx, sy, w, h, argv[1]);
    if (!written.empty()) std::fprintf(stderr, "%s\n", written.c_str());

    Brisbleep instrument{OfflineHostContext{}};
    instrument.CreateEditor();
    DrawWholeEditor(*instrument.editorGraphics);
    PIX_SysBitmap& reference = *instrument.editorGraphics->DrawBitmapSurface();
    if (pixels.empty() || w != reference.Width() || h != reference.Height())
        return std::fprintf(stderr, "the editor window is %dx%d, not %dx%d\n", w, h, reference.Width(),
                            reference.Height()),
               1;
    // Only what the host's windows let be seen can be compared: each ancestor clips to its inside.
    IArea visible{sx, sy, sx + w, sy + h};
    for (Window window = editor;;)
    {
        Window root = 0, parent = 0;
        Window* children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(d, window, &root, &parent, &children, &count)) break;
        if (children) XFree(children);
        if (parent == root || parent == 0) break;
        XWindowAttributes a{};
        XGetWindowAttributes(d, parent, &a);
        int px = 0, py = 0;
        x.ScreenPosition(parent, px, py);
        visible = IArea{std::max(visible.L, px), std::max(visible.T, py), std::min(visible.R, px + a.width),
                        std::min(visible.B, py + a.height)};
        window = parent;
    }
    visible = IArea{visible.L - sx, visible.T - sy, visible.R - sx, visible.B - sy};
    std::printf("the host shows (%d,%d)-(%d,%d) of the %dx%d editor\n", visible.L, visible.T, visible.R,
                visible.B, w, h);
    if (visible.L > 0 || visible.T > 0 || visible.R < w - 2 || visible.B < h - 2)
        return std::fprintf(stderr, "the host hides part of the editor\n"), 1;
    int differ = 0;
    IArea box{w, h, 0, 0};
    for (int y = 0; y < visible.B; ++y)
        for (int i = 0; i < visible.R; ++i)
        {
            if ((reference.Bits()[y * reference.RowSpan() + i] & 0xFFFFFF) ==
                pixels[static_cast<std::size_t>(y) * w + i])
                continue;
            ++differ;
            box =
                IArea{std::min(box.L, i), std::min(box.T, y), std::max(box.R, i + 1), std::max(box.B, y + 1)};
        }
    if (differ != 0)
        return std::fprintf(stderr, "%d pixels differ from the headless editor, within (%d,%d)-(%d,%d)\n",
                            differ, box.L, box.T, box.R, box.B),
               1;
    std::printf("the editor shows in the host, %dx%d, equal to the headless drawing\n", w, h);

    // Alive in the host's run loop: a click on COIN makes a new sound, and the knobs show it.
    if (!x.HasXTest()) return std::fprintf(stderr, "no XTest\n"), 1;
    x.Click(sx + 315, sy + 581);
    const bool redrawn = x.WaitUntil(
        [&]
        {
            int cw = 0, ch = 0;
            const std::vector<uint32_t> now = x.Capture(editor, cw, ch);
            int changed = 0;
            for (std::size_t i = 0; i < now.size() && i < pixels.size(); ++i)
                changed += now[i] != pixels[i];
            return changed > 1000;
        });
    if (!redrawn) return std::fprintf(stderr, "a click on COIN changed nothing on the screen\n"), 1;
    std::printf("a click on COIN redrew the editor\n");
    return 0;
}
