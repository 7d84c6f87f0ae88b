#pragma once
// The HTML view as a plain child control of a dialog, owned by the dialog as a
// member: no border, no context menu, no self-deletion.
//
// Classes in this file: CHtmlViewControl (no 3-D border, no scroll bars),
// CHtmlViewControlEX (scroll bars when the page needs them).
#include "framework/FwHtmlView.h"

class CHtmlViewControl : public CFwHtmlView {
public:
    CHtmlViewControl();
    ~CHtmlViewControl() override = default;

    // The base's styles without the sunken client edge it adds for WS_BORDER.
    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    // Handled: the browser shows no menu.
    HRESULT OnShowContextMenu(DWORD id, POINT* pt, IUnknown* cmdTarget,
                              IDispatch* reserved) override;
    // Replaces the proposed flags with no 3-D border and no scroll bars.
    HRESULT OnGetHostInfo(DOCHOSTUIINFO* info) override;

protected:
    // The dialog owns the object; it outlives its window.
    void PostNcDestroy() override;
};

class CHtmlViewControlEX : public CHtmlViewControl {
public:
    CHtmlViewControlEX();
    ~CHtmlViewControlEX() override = default;

    // Replaces the proposed flags with no 3-D border only.
    HRESULT OnGetHostInfo(DOCHOSTUIINFO* info) override;
};
