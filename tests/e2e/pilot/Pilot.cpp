// Test pilot: runs a Windows program, records and answers its dialogs, and
// answers questions about the machine (installed products, components, registry)
// from the Windows side, so scenarios on the host can drive the setup.
//
//   pilot run --log <file> [--answer <a>]... [--timeout <s>] [--env NAME=VALUE]... -- <exe> [args]
//   pilot related <upgrade code>          product codes, one a line
//   pilot products                        every installed product code, one a line
//   pilot productinfo <product> <property>
//   pilot locate <component code>         "<state> <path>"
//   pilot regget <32|64> <HKLM subkey> <value>
//   pilot processes <exe name>            process ids of running programs of that name, one a line
//
// Exit codes of the query commands: 0 answered, 1 Windows Installer error
// (the code on stderr), 2 usage error.
#include <windows.h>

#include <psapi.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

const int kExitUsage = 2;
const int kExitTimeout = 124; // also logged as a "timeout" event
const int kExitPilotError = 125;

// ---------------------------------------------------------------- handles

class CHandle {
public:
    explicit CHandle(HANDLE h = nullptr) : m_h(h) {}
    CHandle(const CHandle&) = delete;
    CHandle& operator=(const CHandle&) = delete;
    ~CHandle() {
        if (m_h && m_h != INVALID_HANDLE_VALUE)
            CloseHandle(m_h);
    }
    HANDLE Get() const { return m_h; }
    bool Valid() const { return m_h && m_h != INVALID_HANDLE_VALUE; }

private:
    HANDLE m_h;
};

class CModule {
public:
    explicit CModule(HMODULE m) : m_m(m) {}
    CModule(const CModule&) = delete;
    CModule& operator=(const CModule&) = delete;
    ~CModule() {
        if (m_m)
            FreeLibrary(m_m);
    }
    HMODULE Get() const { return m_m; }

private:
    HMODULE m_m;
};

class CRegKey {
public:
    CRegKey() = default;
    CRegKey(const CRegKey&) = delete;
    CRegKey& operator=(const CRegKey&) = delete;
    ~CRegKey() {
        if (m_key)
            RegCloseKey(m_key);
    }
    HKEY* Out() { return &m_key; }
    HKEY Get() const { return m_key; }

private:
    HKEY m_key = nullptr;
};

class CEnvironmentStrings {
public:
    CEnvironmentStrings() : m_block(GetEnvironmentStringsW()) {}
    CEnvironmentStrings(const CEnvironmentStrings&) = delete;
    CEnvironmentStrings& operator=(const CEnvironmentStrings&) = delete;
    ~CEnvironmentStrings() {
        if (m_block)
            FreeEnvironmentStringsW(m_block);
    }
    const wchar_t* Get() const { return m_block; }

private:
    wchar_t* m_block;
};

// ---------------------------------------------------------------- text

std::string ToUtf8(const std::wstring& w) {
    if (w.empty())
        return std::string();
    int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string s(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), &s[0], n, nullptr,
                        nullptr);
    return s;
}

std::wstring ToWide(const std::string& s, UINT codePage) {
    if (s.empty())
        return std::wstring();
    int n = MultiByteToWideChar(codePage, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, s.data(), static_cast<int>(s.size()), &w[0], n);
    return w;
}

// JSON string literal from UTF-8 text.
std::string Json(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20) {
                char buf[8];
                snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

std::string WindowText(HWND hwnd) {
    int len = GetWindowTextLengthW(hwnd);
    std::wstring w(static_cast<size_t>(len) + 1, L'\0');
    int got = GetWindowTextW(hwnd, &w[0], len + 1);
    w.resize(static_cast<size_t>(got > 0 ? got : 0));
    return ToUtf8(w);
}

std::string ClassName(HWND hwnd) {
    wchar_t buf[256] = {};
    GetClassNameW(hwnd, buf, 255);
    return ToUtf8(buf);
}

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// Quotes one argument the way the C runtime splits command lines.
std::string QuoteArg(const std::string& arg) {
    if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos)
        return arg;
    std::string out = "\"";
    size_t slashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            ++slashes;
        } else if (c == '"') {
            out.append(slashes * 2 + 1, '\\');
            out += '"';
            slashes = 0;
        } else {
            out.append(slashes, '\\');
            out += c;
            slashes = 0;
        }
    }
    out.append(slashes * 2, '\\');
    return out + "\"";
}

