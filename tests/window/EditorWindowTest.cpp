// The Linux editor window on its own, without a plug-in, in a real X server: popup menus with
// submenus and item flags, tooltips, the clipboard, the cursor, and the dialogs run through stand-in
// dialog programs put first on PATH.

#include "XDriver.h"

#include "editor/IControl.h"
#include "editor/linux/IGraphicsLinux.h"

#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <sstream>
#include <thread>

namespace
{

namespace fs = std::filesystem;

constexpr int kW = 300;
constexpr int kH = 200;

// A control that shows a menu when pressed, and keeps what was chosen.
class MenuButton : public IControl
{
public:
    MenuButton(IArea area) : IControl(nullptr, area) {}
    bool Draw(IGraphics& g) override
    {
        (void)g;
        return true;
    }
    void OnMouseDown(int, int, const IMouseModifiers&) override
    {
        menu = std::make_unique<IPopupMenu>();
        menu->AddItem("Alpha");
        menu->AddItem("Beta", IPopupMenuItem::kDisabled);
        menu->AddSeparator();
        auto sub = std::make_unique<IPopupMenu>();
        sub->AddItem("One");
        sub->AddItem("Two", IPopupMenuItem::kChecked);
        sub->AddItem("Three");
        sub->prefix = IPopupMenu::kPrefix02;
        menu->AddSubmenu("More", std::move(sub));
        menu->AddItem("Gamma", IPopupMenuItem::kGray);
        IArea below = mArea;
        chosen = Graphics()->ShowPopupMenu(*menu, below);
        ++shown;
    }
    std::unique_ptr<IPopupMenu> menu;
    std::atomic<IPopupMenu*> chosen{nullptr};
    std::atomic<int> shown{0};
};

class Tipped : public IControl
{
public:
    Tipped(IArea area) : IControl(nullptr, area) { SetTooltip("Turn me"); }
    bool Draw(IGraphics&) override { return true; }
};

struct EditorWindow : ::testing::Test
{
    XDriver x;
    IGraphicsLinux editor{nullptr, kW, kH, 25};
    MenuButton* button = nullptr;
    unsigned long parent = 0;
    std::atomic<bool> stop{false};
    std::thread ui;

