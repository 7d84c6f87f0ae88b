#pragma once
// A growable byte buffer with a read/write position, for serialising exceptions.
#include <cstddef>
#include <cstdint>
#include <vector>

class Q7ByteStream {
public:
    explicit Q7ByteStream(size_t growBy = 64);
    Q7ByteStream(const void* data, size_t length, size_t growBy = 64);
    virtual ~Q7ByteStream() = default;

    // Writes at the position and advances it, growing the buffer as needed.
    void Write(const void* data, size_t size);
    // Reads size bytes at the position and advances; false (nothing read) when
    // fewer remain.
    bool Read(void* data, size_t size);
    bool Skip(size_t size);

    size_t Remaining() const { return m_position < m_length ? m_length - m_position : 0; }
    size_t Length() const { return m_length; }
    size_t Capacity() const { return m_buffer.size(); }
    size_t Position() const { return m_position; }
    void Seek(size_t position) { m_position = position < m_length ? position : m_length; }
    const uint8_t* Data() const { return m_buffer.data(); }

private:
    std::vector<uint8_t> m_buffer; // its size is the capacity
    size_t m_length = 0;
    size_t m_position = 0;
    size_t m_growBy;
};
