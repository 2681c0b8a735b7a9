// The editor's dialogs on Linux: message boxes, file and colour choosers through the desktop's dialog
// programs (zenity, else kdialog) when one is installed, and web addresses opened with xdg-open. The
// programs run without a shell, their arguments passed as they are. Without a dialog program nothing
// is shown and the answer is "nothing chosen".

#include "editor/linux/IGraphicsLinux.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;

namespace
{

// Answers of a message box, and its button sets (the low four bits of the type).
enum : int
{
    kAnswerNone = 0,
    kAnswerOk = 1,
    kAnswerCancel = 2,
    kAnswerYes = 6,
    kAnswerNo = 7,
};
enum : int
{
    kButtonsOk = 0,
    kButtonsOkCancel = 1,
    kButtonsYesNoCancel = 3,
    kButtonsYesNo = 4,
};

// The program's full path when it is an executable file on PATH, else empty.
std::string FindProgram(const char* name)
{
    const char* path = std::getenv("PATH");
    if (!path) return {};
    std::string dirs = path;
    std::size_t start = 0;
    while (start <= dirs.size())
    {
        std::size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        const std::string dir = end > start ? dirs.substr(start, end - start) : ".";
        const std::string candidate = dir + "/" + name;
        struct stat info
        {
        };
        if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
            access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = end + 1;
    }
    return {};
}

struct Run
{
    int status = -1; // the exit status; -1 when the program could not run or did not exit normally
    std::string output;
};

// Runs a program with arguments and waits for it, collecting what it writes to standard output.
Run RunProgram(const std::vector<std::string>& args)
{
    Run run;
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) return run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (spawned != 0)
    {
        close(out[0]);
        return run;
    }
    char buffer[4096];
    for (;;)
    {
        const ssize_t n = read(out[0], buffer, sizeof buffer);
        if (n > 0)
            run.output.append(buffer, static_cast<std::size_t>(n));
        else if (n == 0 || errno != EINTR)
            break;
    }
    close(out[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR)
    {
    }
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

// Starts a program and leaves it running on its own: no zombie is left behind, nothing waits for it.
bool StartDetached(const std::vector<std::string>& args)
{
    const pid_t child = fork();
    if (child < 0) return false;
    if (child == 0)
    {
        // The intermediate child exits at once; the program is adopted by init.
        if (fork() == 0)
        {
            setsid();
            std::vector<char*> argv;
            for (const std::string& a : args)
                argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
        _exit(0);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR)
    {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string FirstLine(const std::string& text)
{
    const std::size_t end = text.find('\n');
    return end == std::string::npos ? text : text.substr(0, end);
}

// "#rrggbb", "rgb(r,g,b)" or "rgba(r,g,b,a)" as the dialog programs write colours.
bool ParseColour(const std::string& text, int& r, int& g, int& b)
{
    unsigned ur = 0, ug = 0, ub = 0;
    char tail = 0;
    if (std::sscanf(text.c_str(), "#%2x%2x%2x%c", &ur, &ug, &ub, &tail) == 3 && text.size() == 7)
    {
        r = static_cast<int>(ur), g = static_cast<int>(ug), b = static_cast<int>(ub);
        return true;
    }
    int ir = 0, ig = 0, ib = 0;
    if (std::sscanf(text.c_str(), "rgb(%d,%d,%d)", &ir, &ig, &ib) == 3 ||
        std::sscanf(text.c_str(), "rgba(%d,%d,%d,", &ir, &ig, &ib) == 3)
    {
        if (ir < 0 || ir > 255 || ig < 0 || ig > 255 || ib < 0 || ib > 255) return false;
        r = ir, g = ig, b = ib;
        return true;
    }
    return false;
}

std::vector<std::string> SplitExtensions(const char* extensions)
{
    std::vector<std::string> list;
    std::string current;
    for (const char* p = extensions ? extensions : "";; ++p)
    {
        if (*p == ' ' || *p == '\0')
        {
            if (!current.empty()) list.push_back(current);
            current.clear();
            if (*p == '\0') break;
        }
        else
            current += *p;
    }
    return list;
}

} // namespace

int IGraphicsLinux::ShowMessageBox(const char* text, const char* caption, int type)
{
    const int buttons = type & 0xF;
    const std::string message = text ? text : "";
    const std::string title = caption ? caption : "";
    // The box belongs to the host's window, above it, while the editor is open.
    const std::string owner = HostWindowId();
    if (const std::string zenity = FindProgram("zenity"); !zenity.empty())
    {
        std::vector<std::string> args{zenity, "--title=" + title, "--text=" + message, "--no-markup"};
        if (!owner.empty()) args.push_back("--attach=" + owner);
        switch (buttons)
        {
        case kButtonsYesNo:
        case kButtonsYesNoCancel:
        {
            args.insert(args.begin() + 1, {"--question", "--ok-label=Yes", "--cancel-label=No"});
            if (buttons == kButtonsYesNoCancel) args.push_back("--extra-button=Cancel");
            const Run run = RunProgram(args);
            if (run.status == 0) return kAnswerYes;
            if (run.status != 1) return kAnswerNone;
            if (buttons == kButtonsYesNoCancel && FirstLine(run.output) == "Cancel") return kAnswerCancel;
            return kAnswerNo;
        }
        case kButtonsOkCancel:
        {
            args.insert(args.begin() + 1, {"--question", "--ok-label=OK", "--cancel-label=Cancel"});
            const Run run = RunProgram(args);
            return run.status == 0 ? kAnswerOk : run.status == 1 ? kAnswerCancel : kAnswerNone;
        }
        default:
        {
            args.insert(args.begin() + 1, "--info");
            const Run run = RunProgram(args);
            return run.status >= 0 ? kAnswerOk : kAnswerNone;
        }
        }
    }
    if (const std::string kdialog = FindProgram("kdialog"); !kdialog.empty())
    {
        const auto ask = [&](std::initializer_list<std::string> what)
        {
            std::vector<std::string> args{kdialog, "--title", title};
            if (!owner.empty()) args.insert(args.end(), {"--attach", owner});
            args.insert(args.end(), what);
            return RunProgram(args).status;
        };
        switch (buttons)
        {
        case kButtonsYesNo:
        {
            const int status = ask({"--yesno", message});
            return status == 0 ? kAnswerYes : status == 1 ? kAnswerNo : kAnswerNone;
        }
        case kButtonsYesNoCancel:
        {
            const int status = ask({"--yesnocancel", message});
            return status == 0   ? kAnswerYes
                   : status == 1 ? kAnswerNo
                   : status == 2 ? kAnswerCancel
                                 : kAnswerNone;
        }
        case kButtonsOkCancel:
        {
            const int status = ask({"--continue-label", "OK", "--warningcontinuecancel", message});
            return status == 0 ? kAnswerOk : status == 2 ? kAnswerCancel : kAnswerNone;
        }
        default:
            return ask({"--msgbox", message}) >= 0 ? kAnswerOk : kAnswerNone;
        }
    }
    return kAnswerNone; // no box could be shown
}

bool IGraphicsLinux::OpenUrl(const char* url, const char* caption, const char* confirmation,
                             const char* error)
{
    if (confirmation && ShowMessageBox(confirmation, caption, kButtonsYesNo) != kAnswerYes) return false;
    // An address that begins like an option would be read as one.
    const bool usable = url && *url && *url != '-';
    const std::string opener = FindProgram("xdg-open");
    if (usable && !opener.empty() && StartDetached({opener, url})) return true;
    if (error) ShowMessageBox(error, caption, kButtonsOk);
    return false;
}

void IGraphicsLinux::ChooseFile(std::string& fileName, int action, std::string& folder,
                                const char* extensions)
{
    const std::string preset = fileName.substr(0, 255);
    fileName.clear();
    if (!GetWindow()) return;
    std::string start = folder;
    if (start.empty()) GetDesktopPath(start);
    if (!start.empty() && start.back() != '/') start += '/';
    const std::vector<std::string> list = SplitExtensions(extensions);
    std::string patterns;
    for (const std::string& e : list)
        patterns += (patterns.empty() ? "*." : " *.") + e;
    const bool save = action == 1;

    Run run;
    if (const std::string zenity = FindProgram("zenity"); !zenity.empty())
    {
        std::vector<std::string> args{zenity, "--file-selection", "--filename=" + start + preset};
        if (save) args.insert(args.end(), {"--save", "--confirm-overwrite"});
        if (!patterns.empty()) args.push_back("--file-filter=" + patterns);
        run = RunProgram(args);
    }
    else if (const std::string kdialog = FindProgram("kdialog"); !kdialog.empty())
        run =
            RunProgram({kdialog, save ? "--getsavefilename" : "--getopenfilename", start + preset, patterns});
    else
        return;
    const std::string chosen = FirstLine(run.output);
    if (run.status != 0 || chosen.empty() || chosen.front() != '/') return;

    fileName = chosen;
    // A saved file without an extension gets the first one offered.
    const std::size_t slash = fileName.rfind('/');
    if (save && !list.empty() && fileName.find('.', slash) == std::string::npos)
    {
        fileName += '.';
        fileName.append(list.front(), 0, 15);
    }
    folder = fileName.substr(0, fileName.rfind('/') + 1);
}

bool IGraphicsLinux::ChooseColour(IColorRGBA& colour, const char* prompt)
{
    if (!GetWindow()) return false;
    char current[32];
    std::snprintf(current, sizeof current, "#%02x%02x%02x", colour.R & 255, colour.G & 255, colour.B & 255);
    const std::string title = prompt ? prompt : "";
    Run run;
    if (const std::string zenity = FindProgram("zenity"); !zenity.empty())
        run = RunProgram({zenity, "--color-selection", "--show-palette", "--title=" + title,
                          std::string("--color=") + current});
    else if (const std::string kdialog = FindProgram("kdialog"); !kdialog.empty())
        run = RunProgram({kdialog, "--title", title, "--getcolor", "--default", current});
    else
        return false;
    int r = 0, g = 0, b = 0;
    if (run.status != 0 || !ParseColour(FirstLine(run.output), r, g, b)) return false;
    colour.R = r;
    colour.G = g;
    colour.B = b; // alpha stays
    return true;
}