    void SetUp() override
    {
        ASSERT_TRUE(x.Connected());
        button = new MenuButton(IArea{10, 10, 110, 40});
        editor.AddControl(button);
        editor.AddControl(new Tipped(IArea{150, 100, 250, 150}));
        editor.SetHandleMouseOver(true);
        editor.SetShowTooltips(true);
        parent = x.CreateHostWindow(100, 100, kW, kH);
        ASSERT_NE(editor.OpenWindow(reinterpret_cast<void*>(parent)), nullptr);
        // The host's user-interface thread.
        ui = std::thread(
            [this]
            {
                while (!stop)
                {
                    editor.OnHostTimer();
                    std::this_thread::sleep_for(std::chrono::milliseconds(5));
                }
            });
        x.Wait(100);
    }
    void TearDown() override
    {
        stop = true;
        if (ui.joinable()) ui.join();
        editor.CloseWindow();
    }
    std::vector<unsigned long> Menus() { return x.TopLevelsNamed("Brisbleep menu"); }
    // The centre of a row of a menu window with rows of equal height plus separators.
    void RowCentre(unsigned long menu, int rowsAbove, int separatorsAbove, int& cx, int& cy)
    {
        int mx = 0, my = 0, mw = 0, mh = 0;
        x.Geometry(menu, mx, my, mw, mh);
        const int rows = rowsAbove;
        cx = mx + mw / 2;
        cy = my + 3 + rows * rowHeight + separatorsAbove * 7 + rowHeight / 2;
    }
    int rowHeight = 0;
};

TEST_F(EditorWindow, SubmenuItemsAreChosenAndDisabledOnesAreNot)
{
    x.Click(100 + 50, 100 + 20);
    ASSERT_TRUE(x.WaitUntil([&] { return Menus().size() == 1; }));
    auto menus = Menus();
    int mx = 0, my = 0, mw = 0, mh = 0;
    x.Geometry(menus[0], mx, my, mw, mh);
    EXPECT_EQ(mx, 110);
    EXPECT_EQ(my, 140);           // the bottom of the control
    rowHeight = (mh - 6 - 7) / 4; // four rows and a separator
    ASSERT_GT(rowHeight, 8);

    // A disabled row and a grey one take no click; the menu stays.
    int cx = 0, cy = 0;
    RowCentre(menus[0], 1, 0, cx, cy); // Beta
    x.Click(cx, cy);
    RowCentre(menus[0], 3, 1, cx, cy); // Gamma
    x.Click(cx, cy);
    x.Wait(100);
    EXPECT_EQ(Menus().size(), 1u);
    EXPECT_EQ(button->shown.load(), 0);

    // Hovering More opens its submenu beside it; Two is chosen there.
    RowCentre(menus[0], 2, 1, cx, cy);
    x.MoveTo(cx, cy);
    ASSERT_TRUE(x.WaitUntil([&] { return Menus().size() == 2; }));
    menus = Menus();
    int sx = 0, sy = 0, sw = 0, sh = 0;
    for (unsigned long m : menus)
    {
        x.Geometry(m, sx, sy, sw, sh);
        if (sx > mx) break;
    }
    EXPECT_GE(sx, mx + mw - 4);
    x.MoveTo(sx + sw / 2, sy + 3 + rowHeight + rowHeight / 2);
    x.Press(1);
    x.Release(1);
    EXPECT_TRUE(x.WaitUntil([&] { return button->shown.load() == 1; }));
    EXPECT_TRUE(Menus().empty());
    ASSERT_NE(button->chosen.load(), nullptr);
    EXPECT_EQ(button->chosen.load(), button->menu->Item(3).submenu.get());
    EXPECT_EQ(button->chosen.load()->chosenItemIdx, 1);
    EXPECT_EQ(button->menu->chosenItemIdx, -1);

    // Escape dismisses: nothing chosen.
    x.Click(100 + 50, 100 + 20);
    ASSERT_TRUE(x.WaitUntil([&] { return Menus().size() == 1; }));
    x.Key(XK_Escape);
    EXPECT_TRUE(x.WaitUntil([&] { return button->shown.load() == 2; }));
    EXPECT_TRUE(Menus().empty());
    EXPECT_EQ(button->chosen.load(), nullptr);
}

TEST_F(EditorWindow, TooltipShowsAfterTheMouseRestsAndHidesWhenItLeaves)
{
    x.MoveTo(100 + 200, 100 + 125);
    EXPECT_TRUE(x.TopLevelsNamed("Brisbleep tooltip").empty()) << "not before the pointer rested";
    ASSERT_TRUE(x.WaitUntil([&] { return x.TopLevelsNamed("Brisbleep tooltip").size() == 1; }));
    const auto tips = x.TopLevelsNamed("Brisbleep tooltip");
    int tx = 0, ty = 0, tw = 0, th = 0;
    x.Geometry(tips[0], tx, ty, tw, th);
    EXPECT_GT(tx, 100 + 200);
    EXPECT_GT(ty, 100 + 125);
    x.MoveTo(100 + 20, 100 + 180); // over no control
    EXPECT_TRUE(x.WaitUntil([&] { return x.TopLevelsNamed("Brisbleep tooltip").empty(); }));
}

TEST_F(EditorWindow, ClipboardTextIsReadAsUtf8)
{
    Display* d = static_cast<Display*>(x.RawDisplay());
    std::string out;
    EXPECT_FALSE(editor.ReadClipboardText(out)) << "nobody owns the clipboard";

    const Atom clipboard = XInternAtom(d, "CLIPBOARD", False);
    const Atom utf8 = XInternAtom(d, "UTF8_STRING", False);
    const std::string text = "Ωmega 42";
    XSetSelectionOwner(d, clipboard, parent, CurrentTime);
    XSync(d, False);
    auto reading = std::async(std::launch::async,
                              [&]
                              {
                                  std::string read;
                                  const bool ok = editor.ReadClipboardText(read);
                                  return ok ? read : std::string("<failed>");
                              });
    // Serve the request as a clipboard owner does.
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (reading.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready &&
           std::chrono::steady_clock::now() < end)
    {
        XEvent e;
        while (XCheckTypedEvent(d, SelectionRequest, &e))
        {
            const XSelectionRequestEvent& r = e.xselectionrequest;
            XEvent reply{};
            reply.xselection.type = SelectionNotify;
            reply.xselection.requestor = r.requestor;
            reply.xselection.selection = r.selection;
            reply.xselection.target = r.target;
            reply.xselection.time = r.time;
            reply.xselection.property = None;
            if (r.target == utf8)
            {
                XChangeProperty(d, r.requestor, r.property, utf8, 8, PropModeReplace,
                                reinterpret_cast<const unsigned char*>(text.data()),
                                static_cast<int>(text.size()));
                reply.xselection.property = r.property;
            }
            XSendEvent(d, r.requestor, False, 0, &reply);
            XFlush(d);
        }
    }
    EXPECT_EQ(reading.get(), text);
}

TEST_F(EditorWindow, ConcealedCursorComesBackWhereItWas)
{
    Display* d = static_cast<Display*>(x.RawDisplay());
    const auto pointer = [d]
    {
        Window root = 0, child = 0;
        int rx = 0, ry = 0, wx = 0, wy = 0;
        unsigned mask = 0;
        XQueryPointer(d, DefaultRootWindow(d), &root, &child, &rx, &ry, &wx, &wy, &mask);
        return std::pair<int, int>(rx, ry);
    };
    x.MoveTo(100 + 60, 100 + 70);
    editor.ConcealCursor();
    x.MoveTo(100 + 200, 100 + 20); // a drag moves the hidden pointer
    editor.ConcealCursor();        // already hidden: the first place is kept
    editor.RevealCursor();
    x.Wait(50);
    EXPECT_EQ(pointer(), std::make_pair(160, 170));
    editor.RevealCursor(); // shown already: nothing moves
    x.MoveTo(100 + 10, 100 + 10);
    editor.RevealCursor();
    EXPECT_EQ(pointer(), std::make_pair(110, 110));
}

// Stand-in dialog programs: each records its arguments, one per line, and answers as the test says.
struct Dialogs : EditorWindow
{
    fs::path dir = fs::temp_directory_path() / ("brisbleep-dialogs-" + std::to_string(getpid()));
    std::string savedPath;

