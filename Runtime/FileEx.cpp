#include "Runtime/FileEx.h"

#include "Platform/File.h"
#include "Platform/Thread.h"

namespace {

plat::DWORD Access(unsigned flags) {
    switch (flags & 0x3) {
    case CFileEx::modeRead:
        return plat::GENERIC_READ;
    case CFileEx::modeWrite:
        return plat::GENERIC_WRITE;
    case CFileEx::modeReadWrite:
        return plat::GENERIC_READ | plat::GENERIC_WRITE;
    default:
        return 0;
    }
}

plat::DWORD Share(unsigned flags) {
    switch (flags & 0x70) {
    case CFileEx::shareDenyWrite:
        return plat::FILE_SHARE_READ;
    case CFileEx::shareDenyRead:
        return plat::FILE_SHARE_WRITE;
    case CFileEx::shareDenyNone:
        return plat::FILE_SHARE_READ | plat::FILE_SHARE_WRITE;
    default:
        return 0;
    }
}

plat::DWORD Creation(unsigned flags) {
    if ((flags & CFileEx::modeCreate) == 0) {
        return plat::OPEN_EXISTING;
    }
    return (flags & CFileEx::modeNoTruncate) != 0 ? plat::OPEN_ALWAYS : plat::CREATE_ALWAYS;
}

} // namespace

CFileEx::~CFileEx() {
    if (handle != plat::INVALID_HANDLE_VALUE && closeOnDestroy) {
        try {
            Close();
        } catch (const CFileExException&) {
            // Nothing can be done about it here; the handle is given up either way.
        }
    }
}

void CFileEx::ThrowLastError(const std::wstring& text) {
    throw CFileExException{text, static_cast<std::int32_t>(plat::GetLastError())};
}

plat::DWORD CFileEx::GetPosition() {
    return Seek(0, plat::FILE_CURRENT);
}

bool CFileEx::Open(const wchar_t* path, unsigned flags, CFileExException* error) {
    closeOnDestroy = false;
    handle = plat::INVALID_HANDLE_VALUE;
    fileName = path ? path : L"";
    const bool inheritable = (flags & modeNoInherit) == 0;
    plat::HANDLE opened =
        plat::CreateFile(fileName.c_str(), Access(flags), Share(flags), inheritable, Creation(flags));
    if (opened == plat::INVALID_HANDLE_VALUE) {
        if (error != nullptr) {
            error->osError = static_cast<std::int32_t>(plat::GetLastError());
            error->text = L"INVALID_HANDLE_VALUE";
        }
        return false;
    }
    handle = opened;
    closeOnDestroy = true;
    return true;
}

plat::DWORD CFileEx::Seek(long distance, unsigned method) {
    plat::SetLastError(plat::ERROR_SUCCESS);
    const plat::DWORD position = plat::SetFilePointer(handle, distance, method);
    // The low part of a position past 4 GiB may equal the failure value; the last error tells.
    if (position == plat::INVALID_SET_FILE_POINTER && plat::GetLastError() != plat::ERROR_SUCCESS) {
        ThrowLastError();
    }
    return position;
}

void CFileEx::SetLength(long length) {
    Seek(length, plat::FILE_BEGIN);
    if (!plat::SetEndOfFile(handle)) {
        ThrowLastError();
    }
}

plat::DWORD CFileEx::SeekToEnd() {
    return Seek(0, plat::FILE_END);
}

unsigned CFileEx::Read(void* out, unsigned n) {
    if (n == 0) {
        return 0;
    }
    plat::DWORD read = 0;
    if (!plat::ReadFile(handle, out, n, &read)) {
        ThrowLastError();
    }
    return read;
}

void CFileEx::Write(const void* data, unsigned n) {
    if (n == 0) {
        return;
    }
    plat::DWORD written = 0;
    if (!plat::WriteFile(handle, data, n, &written)) {
        ThrowLastError(fileName);
    }
    if (written < n) {
        throw CFileExException{fileName, CFileExException::kShortWrite};
    }
}

void CFileEx::Abort() {
    if (handle != plat::INVALID_HANDLE_VALUE) {
        plat::CloseHandle(handle);
    }
    handle = plat::INVALID_HANDLE_VALUE;
    closeOnDestroy = false;
    fileName.clear();
}

void CFileEx::Flush() {
    if (handle != plat::INVALID_HANDLE_VALUE && !plat::FlushFileBuffers(handle)) {
        ThrowLastError();
    }
}

void CFileEx::Close() {
    bool failed = false;
    if (handle != plat::INVALID_HANDLE_VALUE) {
        failed = !plat::CloseHandle(handle);
    }
    handle = plat::INVALID_HANDLE_VALUE;
    closeOnDestroy = false;
    fileName.clear();
    if (failed) {
        ThrowLastError();
    }
}
