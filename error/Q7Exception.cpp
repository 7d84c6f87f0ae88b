#include "error/Q7Exception.h"

#include <cstring>
#include <memory>

#include "fs/Q7FsPath.h"
#include "framework/FwMessageBox.h"
#include "framework/FwString.h"

namespace Error {

std::string ReduceSourceFileName(const char* file) {
    // A null name counts as empty.
    return Q7FsPath(file).GetFileName();
}

namespace {

void WriteUInt32(Q7ByteStream& stream, uint32_t value) {
    uint8_t bytes[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                        static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
    stream.Write(bytes, sizeof bytes);
}

bool ReadUInt32(Q7ByteStream& stream, uint32_t& value) {
    uint8_t bytes[4];
    if (!stream.Read(bytes, sizeof bytes))
        return false;
    value = static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
            (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
    return true;
}

} // namespace

void WriteStringRecord(Q7ByteStream& stream, const std::string& value) {
    const uint8_t tag = 0x01;
    stream.Write(&tag, 1);
    WriteUInt32(stream, static_cast<uint32_t>(value.size()));
    stream.Write(value.data(), value.size());
}

void WriteIntRecord(Q7ByteStream& stream, int32_t value) {
    WriteUInt32(stream, 4);
    WriteUInt32(stream, static_cast<uint32_t>(value));
}

bool ReadStringRecord(Q7ByteStream& stream, std::string& value) {
    uint8_t tag = 0;
    if (!stream.Read(&tag, 1))
        return false;
    if (tag != 0x01)
        return true;
    uint32_t raw = 0;
    if (!ReadUInt32(stream, raw))
        return false;
    int32_t length = static_cast<int32_t>(raw);
    if (length <= 0)
        return true;
    // A length beyond the data is damage: take nothing from outside it.
    if (stream.Remaining() < static_cast<size_t>(length)) {
        stream.Skip(stream.Remaining());
        return false;
    }
    const char* bytes = reinterpret_cast<const char*>(stream.Data() + stream.Position());
    value.assign(bytes, strnlen(bytes, static_cast<size_t>(length)));
    stream.Skip(static_cast<size_t>(length));
    return true;
}

bool ReadIntRecord(Q7ByteStream& stream, int32_t& value) {
    uint32_t raw = 0;
    if (!ReadUInt32(stream, raw))
        return false;
    int32_t size = static_cast<int32_t>(raw);
    if (size <= 0)
        return true;
    if (stream.Remaining() < static_cast<size_t>(size)) {
        stream.Skip(stream.Remaining());
        return false;
    }
    if (size == 4) {
        uint32_t v = 0;
        ReadUInt32(stream, v);
        value = static_cast<int32_t>(v);
    } else {
        // Never produced by the writer; skipped so the field is not overrun.
        stream.Skip(static_cast<size_t>(size));
    }
    return true;
}

Q7Exception::Q7Exception(const char* file, const char* function, int line)
    : m_file(ReduceSourceFileName(file)), m_function(function ? function : ""), m_line(line) {}

Q7Exception::Q7Exception(const char* file, int line) : Q7Exception(file, nullptr, line) {}

Q7Exception::~Q7Exception() = default;

void Q7Exception::WriteTo(Q7ByteStream& stream) const {
    WriteStringRecord(stream, m_file);
    WriteStringRecord(stream, m_function);
    WriteIntRecord(stream, m_line);
}

bool Q7Exception::ReadBase(Q7ByteStream& stream) {
    return ReadStringRecord(stream, m_file) && ReadStringRecord(stream, m_function) &&
           ReadIntRecord(stream, m_line);
}

void Q7Exception::ReadFrom(Q7ByteStream& stream) {
    ReadBase(stream);
}

std::string Q7Exception::GetReportText() const {
    std::string text = FwTrim(GetErrorText());
    if (text.empty())
        text = FwFormat("Unknown error occured\nFile: %s, Line: %d", m_file.c_str(), m_line);
    return text;
}

int Q7Exception::ReportError() const {
    return FwSystemMessageBox(nullptr, GetReportText().c_str(), "Error",
                              MB_OK | MB_ICONERROR | MB_SETFOREGROUND | MB_TOPMOST);
}

Q7ExceptionText::Q7ExceptionText(const std::string& message, const char* file, int line)
    : Q7Exception(file, line), m_message(message) {}

Q7ExceptionText::Q7ExceptionText(const std::string& message, const char* file, const char* function,
                                 int line)
    : Q7Exception(file, function, line), m_message(message) {}

// A copy, not a new construction: the file name is already shortened and must
// not be shortened again ('a\b/c' is stored as 'b/c').
std::unique_ptr<Q7Exception> Q7ExceptionText::Clone() const {
    return std::make_unique<Q7ExceptionText>(*this);
}

void Q7ExceptionText::WriteTo(Q7ByteStream& stream) const {
    Q7Exception::WriteTo(stream);
    WriteStringRecord(stream, m_message);
}

void Q7ExceptionText::ReadFrom(Q7ByteStream& stream) {
    if (ReadBase(stream))
        ReadStringRecord(stream, m_message);
}

Q7ExceptionCommon::Q7ExceptionCommon(uint32_t code, const std::string& text, const char* file,
                                     int line)
    : Q7Exception(file, line), m_code(code), m_text(text) {}

Q7ExceptionCommon::Q7ExceptionCommon(uint32_t code, const std::string& text, const char* file,
                                     const char* function, int line)
    : Q7Exception(file, function, line), m_code(code), m_text(text) {}

std::string Q7ExceptionCommon::GetErrorText() const {
    std::string system = FwTrim(GetSystemErrorText(m_code));
    std::string text = system.empty()
                           ? FwFormat("(%#x) %s", m_code, m_text.c_str())
                           : FwFormat("%s (%#x)\n\n%s", system.c_str(), m_code, m_text.c_str());
    return FwTrim(text);
}

std::unique_ptr<Q7Exception> Q7ExceptionCommon::Clone() const {
    return std::make_unique<Q7ExceptionCommon>(*this);
}

void Q7ExceptionCommon::WriteTo(Q7ByteStream& stream) const {
    Q7Exception::WriteTo(stream);
    WriteIntRecord(stream, static_cast<int32_t>(m_code));
    WriteStringRecord(stream, m_text);
}

void Q7ExceptionCommon::ReadFrom(Q7ByteStream& stream) {
    int32_t code = static_cast<int32_t>(m_code);
    bool more = ReadBase(stream) && ReadIntRecord(stream, code);
    m_code = static_cast<uint32_t>(code);
    if (more)
        ReadStringRecord(stream, m_text);
}

} // namespace Error

std::string GetSystemErrorText(DWORD code) {
    if (code == 0)
        return std::string();
    char* buffer = nullptr;
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS |
                                      FORMAT_MESSAGE_ALLOCATE_BUFFER,
                                  nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                  reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string text;
    if (buffer) {
        text.assign(buffer, length);
        LocalFree(buffer);
    }
    return text;
}