// ---------------------------------------------------------------- log

class CLog {
public:
    explicit CLog(const std::string& path)
        : m_file(CreateFileW(ToWide(path, CP_UTF8).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    bool Valid() const { return m_file.Valid(); }
    // One JSON object a line, written at once so a killed run still leaves a log.
    void Line(const std::string& json) {
        // Milliseconds since the log was opened, to see where a slow run spends its time.
        std::string line = json.substr(0, json.size() - 1) +
                           ",\"ms\":" + std::to_string(GetTickCount64() - m_start) + "}\n";
        DWORD written = 0;
        WriteFile(m_file.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
        FlushFileBuffers(m_file.Get());
    }

private:
    CHandle m_file;
    ULONGLONG m_start = GetTickCount64();
};

// ---------------------------------------------------------------- dialogs

struct Button {
    int id;
    std::string text;
    HWND hwnd;
};

struct ChildInfo {
    std::string cls;
    int id;
    std::string text;
    RECT rect; // in the dialog's client coordinates
    LONG style;
    LONG exStyle;
    bool direct; // a child of the dialog itself, not of another child
};

struct DialogInfo {
    HWND hwnd;
    std::string cls;
    std::string caption;
    std::string text;
    std::vector<Button> buttons;
    std::vector<ChildInfo> children;
    RECT client;
};

BOOL CALLBACK CollectChild(HWND child, LPARAM param) {
    auto* info = reinterpret_cast<DialogInfo*>(param);
    std::string cls = Lower(ClassName(child));
    int id = GetDlgCtrlID(child);
    RECT rect = {};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, info->hwnd, reinterpret_cast<POINT*>(&rect), 2);
    info->children.push_back(
        ChildInfo{ClassName(child), id, WindowText(child), rect, GetWindowLongA(child, GWL_STYLE),
                  GetWindowLongA(child, GWL_EXSTYLE), GetParent(child) == info->hwnd});
    if (cls == "button") {
        info->buttons.push_back(Button{id, WindowText(child), child});
    } else if (cls == "static" && id == 0xFFFF) {
        std::string t = WindowText(child);
        if (!t.empty())
            info->text += (info->text.empty() ? "" : "\n") + t;
    }
    return TRUE;
}

DialogInfo Inspect(HWND hwnd) {
    DialogInfo info;
    info.hwnd = hwnd;
    GetClientRect(hwnd, &info.client);
    info.cls = ClassName(hwnd);
    info.caption = WindowText(hwnd);
    EnumChildWindows(hwnd, CollectChild, reinterpret_cast<LPARAM>(&info));
    return info;
}

const Button* FindButton(const DialogInfo& d, int id) {
    for (const Button& b : d.buttons)
        if (b.id == id)
            return &b;
    return nullptr;
}

struct Answer {
    std::string name; // ok, cancel, yes, no, close, leave, id:<n>
    int buttonId;     // 0: no button (close or leave)
};

// Button id for a scripted answer; -1 when the answer names no button.
int AnswerButtonId(const std::string& answer) {
    if (answer == "ok")
        return IDOK;
    if (answer == "cancel")
        return IDCANCEL;
    if (answer == "yes")
        return IDYES;
    if (answer == "no")
        return IDNO;
    if (answer.compare(0, 3, "id:") == 0)
        return atoi(answer.c_str() + 3);
    return -1;
}

// Without a script: the cautious choice. A question is declined (No, else
// Cancel), a notice is acknowledged (OK), anything else is closed.
Answer DefaultAnswer(const DialogInfo& d) {
    if (FindButton(d, IDNO))
        return Answer{"no", IDNO};
    if (FindButton(d, IDCANCEL))
        return Answer{"cancel", IDCANCEL};
    if (FindButton(d, IDOK))
        return Answer{"ok", IDOK};
    return Answer{"close", 0};
}

std::string RectJson(const RECT& r) {
    return "[" + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
           std::to_string(r.right) + "," + std::to_string(r.bottom) + "]";
}

// Identifier of the control with the keyboard focus in the window's thread; -1 for none.
int FocusedId(HWND window) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) || !info.hwndFocus)
        return -1;
    return info.hwndFocus == window ? 0 : GetDlgCtrlID(info.hwndFocus);
}

