#pragma once
// A zero-filled, reference-counted array of elements.
#include <cstddef>
#include <memory>

// Interim single-threaded count until the shared reference-count base is in place.
class Q7SimpleArrayCount {
public:
    Q7SimpleArrayCount() = default;
    Q7SimpleArrayCount(const Q7SimpleArrayCount&) = delete;
    Q7SimpleArrayCount& operator=(const Q7SimpleArrayCount&) = delete;
    virtual ~Q7SimpleArrayCount() = default;

    void AddRef() { ++m_refs; }
    void Release() {
        if (--m_refs == 0)
            delete this;
    }
    long GetRefCount() const { return m_refs; }

private:
    long m_refs = 0;
};

template <class T> class Q7SimpleArrayT : public Q7SimpleArrayCount {
public:
    // A count of 0 allocates nothing.
    explicit Q7SimpleArrayT(size_t count)
        : m_data(count != 0 ? new T[count]() : nullptr), m_count(m_data ? count : 0) {}
    ~Q7SimpleArrayT() override = default;

    T* GetData() { return m_data.get(); }
    const T* GetData() const { return m_data.get(); }
    size_t GetCount() const { return m_count; }

private:
    std::unique_ptr<T[]> m_data;
    size_t m_count;
};
