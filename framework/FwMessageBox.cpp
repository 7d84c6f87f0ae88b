#include "framework/FwMessageBox.h"

#include "framework/FwApp.h"
#include "framework/FwResources.h"

namespace {

class CRealMessageBoxHost : public IFwMessageBoxHost {
public:
    int Show(HWND owner, const char* text, const char* caption, UINT type) override {
        return MessageBoxA(owner, text, caption, type);
    }
};

CRealMessageBoxHost g_realHost;
IFwMessageBoxHost* g_host = &g_realHost;

} // namespace

IFwMessageBoxHost* FwSetMessageBoxHost(IFwMessageBoxHost* host) {
    IFwMessageBoxHost* previous = g_host;
    g_host = host ? host : &g_realHost;
    return previous == &g_realHost ? nullptr : previous;
}

int FwSystemMessageBox(HWND owner, const char* text, const char* caption, UINT type) {
    return g_host->Show(owner, text ? text : "", caption, type);
}

UINT FwMessageBoxStyle(UINT type) {
    if ((type & MB_ICONMASK) == 0 && (type & MB_TYPEMASK) == MB_OK)
        type |= MB_ICONEXCLAMATION;
    return type;
}

int FwMessageBox(const char* text, UINT type, UINT /*helpId*/) {
    // Owned by the active window of this thread (the finish dialog, when it runs).
    HWND owner = GetActiveWindow();
    return FwSystemMessageBox(owner, text, FwAppName().c_str(), FwMessageBoxStyle(type));
}

int FwMessageBox(UINT stringId, UINT type, UINT helpId) {
    std::string text = FwLoadString(stringId);
    return FwMessageBox(text.c_str(), type, helpId);
}
