#include "error/Q7ByteStream.h"

#include <cstring>

Q7ByteStream::Q7ByteStream(size_t growBy) : m_growBy(growBy ? growBy : 1) {}

Q7ByteStream::Q7ByteStream(const void* data, size_t length, size_t growBy)
    : m_buffer(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + length),
      m_length(length), m_growBy(growBy ? growBy : 1) {}

void Q7ByteStream::Write(const void* data, size_t size) {
    if (m_position + size >= m_buffer.size())
        m_buffer.resize(m_buffer.size() + (size > m_growBy ? size : m_growBy));
    if (size)
        memcpy(m_buffer.data() + m_position, data, size);
    m_position += size;
    if (m_position > m_length)
        m_length = m_position;
}

bool Q7ByteStream::Read(void* data, size_t size) {
    if (Remaining() < size)
        return false;
    if (size)
        memcpy(data, m_buffer.data() + m_position, size);
    m_position += size;
    return true;
}

bool Q7ByteStream::Skip(size_t size) {
    if (Remaining() < size)
        return false;
    m_position += size;
    return true;
}
