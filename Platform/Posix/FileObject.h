// Internal to the POSIX backend: an open file, with the process-wide share-mode rules and the
// emulated free space of each drive.
#pragma once

#include "Platform/Posix/HostPaths.h"
#include "Platform/Posix/KernelObjects.h"

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <mutex>

namespace plat::posix {

struct OpenRequest {
    DWORD access = 0;
    DWORD share = 0;
    DWORD creation = 0;
    bool append = false; // every write goes to the end (the runtime library's "a" modes)
};

class FileObject final : public KernelObject {
public:
    // Null with the Windows error in GetLastError(). On success the last error is
    // ERROR_ALREADY_EXISTS when CREATE_ALWAYS or OPEN_ALWAYS found the file, else 0.
    static std::shared_ptr<FileObject> Open(const wchar_t* path, const OpenRequest& request);

    FileObject(int descriptor, const OpenRequest& request, wchar_t drive, dev_t device, ino_t inode);
    ~FileObject() override;

    bool Read(void* buffer, DWORD count, DWORD* read);
    // Writes what fits in the drive's free space; the rest fails with ERROR_DISK_FULL.
    bool Write(const void* data, DWORD count, DWORD* written);
    // Moves the position; a result below 0 fails with ERROR_NEGATIVE_SEEK, above `limit` with
    // ERROR_INVALID_PARAMETER, both leaving the position unchanged.
    bool Seek(std::int64_t distance, DWORD method, std::int64_t limit, std::int64_t* position);
    bool SetEndAtPosition();
    bool Flush();

    bool CanRead() const { return canRead_; }
    bool CanWrite() const { return canWrite_; }
    DWORD Share() const { return share_; }
    bool SharesData() const { return canRead_ || canWrite_; }
    dev_t Device() const { return device_; }
    ino_t Inode() const { return inode_; }

private:
    bool SizeOf(std::int64_t* size) const;

    const int descriptor_;
    const bool canRead_;
    const bool canWrite_;
    const bool append_;
    const DWORD share_;
    const wchar_t drive_;
    const dev_t device_;
    const ino_t inode_;
    std::mutex mutex_;
    std::int64_t position_ = 0; // guarded by mutex_
};

// Held across every compound operation on names (open, delete, move) so that the share checks
// and the host operation happen as one step for the whole process.
class NamespaceLock {
public:
    NamespaceLock();
    ~NamespaceLock();
    NamespaceLock(const NamespaceLock&) = delete;
    NamespaceLock& operator=(const NamespaceLock&) = delete;

    // Some handle of the file takes part in sharing without allowing deletion (ERROR_SHARING_VIOLATION).
    bool BlocksDelete(dev_t device, ino_t inode) const;
    bool IsOpen(dev_t device, ino_t inode) const;
};

// The emulated free space of a drive (false when it has no budget and the host's counts).
bool DriveFreeSpace(wchar_t drive, std::uint64_t* bytes);
// Gives back the space of bytes removed from a file on the drive.
void ReleaseDriveSpace(wchar_t drive, std::uint64_t bytes);
// Takes space for bytes added to a file; false (nothing taken) when it does not fit.
bool ClaimDriveSpace(wchar_t drive, std::uint64_t bytes);

} // namespace plat::posix