std::vector<std::string> SplitSteps(const std::string& answer) {
    std::vector<std::string> steps;
    size_t start = 0;
    for (;;) {
        size_t plus = answer.find('+', start);
        steps.push_back(answer.substr(start, plus - start));
        if (plus == std::string::npos)
            return steps;
        start = plus + 1;
    }
}

// Steps that act on a window without ending the answer: a key, a focus change,
// a pause, a real click on a control through its own mouse handling.
bool IsActionStep(const std::string& step) {
    return step == "esc" || step == "enter" || step == "space" ||
           step.compare(0, 6, "focus:") == 0 || step.compare(0, 5, "wait:") == 0 ||
           step.compare(0, 6, "click:") == 0;
}

// A key goes to the focused window of the program's thread, posted, so it passes
// the program's own message loop as a real key press does.
void PostKey(HWND window, WPARAM vk) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
    HWND target = info.hwndFocus ? info.hwndFocus : window;
    UINT scan = MapVirtualKeyA(static_cast<UINT>(vk), MAPVK_VK_TO_VSC);
    PostMessageA(target, WM_KEYDOWN, vk, 1 | (scan << 16));
    Sleep(50);
    PostMessageA(target, WM_KEYUP, vk, 1 | (scan << 16) | (3u << 30));
}

void PostClick(HWND control) {
    RECT rc = {};
    GetClientRect(control, &rc);
    LPARAM at = MAKELPARAM((rc.right - rc.left) / 2, (rc.bottom - rc.top) / 2);
    PostMessageA(control, WM_MOUSEMOVE, 0, at);
    Sleep(50);
    PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, at);
    Sleep(50);
    PostMessageA(control, WM_LBUTTONUP, 0, at);
}

struct Watch {
    DWORD pid;
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectTopLevel(HWND hwnd, LPARAM param) {
    auto* w = reinterpret_cast<Watch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == w->pid && IsWindowVisible(hwnd))
        w->windows.push_back(hwnd);
    return TRUE;
}

class CPilot {
public:
    CPilot(CLog& log, std::vector<std::string> answers) : m_log(log), m_answers(answers) {}

    // Records each new visible top-level window of the process once and answers dialogs.
    void Scan(DWORD pid) {
        Watch w{pid, {}};
        EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&w));
        // Forget windows that are gone, so a recycled handle counts as new.
        for (auto it = m_seen.begin(); it != m_seen.end();) {
            if (IsWindow(*it)) {
                ++it;
                continue;
            }
            m_log.Line("{\"event\":\"gone\"}");
            it = m_seen.erase(it);
        }
        for (HWND hwnd : w.windows) {
            if (m_seen.count(hwnd))
                continue;
            m_seen.insert(hwnd);
            Handle(hwnd);
        }
    }

