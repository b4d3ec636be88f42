// A thin file class over the system's file handles. Open reports failure by its result; every
// other failing operation throws CFileExException.
#pragma once

#include "Platform/Types.h"

#include <cstdint>
#include <string>

class CFileExException {
public:
    static constexpr std::int32_t kShortWrite = -12;

    std::wstring text;
    std::int32_t osError = 0;
};

class CFileEx {
public:
    enum OpenFlags : unsigned {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeNoInherit = 0x0080,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
        typeBinary = 0x8000,
    };

    CFileEx() = default;
    CFileEx(const CFileEx&) = delete;
    CFileEx& operator=(const CFileEx&) = delete;
    // Closes a file that is still open; a failure to close is swallowed.
    virtual ~CFileEx();

    virtual plat::DWORD GetPosition();
    // On failure: false, and error (when given) holds the system error and "INVALID_HANDLE_VALUE".
    virtual bool Open(const wchar_t* path, unsigned flags, CFileExException* error);
    virtual plat::DWORD Seek(long distance, unsigned method);
    virtual void SetLength(long length);
    virtual plat::DWORD SeekToEnd();
    virtual unsigned Read(void* out, unsigned n);
    // All n bytes or a throw carrying the file name (osError -12 for a short write).
    virtual void Write(const void* data, unsigned n);
    // Closes without checking for errors; never throws.
    virtual void Abort();
    virtual void Flush();
    virtual void Close();

    bool IsOpen() const { return handle != plat::INVALID_HANDLE_VALUE; }
    plat::HANDLE Handle() const { return handle; }
    const std::wstring& FileName() const { return fileName; }

private:
    [[noreturn]] static void ThrowLastError(const std::wstring& text = {});

    plat::HANDLE handle = plat::INVALID_HANDLE_VALUE;
    bool closeOnDestroy = false;
    std::wstring fileName;
};
