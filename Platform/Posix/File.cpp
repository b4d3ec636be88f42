// File handles.
#include "Platform/File.h"

#include "Platform/Posix/FileObject.h"

namespace plat {
namespace {

std::shared_ptr<posix::FileObject> FileOf(HANDLE file) {
    return posix::LookupHandleAs<posix::FileObject>(file, posix::KernelObject::Kind::File);
}

} // namespace

HANDLE CreateFile(const wchar_t* path, DWORD access, DWORD share, bool /*inheritable*/, DWORD creation) {
    // Handles are never inherited here: CreateProcess passes none on.
    auto file = posix::FileObject::Open(path, {access, share, creation, false});
    if (!file) {
        return INVALID_HANDLE_VALUE;
    }
    const DWORD outcome = GetLastError();
    HANDLE handle = posix::RegisterHandle(std::move(file));
    SetLastError(outcome);
    return handle;
}

DWORD SetFilePointer(HANDLE file, long distance, DWORD method) {
    auto object = FileOf(file);
    std::int64_t position = 0;
    // The distance is a 32-bit LONG on the system.
    if (!object || !object->Seek(static_cast<std::int32_t>(distance), method, 0xFFFFFFFF, &position)) {
        return INVALID_SET_FILE_POINTER;
    }
    if (position == INVALID_SET_FILE_POINTER) {
        SetLastError(ERROR_SUCCESS);
    }
    return static_cast<DWORD>(position);
}

bool SetEndOfFile(HANDLE file) {
    auto object = FileOf(file);
    return object && object->SetEndAtPosition();
}

bool ReadFile(HANDLE file, void* buffer, DWORD count, DWORD* read) {
    auto object = FileOf(file);
    if (!object) {
        if (read != nullptr) {
            *read = 0;
        }
        return false;
    }
    return object->Read(buffer, count, read);
}

bool WriteFile(HANDLE file, const void* data, DWORD count, DWORD* written) {
    auto object = FileOf(file);
    if (!object) {
        if (written != nullptr) {
            *written = 0;
        }
        return false;
    }
    return object->Write(data, count, written);
}

bool FlushFileBuffers(HANDLE file) {
    auto object = FileOf(file);
    return object && object->Flush();
}

} // namespace plat
