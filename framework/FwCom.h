#pragma once
// Owners of COM references, BSTRs and VARIANTs: each is released exactly once,
// on every way out.
//
// Classes in this file: CFwComPtr<T>, CFwBstr, CFwVariant.
#include <windows.h>
#include <oleauto.h>

#include "framework/FwString.h"

// One reference to a COM object.
template <class T> class CFwComPtr {
public:
    CFwComPtr() = default;
    // Takes over a reference the caller already holds (no AddRef).
    explicit CFwComPtr(T* object) : m_object(object) {}
    CFwComPtr(CFwComPtr&& other) noexcept : m_object(other.Detach()) {}
    CFwComPtr& operator=(CFwComPtr&& other) noexcept {
        if (this != &other) {
            Reset();
            m_object = other.Detach();
        }
        return *this;
    }
    CFwComPtr(const CFwComPtr&) = delete;
    CFwComPtr& operator=(const CFwComPtr&) = delete;
    virtual ~CFwComPtr() { Reset(); }

    T* Get() const { return m_object; }
    T* operator->() const { return m_object; }
    explicit operator bool() const { return m_object != nullptr; }

    // For out-parameters: lets go of the held reference first.
    T** Receive() {
        Reset();
        return &m_object;
    }
    void Reset() {
        // Cleared before Release: a release may call back into the holder.
        if (T* object = Detach())
            object->Release();
    }
    // Hands the reference to the caller.
    T* Detach() {
        T* object = m_object;
        m_object = nullptr;
        return object;
    }

    // Asks the held object for another interface; target is emptied first.
    template <class U> HRESULT QueryTo(REFIID iid, CFwComPtr<U>& target) const {
        U** out = target.Receive();
        if (!m_object)
            return E_POINTER;
        return m_object->QueryInterface(iid, reinterpret_cast<void**>(out));
    }

private:
    T* m_object = nullptr;
};

// A BSTR made from narrow text in the ANSI code page; null only when out of
// memory (or made empty).
class CFwBstr {
public:
    CFwBstr() = default;
    explicit CFwBstr(const char* text) : m_bstr(FwAllocBstr(text)) {}
    CFwBstr(const CFwBstr&) = delete;
    CFwBstr& operator=(const CFwBstr&) = delete;
    virtual ~CFwBstr() { SysFreeString(m_bstr); }

    BSTR Get() const { return m_bstr; }
    // Hands the string to the caller (a VARIANT, for instance).
    BSTR Detach() {
        BSTR bstr = m_bstr;
        m_bstr = nullptr;
        return bstr;
    }

private:
    BSTR m_bstr = nullptr;
};

// A VARIANT cleared on the way out; starts as VT_EMPTY.
class CFwVariant {
public:
    CFwVariant() { VariantInit(&m_value); }
    CFwVariant(const CFwVariant&) = delete;
    CFwVariant& operator=(const CFwVariant&) = delete;
    virtual ~CFwVariant() { VariantClear(&m_value); }

    VARIANT& Get() { return m_value; }
    VARIANT* Ptr() { return &m_value; }

private:
    VARIANT m_value;
};
