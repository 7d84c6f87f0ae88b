#include "installer/MsiSql.h"

#include <oleauto.h>

#include "error/Q7Exception.h"
#include "framework/FwString.h"
#include "installer/WindowsInstaller.h"

namespace {

// Dispatch ids of the Windows Installer automation interface.
const DISPID kOpenDatabase = 4; // Installer
const DISPID kOpenView = 3;     // Database
const DISPID kExecute = 1;      // View
const DISPID kFetch = 2;        // View
const DISPID kStringData = 1;   // Record

class CBstr {
public:
    explicit CBstr(const std::string& text) : m_bstr(FwAllocBstr(text.c_str())) {}
    CBstr(const CBstr&) = delete;
    CBstr& operator=(const CBstr&) = delete;
    virtual ~CBstr() { SysFreeString(m_bstr); }
    BSTR Get() const { return m_bstr; }

private:
    BSTR m_bstr;
};

class CVariant {
public:
    CVariant() { VariantInit(&m_value); }
    CVariant(const CVariant&) = delete;
    CVariant& operator=(const CVariant&) = delete;
    virtual ~CVariant() { VariantClear(&m_value); }
    VARIANT* operator&() { return &m_value; }
    VARIANT& Get() { return m_value; }

private:
    VARIANT m_value;
};

// The one failure the caller reacts to; the text is composed by ReadProperty.
struct AutomationFailure {};

// Arguments are given in call order; IDispatch wants them last to first.
void Invoke(IDispatch* object, DISPID id, WORD flags, VARIANT* args, UINT count, VARIANT* result) {
    if (!object)
        throw AutomationFailure();
    VARIANT reversed[2];
    for (UINT i = 0; i < count; ++i)
        reversed[i] = args[count - 1 - i];
    DISPPARAMS params = {count ? reversed : nullptr, nullptr, count, 0};
    HRESULT hr =
        object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, nullptr, nullptr);
    if (FAILED(hr))
        throw AutomationFailure();
}

// Moves an object out of a result; a null or non-object result is null.
void TakeObject(CVariant& result, CDispatchRef& target) {
    VARIANT& value = result.Get();
    if (value.vt == VT_DISPATCH && value.pdispVal) {
        *target.Receive() = value.pdispVal;
        value.pdispVal = nullptr;
        value.vt = VT_EMPTY;
    }
}

} // namespace

CMsiSql::CMsiSql() {
    HRESULT hr = Msi().CreateInstallerObject(m_installer.Receive());
    if (FAILED(hr) || !m_installer.Get()) {
        m_installer.Reset();
        throw Error::Q7ExceptionCommon(static_cast<uint32_t>(FAILED(hr) ? hr : E_NOINTERFACE),
                                       "Failed to create Windows installer object.", "MsiSql",
                                       "CMsiSql::CMsiSql", __LINE__);
    }
}

CMsiSql::~CMsiSql() = default;

std::string CMsiSql::ReadProperty(std::string file, std::string property) {
    std::string result;
    // Declared in this order so they are released record, view, database.
    CDispatchRef database;
    CDispatchRef view;
    CDispatchRef record;
    try {
        {
            CBstr path(file);
            VARIANT args[2];
            args[0].vt = VT_BSTR;
            args[0].bstrVal = path.Get();
            // msiOpenDatabaseModeReadOnly. (Wine turns the mode into the text "0" and
            // so opens a short-lived copy of that name in the current folder.)
            args[1].vt = VT_I4;
            args[1].lVal = 0;
            CVariant out;
            Invoke(m_installer.Get(), kOpenDatabase, DISPATCH_METHOD, args, 2, &out);
            TakeObject(out, database);
            if (!database.Get())
                throw AutomationFailure();
        }
        {
            CBstr query(
                FwFormat("SELECT Value FROM Property WHERE Property='%s'", property.c_str()));
            VARIANT args[1];
            args[0].vt = VT_BSTR;
            args[0].bstrVal = query.Get();
            CVariant out;
            Invoke(database.Get(), kOpenView, DISPATCH_METHOD, args, 1, &out);
            TakeObject(out, view);
            if (!view.Get())
                throw AutomationFailure();
        }
        {
            VARIANT args[1];
            args[0].vt = VT_DISPATCH;
            args[0].pdispVal = nullptr; // no parameter record
            CVariant out;
            Invoke(view.Get(), kExecute, DISPATCH_METHOD, args, 1, &out);
        }
        {
            CVariant out;
            Invoke(view.Get(), kFetch, DISPATCH_METHOD, nullptr, 0, &out);
            TakeObject(out, record);
        }
        if (record.Get()) {
            VARIANT args[1];
            args[0].vt = VT_I4;
            args[0].lVal = 1;
            CVariant out;
            Invoke(record.Get(), kStringData, DISPATCH_PROPERTYGET, args, 1, &out);
            VARIANT& value = out.Get();
            if (value.vt == VT_BSTR && value.bstrVal)
                result = FwNarrow(value.bstrVal, static_cast<int>(SysStringLen(value.bstrVal)));
        }
    } catch (const AutomationFailure&) {
        throw Error::Q7ExceptionText(
            FwFormat("Failed to read '%s' property from file '%s'", property.c_str(), file.c_str()),
            "MsiSql", __LINE__);
    }
    return result;
}