private:
    void Handle(HWND hwnd) {
        DialogInfo d = Inspect(hwnd);
        std::string json = "{\"event\":\"dialog\",\"class\":" + Json(d.cls) +
                           ",\"caption\":" + Json(d.caption) + ",\"text\":" + Json(d.text) +
                           ",\"buttons\":[";
        for (size_t i = 0; i < d.buttons.size(); ++i) {
            json += (i ? "," : "") + std::string("{\"id\":") + std::to_string(d.buttons[i].id) +
                    ",\"text\":" + Json(d.buttons[i].text) + "}";
        }
        RECT window = {};
        GetWindowRect(hwnd, &window);
        json += "],\"client\":" + RectJson(d.client) + ",\"window\":" + RectJson(window) +
                ",\"focus\":" + std::to_string(FocusedId(hwnd)) + ",\"children\":[";
        for (size_t i = 0; i < d.children.size(); ++i) {
            const ChildInfo& c = d.children[i];
            json += (i ? "," : "") + std::string("{\"class\":") + Json(c.cls) +
                    ",\"id\":" + std::to_string(c.id) + ",\"text\":" + Json(c.text) +
                    ",\"rect\":" + RectJson(c.rect) +
                    ",\"style\":" + std::to_string(static_cast<unsigned long>(c.style)) +
                    ",\"exstyle\":" + std::to_string(static_cast<unsigned long>(c.exStyle)) +
                    ",\"direct\":" + (c.direct ? "true" : "false") + "}";
        }
        json += "]";

        bool scripted = m_next < m_answers.size();
        // Leading action steps ("esc+close"), each logged with whether the window
        // is still open after it; the last step is the answer proper.
        std::vector<std::string> steps;
        if (scripted) {
            steps = SplitSteps(m_answers[m_next]);
            // Ending in an action ("esc+click:55007"): the action is the answer's
            // last word, and the window is then left to the program.
            if (IsActionStep(steps.back())) {
                m_answers[m_next] = "leave";
            } else {
                m_answers[m_next] = steps.back();
                steps.pop_back();
            }
        }
        std::string error;
        Answer answer{"", 0};
        if (scripted) {
            answer.name = m_answers[m_next++];
            int id = AnswerButtonId(answer.name);
            if (id > 0 && !FindButton(d, id)) {
                error = "no button for answer " + answer.name;
                answer = DefaultAnswer(d);
            } else if (id < 0 && answer.name != "close" && answer.name != "leave") {
                error = "unknown answer " + answer.name;
                answer = DefaultAnswer(d);
            } else {
                answer.buttonId = id > 0 ? id : 0;
            }
        } else {
            answer = DefaultAnswer(d);
        }
        for (const std::string& step : steps) {
            if (!IsActionStep(step))
                error = "unknown step " + step;
        }
        json += ",\"answer\":" + Json(answer.name) +
                ",\"scripted\":" + (scripted && error.empty() ? "true" : "false");
        if (!error.empty())
            json += ",\"error\":" + Json(error);
        m_log.Line(json + "}");
        if (error.empty())
            RunSteps(hwnd, steps);

        if (answer.buttonId > 0) {
            const Button* b = FindButton(d, answer.buttonId);
            PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(answer.buttonId, BN_CLICKED),
                         reinterpret_cast<LPARAM>(b ? b->hwnd : nullptr));
        } else if (answer.name == "close") {
            PostMessageW(hwnd, WM_CLOSE, 0, 0);
        }
    }

    void RunSteps(HWND hwnd, const std::vector<std::string>& steps) {
        for (const std::string& step : steps) {
            if (step == "esc")
                PostKey(hwnd, VK_ESCAPE);
            else if (step == "enter")
                PostKey(hwnd, VK_RETURN);
            else if (step == "space")
                PostKey(hwnd, VK_SPACE);
            else if (step.compare(0, 6, "focus:") == 0)
                PostMessageA(hwnd, WM_NEXTDLGCTL,
                             reinterpret_cast<WPARAM>(GetDlgItem(hwnd, atoi(step.c_str() + 6))),
                             TRUE);
            else if (step.compare(0, 6, "click:") == 0)
                PostClick(GetDlgItem(hwnd, atoi(step.c_str() + 6)));
            else if (step.compare(0, 5, "wait:") == 0)
                Sleep(static_cast<DWORD>(atoi(step.c_str() + 5)));
            // Time for the program to handle it, then where things stand.
            Sleep(step.compare(0, 5, "wait:") == 0 ? 0 : 500);
            bool open = IsWindow(hwnd) && IsWindowVisible(hwnd);
            m_log.Line("{\"event\":\"step\",\"step\":" + Json(step) +
                       ",\"open\":" + (open ? "true" : "false") +
                       ",\"focus\":" + std::to_string(open ? FocusedId(hwnd) : -1) + "}");
            if (!open)
                return;
        }
    }

    CLog& m_log;
    std::vector<std::string> m_answers;
    size_t m_next = 0;
    std::set<HWND> m_seen;
};

