#pragma once
// Records message boxes instead of showing them, and answers them from a script.
#include <deque>
#include <string>
#include <vector>

#include "framework/FwMessageBox.h"

struct RecordedBox {
    HWND owner;
    std::string text;
    std::string caption;
    UINT type;
};

class RecordingMessageBoxHost : public IFwMessageBoxHost {
public:
    RecordingMessageBoxHost() { m_previous = FwSetMessageBoxHost(this); }
    ~RecordingMessageBoxHost() override { FwSetMessageBoxHost(m_previous); }

    int Show(HWND owner, const char* text, const char* caption, UINT type) override {
        boxes.push_back({owner, text ? text : "", caption ? caption : "", type});
        if (answers.empty())
            return (type & MB_TYPEMASK) == MB_YESNO ? IDNO : IDOK;
        int answer = answers.front();
        answers.pop_front();
        return answer;
    }

    std::vector<RecordedBox> boxes;
    std::deque<int> answers; // IDYES, IDNO, ... in order; default OK, or No for Yes/No

private:
    IFwMessageBoxHost* m_previous;
};
