#pragma once
// Intrusive reference counting: the object carries its count and deletes itself
// through its virtual destructor when the last CRefCountPtr lets go.
#include <windows.h>

#include <utility>

// The count changes with interlocked operations: safe to share across threads.
struct FreeThreadedModel {
    static LONG Increment(volatile LONG* value) { return InterlockedIncrement(value); }
    static LONG Decrement(volatile LONG* value) { return InterlockedDecrement(value); }
};

// Plain increments for objects that never leave one thread.
struct SingleThreadedModel {
    static LONG Increment(volatile LONG* value) {
        LONG next = *value + 1;
        *value = next;
        return next;
    }
    static LONG Decrement(volatile LONG* value) {
        LONG next = *value - 1;
        *value = next;
        return next;
    }
};

template <typename Model> class CRefCountedT {
public:
    CRefCountedT() = default;
    // A copy is a new object: it starts without references.
    CRefCountedT(const CRefCountedT&) {}
    CRefCountedT& operator=(const CRefCountedT&) { return *this; }
    virtual ~CRefCountedT() = default;

    LONG AddRef() const { return Model::Increment(&m_refCount); }
    LONG Release() const {
        LONG remaining = Model::Decrement(&m_refCount);
        if (remaining == 0)
            delete this;
        return remaining;
    }
    LONG GetRefCount() const { return m_refCount; }

private:
    mutable volatile LONG m_refCount = 0;
};

template <typename T> class CRefCountPtr {
public:
    CRefCountPtr() = default;
    CRefCountPtr(T* object) : m_object(object) { Acquire(); }
    CRefCountPtr(const CRefCountPtr& other) : m_object(other.m_object) { Acquire(); }
    CRefCountPtr(CRefCountPtr&& other) noexcept : m_object(other.m_object) {
        other.m_object = nullptr;
    }
    template <typename U> CRefCountPtr(const CRefCountPtr<U>& other) : m_object(other.Get()) {
        Acquire();
    }
    CRefCountPtr& operator=(CRefCountPtr other) noexcept {
        std::swap(m_object, other.m_object);
        return *this;
    }
    virtual ~CRefCountPtr() { Reset(); }

    void Reset() {
        T* object = m_object;
        m_object = nullptr;
        if (object)
            object->Release();
    }

    T* Get() const { return m_object; }
    T* operator->() const { return m_object; }
    T& operator*() const { return *m_object; }
    explicit operator bool() const { return m_object != nullptr; }
    bool IsEmpty() const { return m_object == nullptr; }

private:
    void Acquire() {
        if (m_object)
            m_object->AddRef();
    }

    T* m_object = nullptr;
};

// Makes a reference-counted object already held by a pointer, so no bare
// allocation is ever left without an owner.
template <typename T, typename... Args> CRefCountPtr<T> MakeRefCounted(Args&&... args) {
    return CRefCountPtr<T>(new T(std::forward<Args>(args)...));
}
