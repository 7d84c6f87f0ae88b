#pragma once
// A zero-filled, reference-counted array of elements.
#include <cstddef>
#include <memory>

#include "installer/RefCounted.h"

template <class T> class Q7SimpleArrayT : public CRefCountedT<SingleThreadedModel> {
public:
    // A count of 0 allocates nothing.
    explicit Q7SimpleArrayT(size_t count)
        : m_data(count != 0 ? new T[count]() : nullptr), m_count(m_data ? count : 0) {}
    Q7SimpleArrayT(const Q7SimpleArrayT&) = delete;
    Q7SimpleArrayT& operator=(const Q7SimpleArrayT&) = delete;
    ~Q7SimpleArrayT() override = default;

    T* GetData() { return m_data.get(); }
    const T* GetData() const { return m_data.get(); }
    size_t GetCount() const { return m_count; }

private:
    std::unique_ptr<T[]> m_data;
    size_t m_count;
};
