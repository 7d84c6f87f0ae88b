#pragma once
// A dialog from a template of the application's resources, run modally by a loop
// of its own: every message goes to PreTranslateMessage first, whose default is
// the dialog manager (IsDialogMessage); a message it does not take is translated
// and dispatched. IDOK and IDCANCEL end the dialog with that code.
#include <windows.h>

class CFwDialog {
public:
    explicit CFwDialog(UINT templateId, HWND parent = nullptr);
    CFwDialog(const CFwDialog&) = delete;
    CFwDialog& operator=(const CFwDialog&) = delete;
    // Destroys the window when it still exists.
    virtual ~CFwDialog();

    // Runs the dialog; returns the code EndDialog was given, or -1 when the window
    // could not be created. A C++ exception raised by a handler ends the dialog
    // and is rethrown here.
    virtual INT_PTR DoModal();

    // Creates the window without running it (hidden unless the template is
    // visible); false when it cannot be created.
    bool Create();
    // Ends the modal loop with the result; the window is destroyed by DoModal.
    void EndDialog(int result);
    bool DestroyWindow();

    HWND GetSafeHwnd() const { return m_hWnd; }

    // True when the message was taken and must not be dispatched.
    virtual BOOL PreTranslateMessage(MSG* msg);

protected:
    // Runs DoDataExchange; TRUE lets the dialog manager focus the first control.
    virtual BOOL OnInitDialog();
    // Binds template controls to objects (FwDDXControl).
    virtual void DoDataExchange() {}
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    // WM_COMMAND: IDOK and IDCANCEL; true when handled.
    virtual bool OnCommand(WPARAM wParam, LPARAM lParam);

    // Every message of the dialog: true when handled, with *result as the
    // message's result; false leaves it to the dialog manager.
    virtual bool WindowProc(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    bool Dispatch(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    void CenterIfUnplaced();

    UINT m_templateId;
    HWND m_parent;
    HWND m_hWnd = nullptr;
    bool m_running = false;
    bool m_unplaced = false;
    int m_result = -1;
};