// Environment block of this process with NAME=VALUE overrides (names compared
// without case, as Windows does).
std::wstring BuildEnvironment(const std::vector<std::string>& overrides) {
    std::vector<std::wstring> vars;
    CEnvironmentStrings current;
    for (const wchar_t* p = current.Get(); p && *p; p += wcslen(p) + 1)
        vars.push_back(p);
    for (const std::string& o : overrides) {
        std::wstring w = ToWide(o, CP_UTF8);
        std::wstring name = w.substr(0, w.find(L'=') + 1);
        for (auto it = vars.begin(); it != vars.end();)
            it = _wcsnicmp(it->c_str(), name.c_str(), name.size()) == 0 ? vars.erase(it)
                                                                        : std::next(it);
        vars.push_back(w);
    }
    std::wstring block;
    for (const std::wstring& v : vars)
        block += v + L'\0';
    return block + L'\0';
}

struct LocalFreeDeleter {
    void operator()(LPWSTR* p) const { LocalFree(p); }
};

// The command line as UTF-8: the narrow argv loses what the ANSI code page lacks.
std::vector<std::string> Utf8Args() {
    int n = 0;
    std::unique_ptr<LPWSTR, LocalFreeDeleter> wide(CommandLineToArgvW(GetCommandLineW(), &n));
    std::vector<std::string> args;
    for (int i = 0; wide && i < n; ++i)
        args.push_back(ToUtf8(wide.get()[i]));
    return args;
}

// Peak private memory (and working set) of the program, for the "exit" event. Wine
// has the counters of running processes only and keeps no peak of the private
// bytes, so they are sampled while it runs.
class CPeakMemory {
public:
    void Sample(HANDLE process) {
        PROCESS_MEMORY_COUNTERS_EX c = {};
        c.cb = sizeof c;
        if (!GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&c),
                                  sizeof c))
            return;
        SIZE_T privateBytes =
            c.PeakPagefileUsage > c.PrivateUsage ? c.PeakPagefileUsage : c.PrivateUsage;
        if (privateBytes > m_private)
            m_private = privateBytes;
        if (c.PeakWorkingSetSize > m_workingSet)
            m_workingSet = c.PeakWorkingSetSize;
    }
    std::string Json() const {
        return ",\"peak_private\":" + std::to_string(m_private) +
               ",\"peak_working_set\":" + std::to_string(m_workingSet);
    }

private:
    SIZE_T m_private = 0;
    SIZE_T m_workingSet = 0;
};

