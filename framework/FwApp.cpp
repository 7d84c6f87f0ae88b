#include "framework/FwApp.h"

namespace {

CFwApp* g_app = nullptr;

std::string ModuleTitle() {
    char path[MAX_PATH + 1] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string title(path);
    size_t slash = title.find_last_of("\\/");
    if (slash != std::string::npos)
        title.erase(0, slash + 1);
    size_t dot = title.rfind('.');
    if (dot != std::string::npos)
        title.erase(dot);
    return title;
}

} // namespace

CFwApp::CFwApp() : m_appName(ModuleTitle()) {
    g_app = this;
}

CFwApp::~CFwApp() {
    if (g_app == this)
        g_app = nullptr;
}

BOOL CFwApp::InitInstance() {
    return TRUE;
}

int CFwApp::Run() {
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}

int CFwApp::ExitInstance() {
    return 0;
}

void CFwApp::SetAppName(const char* name) {
    m_appName = name ? name : "";
}

CFwApp* CFwApp::Current() {
    return g_app;
}

std::string FwAppName() {
    return g_app ? g_app->GetAppName() : ModuleTitle();
}

int FwRunApplication() {
    CFwApp* app = CFwApp::Current();
    if (!app)
        return -1;
    if (app->InitInstance())
        app->Run();
    return app->ExitInstance();
}
