#pragma once
// Reads one value from a package's Property table through Windows Installer's
// automation object. One reader per read: construct, ReadProperty, destroy.
#include <windows.h>
#include <oaidl.h>

#include <string>

// Owner of one reference to a dispatch object.
class CDispatchRef {
public:
    CDispatchRef() = default;
    explicit CDispatchRef(IDispatch* object) : m_object(object) {}
    CDispatchRef(const CDispatchRef&) = delete;
    CDispatchRef& operator=(const CDispatchRef&) = delete;
    virtual ~CDispatchRef() { Reset(); }

    IDispatch* Get() const { return m_object; }
    IDispatch** Receive() {
        Reset();
        return &m_object;
    }
    void Reset() {
        if (m_object)
            m_object->Release();
        m_object = nullptr;
    }

private:
    IDispatch* m_object = nullptr;
};

class CMsiSql {
public:
    // Needs COM on this thread. Throws Error::Q7ExceptionCommon when the
    // automation object cannot be created.
    CMsiSql();
    CMsiSql(const CMsiSql&) = delete;
    CMsiSql& operator=(const CMsiSql&) = delete;
    virtual ~CMsiSql();

    // The Value of the Property row named property, or "" when there is no such
    // row. Throws Error::Q7ExceptionText when the file cannot be opened or queried.
    std::string ReadProperty(std::string file, std::string property);

private:
    CDispatchRef m_installer;
};