int Run(const std::vector<std::string>& argv) {
    int argc = static_cast<int>(argv.size());
    std::string logPath;
    std::vector<std::string> answers;
    std::vector<std::string> env;
    double timeout = 120;
    int i = 2;
    for (; i < argc; ++i) {
        const std::string& a = argv[i];
        if (a == "--")
            break;
        if (i + 1 >= argc) {
            fprintf(stderr, "pilot: %s needs a value\n", a.c_str());
            return kExitUsage;
        }
        if (a == "--log")
            logPath = argv[++i];
        else if (a == "--answer")
            answers.push_back(Lower(argv[++i]));
        else if (a == "--timeout")
            timeout = atof(argv[++i].c_str());
        else if (a == "--env")
            env.push_back(argv[++i]);
        else {
            fprintf(stderr, "pilot: unknown option %s\n", a.c_str());
            return kExitUsage;
        }
    }
    if (logPath.empty() || i + 1 >= argc) {
        fprintf(stderr, "pilot run: --log <file> and -- <exe> are required\n");
        return kExitUsage;
    }
    std::string commandLine;
    for (int k = i + 1; k < argc; ++k)
        commandLine += (k > i + 1 ? " " : "") + QuoteArg(argv[k]);

    CLog log(logPath);
    if (!log.Valid()) {
        fprintf(stderr, "pilot: cannot write %s (%lu)\n", logPath.c_str(), GetLastError());
        return kExitPilotError;
    }

    std::wstring wideCommand = ToWide(commandLine, CP_UTF8);
    std::wstring environment = BuildEnvironment(env);
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(nullptr, &wideCommand[0], nullptr, nullptr, FALSE,
                        CREATE_UNICODE_ENVIRONMENT, &environment[0], nullptr, &si, &pi)) {
        DWORD err = GetLastError();
        log.Line("{\"event\":\"error\",\"text\":" + Json("CreateProcess failed " + commandLine) +
                 ",\"code\":" + std::to_string(err) + "}");
        fprintf(stderr, "pilot: cannot start %s (%lu)\n", commandLine.c_str(), err);
        return kExitPilotError;
    }
    CHandle process(pi.hProcess);
    CHandle thread(pi.hThread);
    log.Line("{\"event\":\"start\",\"pid\":" + std::to_string(pi.dwProcessId) +
             ",\"command\":" + Json(commandLine) + "}");

    CPilot pilot(log, answers);
    CPeakMemory memory;
    ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeout * 1000);
    // Memory every 10 ms, so a short-lived buffer shows; windows every 50 ms.
    for (unsigned tick = 0; WaitForSingleObject(process.Get(), 10) == WAIT_TIMEOUT; ++tick) {
        memory.Sample(process.Get());
        if (tick % 5 != 4)
            continue;
        pilot.Scan(pi.dwProcessId);
        if (GetTickCount64() > deadline) {
            TerminateProcess(process.Get(), kExitTimeout);
            WaitForSingleObject(process.Get(), 5000);
            log.Line("{\"event\":\"timeout\",\"seconds\":" + std::to_string(timeout) + "}");
            return kExitTimeout;
        }
    }
    DWORD code = 0;
    GetExitCodeProcess(process.Get(), &code);
    memory.Sample(process.Get()); // Windows keeps the counters of an ended process
    log.Line("{\"event\":\"exit\",\"code\":" + std::to_string(code) + memory.Json() + "}");
    return static_cast<int>(code);
}

// ---------------------------------------------------------------- queries

typedef UINT(WINAPI* EnumRelatedFn)(LPCSTR, DWORD, DWORD, LPSTR);
typedef UINT(WINAPI* EnumProductsFn)(DWORD, LPSTR);
typedef UINT(WINAPI* ProductInfoFn)(LPCSTR, LPCSTR, LPSTR, LPDWORD);
typedef INT(WINAPI* LocateFn)(LPCSTR, LPSTR, LPDWORD);

template <typename Fn> Fn MsiProc(const CModule& msi, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(msi.Get(), name)));
}

// Prints the product code of every index until the list ends; 1 on an error.
template <typename Enumerate> int PrintProductCodes(Enumerate enumerate) {
    for (DWORD index = 0;; ++index) {
        char code[64] = {};
        UINT r = enumerate(index, code);
        if (r == ERROR_NO_MORE_ITEMS)
            return 0;
        if (r != ERROR_SUCCESS) {
            fprintf(stderr, "error %u\n", r);
            return 1;
        }
        printf("%s\n", code);
    }
}

