#pragma once
// The exception family that carries every failure the user must see. Raised by
// value, caught by reference to Error::Q7Exception, shown once by ReportError.
#include <windows.h>
#include <cstdint>
#include <memory>
#include <string>

#include "error/Q7ByteStream.h"

namespace Error {

class Q7Exception {
public:
    Q7Exception(const char* file, const char* function, int line);
    Q7Exception(const char* file, int line);
    Q7Exception(const Q7Exception&) = default;
    Q7Exception& operator=(const Q7Exception&) = default;
    virtual ~Q7Exception();

    virtual int32_t GetTypeCode() const = 0;
    virtual std::string GetErrorText() const = 0;
    // A new heap copy of the concrete class; the caller owns it.
    virtual std::unique_ptr<Q7Exception> Clone() const = 0;
    virtual void WriteTo(Q7ByteStream& stream) const;
    virtual void ReadFrom(Q7ByteStream& stream);

    // Shows the text in a message box captioned "Error"; returns the box's result.
    int ReportError() const;
    // The text ReportError shows.
    std::string GetReportText() const;

    const std::string& GetFile() const { return m_file; }
    const std::string& GetFunction() const { return m_function; }
    int GetLine() const { return m_line; }

protected:
    // Reads the base records; false when the stream ran out.
    bool ReadBase(Q7ByteStream& stream);

private:
    std::string m_file;
    std::string m_function;
    int32_t m_line;
};

class Q7ExceptionText : public Q7Exception {
public:
    Q7ExceptionText(const std::string& message, const char* file, int line);
    Q7ExceptionText(const std::string& message, const char* file, const char* function, int line);

    int32_t GetTypeCode() const override { return 4; }
    std::string GetErrorText() const override { return m_message; }
    std::unique_ptr<Q7Exception> Clone() const override;
    void WriteTo(Q7ByteStream& stream) const override;
    void ReadFrom(Q7ByteStream& stream) override;

    const std::string& GetMessage() const { return m_message; }

private:
    std::string m_message;
};

class Q7ExceptionCommon : public Q7Exception {
public:
    Q7ExceptionCommon(uint32_t code, const std::string& text, const char* file, int line);
    Q7ExceptionCommon(uint32_t code, const std::string& text, const char* file,
                      const char* function, int line);

    int32_t GetTypeCode() const override { return 2; }
    std::string GetErrorText() const override;
    std::unique_ptr<Q7Exception> Clone() const override;
    void WriteTo(Q7ByteStream& stream) const override;
    void ReadFrom(Q7ByteStream& stream) override;

    uint32_t GetCode() const { return m_code; }
    const std::string& GetText() const { return m_text; }

private:
    uint32_t m_code;
    std::string m_text;
};

// The last component of a source file name (multibyte-aware; the last backslash
// wins over a later slash).
std::string ReduceSourceFileName(const char* file);

// Stream records: a string is tag 0x01, a 32-bit length, then the bytes; an
// integer is the size 4, then the 32-bit value. Little-endian.
void WriteStringRecord(Q7ByteStream& stream, const std::string& value);
void WriteIntRecord(Q7ByteStream& stream, int32_t value);
// False when the stream ran out (the caller stops reading).
bool ReadStringRecord(Q7ByteStream& stream, std::string& value);
bool ReadIntRecord(Q7ByteStream& stream, int32_t& value);

} // namespace Error

// The system's message text for a Win32 error code or HRESULT; empty when none.
std::string GetSystemErrorText(DWORD code);
