#pragma once
// Message boxes of the framework. Every box goes through one host, so tests can
// record boxes and answer them instead of showing them.
#include <windows.h>
#include <string>

class IFwMessageBoxHost {
public:
    virtual ~IFwMessageBoxHost() = default;
    virtual int Show(HWND owner, const char* text, const char* caption, UINT type) = 0;
};

// Installs a host (nullptr: the real MessageBoxA); returns the previous one.
IFwMessageBoxHost* FwSetMessageBoxHost(IFwMessageBoxHost* host);

// A plain system message box (the host's Show), for boxes with a caption of their own.
int FwSystemMessageBox(HWND owner, const char* text, const char* caption, UINT type);

// The application's message box: caption is the application name, and a box of
// type OK that names no icon gets the exclamation icon. helpId is kept for
// signature fidelity; there is no help system.
int FwMessageBox(const char* text, UINT type = MB_OK, UINT helpId = 0);
int FwMessageBox(UINT stringId, UINT type = MB_OK, UINT helpId = static_cast<UINT>(-1));

// Type flags after the framework's defaults are applied (exposed for tests).
UINT FwMessageBoxStyle(UINT type);