int Query(const std::string& cmd, int argc, char** argv) {
    CModule msi(LoadLibraryExA("msi.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
    if (!msi.Get()) {
        fprintf(stderr, "pilot: msi.dll not loaded (%lu)\n", GetLastError());
        return kExitPilotError;
    }
    if (cmd == "related" && argc == 3) {
        auto fn = MsiProc<EnumRelatedFn>(msi, "MsiEnumRelatedProductsA");
        const char* upgrade = argv[2];
        return PrintProductCodes(
            [&](DWORD index, char* code) { return fn(upgrade, 0, index, code); });
    }
    if (cmd == "products" && argc == 2) {
        auto fn = MsiProc<EnumProductsFn>(msi, "MsiEnumProductsA");
        return PrintProductCodes([&](DWORD index, char* code) { return fn(index, code); });
    }
    if (cmd == "productinfo" && argc == 4) {
        auto fn = MsiProc<ProductInfoFn>(msi, "MsiGetProductInfoA");
        std::vector<char> buf(256);
        for (;;) {
            DWORD size = static_cast<DWORD>(buf.size());
            UINT r = fn(argv[2], argv[3], buf.data(), &size);
            if (r == ERROR_MORE_DATA) {
                buf.resize(size + 1);
                continue;
            }
            if (r != ERROR_SUCCESS) {
                fprintf(stderr, "error %u\n", r);
                return 1;
            }
            printf("%s\n", buf.data());
            return 0;
        }
    }
    if (cmd == "locate" && argc == 3) {
        auto fn = MsiProc<LocateFn>(msi, "MsiLocateComponentA");
        std::vector<char> buf(1024);
        DWORD size = 1023;
        INT state = fn(argv[2], buf.data(), &size);
        printf("%d %s\n", state, buf.data());
        return 0;
    }
    fprintf(stderr, "pilot: bad arguments for %s\n", cmd.c_str());
    return kExitUsage;
}

std::string Hex(const std::vector<BYTE>& data) {
    static const char digits[] = "0123456789abcdef";
    std::string s;
    for (BYTE b : data) {
        s += digits[b >> 4];
        s += digits[b & 15];
    }
    return s;
}

// Prints {"type":..,"size":..,"hex":..[,"text":..]} or "missing".
int RegGet(int argc, char** argv) {
    if (argc != 5 || (strcmp(argv[2], "32") != 0 && strcmp(argv[2], "64") != 0)) {
        fprintf(stderr, "pilot regget <32|64> <HKLM subkey> <value>\n");
        return kExitUsage;
    }
    REGSAM view = strcmp(argv[2], "32") == 0 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
    CRegKey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, argv[3], 0, KEY_QUERY_VALUE | view, key.Out()) !=
        ERROR_SUCCESS) {
        printf("missing\n");
        return 0;
    }
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(key.Get(), argv[4], nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
        printf("missing\n");
        return 0;
    }
    std::vector<BYTE> data(size);
    if (RegQueryValueExA(key.Get(), argv[4], nullptr, &type, data.data(), &size) != ERROR_SUCCESS) {
        printf("missing\n");
        return 0;
    }
    data.resize(size);
    std::string json = "{\"type\":" + std::to_string(type) + ",\"size\":" + std::to_string(size) +
                       ",\"hex\":\"" + Hex(data) + "\"";
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
        std::string text(data.begin(), data.end());
        text = text.substr(0, text.find('\0'));
        json += ",\"text\":" + Json(ToUtf8(ToWide(text, CP_ACP)));
    } else if (type == REG_DWORD && size == 4) {
        DWORD v = 0;
        memcpy(&v, data.data(), 4);
        json += ",\"dword\":" + std::to_string(v);
    }
    printf("%s}\n", json.c_str());
    return 0;
}

// Prints the process id of every running program with that file name.
int Processes(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "pilot processes <exe name>\n");
        return kExitUsage;
    }
    CHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot.Valid()) {
        fprintf(stderr, "error %lu\n", GetLastError());
        return 1;
    }
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot.Get(), &entry); more;
         more = Process32Next(snapshot.Get(), &entry)) {
        if (_stricmp(entry.szExeFile, argv[2]) == 0)
            printf("%lu\n", entry.th32ProcessID);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        fprintf(stderr, "pilot run|related|products|productinfo|locate|regget ...\n");
        return kExitUsage;
    }
    std::string cmd = argv[1];
    if (cmd == "run")
        return Run(Utf8Args());
    if (cmd == "regget")
        return RegGet(argc, argv);
    if (cmd == "processes")
        return Processes(argc, argv);
    return Query(cmd, argc, argv);
}
