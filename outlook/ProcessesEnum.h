#pragma once
// The running processes, listed through Tool Help bound at run time.
#ifdef UNICODE
#error "The narrow PROCESSENTRY32 and Process32First/Process32Next are required."
#endif
#include <windows.h>
#include <tlhelp32.h>

#include <string>
#include <vector>

#include "framework/FwLibrary.h"

// Tool Help from the system's Kernel32, each entry point looked up when it is called,
// so a system without one of them degrades instead of failing to load the setup.
class CToolHelp32Wrapper {
public:
    CToolHelp32Wrapper();
    // For tests: any module (or none) in place of Kernel32.
    explicit CToolHelp32Wrapper(CFwLibrary module);
    CToolHelp32Wrapper(const CToolHelp32Wrapper&) = delete;
    CToolHelp32Wrapper& operator=(const CToolHelp32Wrapper&) = delete;
    virtual ~CToolHelp32Wrapper();

    virtual bool IsLoaded() const;
    // A null handle (not INVALID_HANDLE_VALUE) when the entry point is missing.
    virtual HANDLE CreateSnapshot(DWORD flags, DWORD processId) const;
    // False when the entry point is missing.
    virtual bool FirstProcess(HANDLE snapshot, PROCESSENTRY32* entry) const;
    virtual bool NextProcess(HANDLE snapshot, PROCESSENTRY32* entry) const;
    virtual void CloseSnapshot(HANDLE snapshot) const;

private:
    CFwLibrary m_kernel;
};

class CProcessesEnum : public std::vector<PROCESSENTRY32> {
public:
    CProcessesEnum() = default;
    virtual ~CProcessesEnum();

    // Replaces the list with the processes running now. Throws Error::Q7ExceptionCommon
    // when the snapshot cannot be taken or read; the list is then empty.
    void Snapshot();
    void Snapshot(const CToolHelp32Wrapper& toolHelp);

    // The first process whose executable file name equals name (case-insensitive);
    // its record is copied into *entry when entry is given, else *entry is untouched.
    bool FindByName(std::string name, PROCESSENTRY32* entry) const;
};