    void SetUp() override
    {
        fs::create_directories(dir);
        savedPath = std::getenv("PATH") ? std::getenv("PATH") : "";
        setenv("PATH", dir.c_str(), 1);
        EditorWindow::SetUp();
    }
    void TearDown() override
    {
        EditorWindow::TearDown();
        setenv("PATH", savedPath.c_str(), 1);
        fs::remove_all(dir);
    }
    void Program(const std::string& name, const std::string& answer, int status)
    {
        const fs::path file = dir / name;
        std::ofstream script(file);
        script << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '"
               << (dir / (name + ".args")).string() << "'\nprintf '%s' '" << answer << "'\nexit " << status
               << "\n";
        script.close();
        fs::permissions(file, fs::perms::owner_all);
    }
    std::vector<std::string> Args(const std::string& name)
    {
        std::ifstream in(dir / (name + ".args"));
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }
    bool Has(const std::vector<std::string>& args, const std::string& a)
    {
        return std::find(args.begin(), args.end(), a) != args.end();
    }
};

TEST_F(Dialogs, MessageBoxAnswers)
{
    EXPECT_EQ(editor.ShowMessageBox("Hi", "Box", 0), 0) << "no dialog program: nothing shown";
    struct Case
    {
        int type;
        const char* answer;
        int status;
        int result;
    };
    const Case zenity[] = {
        {0, "", 0, 1}, {4, "", 0, 6}, {4, "", 1, 7},         {1, "", 0, 1}, {1, "", 1, 2},
        {3, "", 0, 6}, {3, "", 1, 7}, {3, "Cancel\n", 1, 2}, {4, "", 5, 0},
    };
    for (const Case& c : zenity)
    {
        Program("zenity", c.answer, c.status);
        EXPECT_EQ(editor.ShowMessageBox("Sure?", "Question", c.type), c.result) << c.type << " " << c.status;
    }
    const auto args = Args("zenity");
    EXPECT_TRUE(Has(args, "--text=Sure?"));
    EXPECT_TRUE(Has(args, "--title=Question"));
    char owner[32];
    std::snprintf(owner, sizeof owner, "0x%lx", parent);
    EXPECT_TRUE(Has(args, std::string("--attach=") + owner)) << "the box belongs to the host's window";

    fs::remove(dir / "zenity");
    const Case kdialog[] = {{4, "", 0, 6}, {4, "", 1, 7}, {3, "", 2, 2}, {0, "", 0, 1}};
    for (const Case& c : kdialog)
    {
        Program("kdialog", c.answer, c.status);
        EXPECT_EQ(editor.ShowMessageBox("Sure?", "Question", c.type), c.result) << c.type << " " << c.status;
    }
    EXPECT_EQ(Args("kdialog"),
              (std::vector<std::string>{"--title", "Question", "--attach", owner, "--msgbox", "Sure?"}));
}

TEST_F(Dialogs, FileChooser)
{
    Program("zenity", "/tmp/sounds/coin\n", 0);
    std::string name = "coin";
    std::string folder = "/tmp/sounds/";
    editor.ChooseFile(name, 1, folder, "wav flac");
    EXPECT_EQ(name, "/tmp/sounds/coin.wav"); // the first extension added to a bare name
    EXPECT_EQ(folder, "/tmp/sounds/");
    auto args = Args("zenity");
    EXPECT_TRUE(Has(args, "--save"));
    EXPECT_TRUE(Has(args, "--confirm-overwrite"));
    EXPECT_TRUE(Has(args, "--file-filter=*.wav *.flac"));
    EXPECT_TRUE(Has(args, "--filename=/tmp/sounds/coin"));

    Program("zenity", "/home/me/a.b/patch.fxp\n", 0);
    name.clear();
    folder.clear();
    editor.ChooseFile(name, 0, folder, "fxp");
    EXPECT_EQ(name, "/home/me/a.b/patch.fxp");
    EXPECT_EQ(folder, "/home/me/a.b/");
    EXPECT_FALSE(Has(Args("zenity"), "--save"));

    Program("zenity", "", 1); // cancelled
    name = "x";
    editor.ChooseFile(name, 0, folder, "fxp");
    EXPECT_EQ(name, "");
    EXPECT_EQ(folder, "/home/me/a.b/");

    editor.CloseWindow();
    name = "x";
    editor.ChooseFile(name, 0, folder, "fxp");
    EXPECT_EQ(name, "") << "closed window: nothing chosen";
}

TEST_F(Dialogs, ColourChooser)
{
    struct Case
    {
        const char* answer;
        int status;
        bool accepted;
        int r, g, b;
    };
    const Case cases[] = {
        {"rgb(10,20,30)\n", 0, true, 10, 20, 30}, {"#0a141f\n", 0, true, 10, 20, 31},
        {"rgba(1,2,3,0.5)\n", 0, true, 1, 2, 3},  {"rgb(300,0,0)\n", 0, false, 5, 6, 7},
        {"rgb(1,2,3)\n", 1, false, 5, 6, 7},      {"blue\n", 0, false, 5, 6, 7},
    };
    for (const Case& c : cases)
    {
        Program("zenity", c.answer, c.status);
        IColorRGBA colour{128, 5, 6, 7};
        EXPECT_EQ(editor.ChooseColour(colour, "Pick"), c.accepted) << c.answer;
        EXPECT_EQ(colour.A, 128);
        EXPECT_EQ(colour.R, c.r);
        EXPECT_EQ(colour.G, c.g);
        EXPECT_EQ(colour.B, c.b);
    }
    EXPECT_TRUE(Has(Args("zenity"), "--color=#050607"));
    EXPECT_TRUE(Has(Args("zenity"), "--title=Pick"));
}

TEST_F(Dialogs, OpenUrlThroughXdgOpen)
{
    EXPECT_FALSE(editor.OpenUrl("https://example.org/", "Web", nullptr, nullptr)) << "no opener";
    Program("xdg-open", "", 0);
    EXPECT_TRUE(editor.OpenUrl("https://example.org/", "Web", nullptr, nullptr));
    x.Wait(200); // the opener runs on its own
    EXPECT_EQ(Args("xdg-open"), std::vector<std::string>{"https://example.org/"});
    EXPECT_FALSE(editor.OpenUrl("--help", "Web", nullptr, nullptr));

    // A confirmation answered No opens nothing.
    fs::remove(dir / "xdg-open.args");
    Program("zenity", "", 1);
    EXPECT_FALSE(editor.OpenUrl("https://example.org/", "Web", "Open the page?", nullptr));
    x.Wait(100);
    EXPECT_FALSE(fs::exists(dir / "xdg-open.args"));
    Program("zenity", "", 0);
    EXPECT_TRUE(editor.OpenUrl("https://example.org/", "Web", "Open the page?", nullptr));
    x.Wait(200);
    EXPECT_TRUE(fs::exists(dir / "xdg-open.args"));
}

} // namespace
