#include "Platform/Posix/FileObject.h"

#include "Platform/File.h"
#include "Platform/Posix/MachineState.h"
#include "Platform/Posix/TestDesktop.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cwctype>
#include <map>

namespace plat::posix {
namespace {

constexpr DWORD kGenericAll = 0x10000000u;
constexpr DWORD kFileReadData = 0x1;
constexpr DWORD kFileWriteData = 0x2;
constexpr DWORD kFileAppendData = 0x4;

bool WantsRead(DWORD access) { return (access & (GENERIC_READ | kGenericAll | kFileReadData)) != 0; }
bool WantsWrite(DWORD access) {
    return (access & (GENERIC_WRITE | kGenericAll | kFileWriteData | kFileAppendData)) != 0;
}

using FileKey = std::pair<dev_t, ino_t>;

// Never destroyed: a stream still open at exit is flushed after static destructors have run.
std::recursive_mutex& g_namespaceMutex = *new std::recursive_mutex;
auto& g_openFiles = *new std::multimap<FileKey, const FileObject*>; // guarded by g_namespaceMutex

std::mutex& g_spaceMutex = *new std::mutex;
auto& g_driveSpace = *new std::map<wchar_t, std::uint64_t>; // guarded by g_spaceMutex

template <typename Visit> bool AnyOpen(dev_t device, ino_t inode, Visit visit) {
    auto range = g_openFiles.equal_range(FileKey(device, inode));
    return std::any_of(range.first, range.second, [&](const auto& entry) { return visit(*entry.second); });
}

// Windows checks sharing only between handles that read or write data, in both directions.
bool SharingConflict(const FileObject& existing, bool read, bool write, DWORD share) {
    if (!(read || write) || !existing.SharesData()) {
        return false;
    }
    const bool deniedToNew = (read && !(existing.Share() & FILE_SHARE_READ)) ||
                             (write && !(existing.Share() & FILE_SHARE_WRITE));
    const bool deniedToExisting = (existing.CanRead() && !(share & FILE_SHARE_READ)) ||
                                  (existing.CanWrite() && !(share & FILE_SHARE_WRITE));
    return deniedToNew || deniedToExisting;
}

bool Fail(DWORD error) {
    SetLastError(error);
    return false;
}

std::shared_ptr<FileObject> FailOpen(DWORD error) {
    SetLastError(error);
    return nullptr;
}

DWORD RefusalOfExisting(const struct stat& info, const OpenRequest& request) {
    if (request.creation == CREATE_NEW) {
        return ERROR_FILE_EXISTS;
    }
    if (S_ISDIR(info.st_mode)) {
        return ERROR_ACCESS_DENIED;
    }
    const bool read = WantsRead(request.access);
    const bool write = WantsWrite(request.access);
    const bool conflict = AnyOpen(info.st_dev, info.st_ino, [&](const FileObject& other) {
        return SharingConflict(other, read, write, request.share);
    });
    return conflict ? ERROR_SHARING_VIOLATION : ERROR_SUCCESS;
}

DWORD RefusalOfMissing(const HostPath& target, const OpenRequest& request, int statError) {
    if (statError != ENOENT) {
        return ErrorFromErrno(statError);
    }
    const bool mustExist = request.creation == OPEN_EXISTING || request.creation == TRUNCATE_EXISTING;
    return mustExist ? MissingPathError(target.host) : ERROR_SUCCESS;
}

int OpenDescriptor(const HostPath& target, const OpenRequest& request, bool exists, DWORD* error) {
    const bool read = WantsRead(request.access);
    const bool write = WantsWrite(request.access);
    const int mode = read && write ? O_RDWR : write ? O_WRONLY : O_RDONLY;
    int descriptor = open(target.host.c_str(), O_CLOEXEC | mode | (exists ? 0 : O_CREAT | O_EXCL), 0666);
    // A handle without data access needs no read permission on the host.
    if (descriptor < 0 && exists && !read && !write && errno == EACCES) {
        descriptor = open(target.host.c_str(), O_CLOEXEC | O_PATH);
    }
    if (descriptor < 0) {
        *error = errno == ENOENT   ? MissingPathError(target.host)
                 : errno == EEXIST ? ERROR_FILE_EXISTS
                                   : ErrorFromErrno(errno);
    }
    return descriptor;
}

DWORD Truncate(const HostPath& target, int descriptor, bool writable) {
    const int result = writable ? ftruncate(descriptor, 0) : ::truncate(target.host.c_str(), 0);
    return result == 0 ? ERROR_SUCCESS : ErrorFromErrno(errno);
}

struct SpaceClaim {
    DWORD allowed;
    std::uint64_t claimed;
};

// How much of a write at `position` fits, taking the space by which it grows the file.
SpaceClaim ClaimForWrite(wchar_t drive, std::int64_t size, std::int64_t position, DWORD count) {
    std::lock_guard<std::mutex> lock(g_spaceMutex);
    auto budget = g_driveSpace.find(drive);
    if (drive == 0 || budget == g_driveSpace.end()) {
        return {count, 0};
    }
    const auto free = static_cast<std::int64_t>(std::min<std::uint64_t>(budget->second, INT64_MAX / 2));
    const std::int64_t room = std::max<std::int64_t>(0, size + free - position);
    const auto allowed = static_cast<DWORD>(std::min<std::int64_t>(count, room));
    const std::int64_t growth = allowed == 0 ? 0 : std::max<std::int64_t>(0, position + allowed - size);
    budget->second -= static_cast<std::uint64_t>(growth);
    return {allowed, static_cast<std::uint64_t>(growth)};
}

} // namespace

std::shared_ptr<FileObject> FileObject::Open(const wchar_t* path, const OpenRequest& request) {
    const HostPath target = ResolvePath(path);
    if (target.error != ERROR_SUCCESS) {
        return FailOpen(target.error);
    }
    const DWORD creation = request.creation;
    if (creation < CREATE_NEW || creation > TRUNCATE_EXISTING ||
        (creation == TRUNCATE_EXISTING && !WantsWrite(request.access))) {
        return FailOpen(ERROR_INVALID_PARAMETER);
    }
    NamespaceLock lock;
    struct stat info{};
    const bool exists = stat(target.host.c_str(), &info) == 0;
    const int statError = exists ? 0 : errno;
    if (const DWORD refusal =
            exists ? RefusalOfExisting(info, request) : RefusalOfMissing(target, request, statError)) {
        return FailOpen(refusal);
    }
    DWORD error = ERROR_SUCCESS;
    const int descriptor = OpenDescriptor(target, request, exists, &error);
    if (descriptor < 0) {
        return FailOpen(error);
    }
    if (exists && (creation == CREATE_ALWAYS || creation == TRUNCATE_EXISTING)) {
        if (const DWORD failure = Truncate(target, descriptor, WantsWrite(request.access))) {
            close(descriptor);
            return FailOpen(failure);
        }
        ReleaseDriveSpace(target.drive, static_cast<std::uint64_t>(info.st_size));
    }
    fstat(descriptor, &info);
    auto file = std::make_shared<FileObject>(descriptor, request, target.drive, info.st_dev, info.st_ino);
    SetLastError(exists && (creation == CREATE_ALWAYS || creation == OPEN_ALWAYS) ? ERROR_ALREADY_EXISTS
                                                                                 : ERROR_SUCCESS);
    return file;
}

FileObject::FileObject(int descriptor, const OpenRequest& request, wchar_t drive, dev_t device, ino_t inode)
    : KernelObject(Kind::File, kAlwaysNs), descriptor_(descriptor), canRead_(WantsRead(request.access)),
      canWrite_(WantsWrite(request.access)), append_(request.append), share_(request.share), drive_(drive),
      device_(device), inode_(inode) {
    std::lock_guard<std::recursive_mutex> lock(g_namespaceMutex);
    g_openFiles.emplace(FileKey(device, inode), this);
}

FileObject::~FileObject() {
    {
        std::lock_guard<std::recursive_mutex> lock(g_namespaceMutex);
        auto range = g_openFiles.equal_range(FileKey(device_, inode_));
        for (auto entry = range.first; entry != range.second; ++entry) {
            if (entry->second == this) {
                g_openFiles.erase(entry);
                break;
            }
        }
    }
    close(descriptor_);
}

bool FileObject::SizeOf(std::int64_t* size) const {
    struct stat info{};
    if (fstat(descriptor_, &info) != 0) {
        return Fail(ErrorFromErrno(errno));
    }
    *size = info.st_size;
    return true;
}

bool FileObject::Read(void* buffer, DWORD count, DWORD* read) {
    if (read != nullptr) {
        *read = 0;
    }
    if (!canRead_) {
        return Fail(ERROR_ACCESS_DENIED);
    }
    std::lock_guard<std::mutex> lock(mutex_);
    DWORD done = 0;
    while (done < count) {
        const ssize_t got = pread(descriptor_, static_cast<char*>(buffer) + done, count - done, position_ + done);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return Fail(ErrorFromErrno(errno));
        }
        if (got == 0) {
            break;
        }
        done += static_cast<DWORD>(got);
    }
    position_ += done;
    if (read != nullptr) {
        *read = done;
    }
    return true;
}

bool FileObject::Write(const void* data, DWORD count, DWORD* written) {
    if (written != nullptr) {
        *written = 0;
    }
    if (!canWrite_) {
        return Fail(ERROR_ACCESS_DENIED);
    }
    std::lock_guard<std::mutex> lock(mutex_);
    std::int64_t size = 0;
    if (!SizeOf(&size)) {
        return false;
    }
    if (append_) {
        position_ = size;
    }
    const SpaceClaim claim = ClaimForWrite(drive_, size, position_, count);
    DWORD done = 0;
    int hostError = 0;
    while (done < claim.allowed) {
        const ssize_t put =
            pwrite(descriptor_, static_cast<const char*>(data) + done, claim.allowed - done, position_ + done);
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            hostError = put < 0 ? errno : ENOSPC;
            break;
        }
        done += static_cast<DWORD>(put);
    }
    const auto grown = static_cast<std::uint64_t>(std::max<std::int64_t>(0, position_ + done - size));
    ReleaseDriveSpace(drive_, claim.claimed - std::min(grown, claim.claimed));
    position_ += done;
    if (written != nullptr) {
        *written = done;
    }
    if (hostError != 0) {
        return Fail(ErrorFromErrno(hostError));
    }
    return done == count || Fail(ERROR_DISK_FULL);
}

bool FileObject::Seek(std::int64_t distance, DWORD method, std::int64_t limit, std::int64_t* position) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::int64_t base = 0;
    if (method == FILE_CURRENT) {
        base = position_;
    } else if (method == FILE_END) {
        if (!SizeOf(&base)) {
            return false;
        }
    } else if (method != FILE_BEGIN) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    const std::int64_t target = base + distance;
    if (target < 0) {
        return Fail(ERROR_NEGATIVE_SEEK);
    }
    if (target > limit) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    position_ = target;
    *position = target;
    return true;
}

bool FileObject::SetEndAtPosition() {
    if (!canWrite_) {
        return Fail(ERROR_ACCESS_DENIED);
    }
    std::lock_guard<std::mutex> lock(mutex_);
    std::int64_t size = 0;
    if (!SizeOf(&size)) {
        return false;
    }
    // Already that long: nothing to do. A truncate to zero would also make some host file systems
    // flush the whole file when it is closed, which costs a fresh download dearly.
    if (position_ == size) {
        return true;
    }
    if (position_ > size && !ClaimDriveSpace(drive_, static_cast<std::uint64_t>(position_ - size))) {
        return Fail(ERROR_DISK_FULL);
    }
    if (ftruncate(descriptor_, position_) != 0) {
        const int error = errno;
        if (position_ > size) {
            ReleaseDriveSpace(drive_, static_cast<std::uint64_t>(position_ - size));
        }
        return Fail(ErrorFromErrno(error));
    }
    if (position_ < size) {
        ReleaseDriveSpace(drive_, static_cast<std::uint64_t>(size - position_));
    }
    return true;
}

bool FileObject::Flush() {
    if (!canWrite_) {
        return Fail(ERROR_ACCESS_DENIED);
    }
    if (fsync(descriptor_) != 0 && errno != EINVAL && errno != EROFS) {
        return Fail(ErrorFromErrno(errno));
    }
    return true;
}

NamespaceLock::NamespaceLock() { g_namespaceMutex.lock(); }
NamespaceLock::~NamespaceLock() { g_namespaceMutex.unlock(); }

bool NamespaceLock::BlocksDelete(dev_t device, ino_t inode) const {
    return AnyOpen(device, inode,
                   [](const FileObject& other) { return other.SharesData() && !(other.Share() & FILE_SHARE_DELETE); });
}

bool NamespaceLock::IsOpen(dev_t device, ino_t inode) const {
    return AnyOpen(device, inode, [](const FileObject&) { return true; });
}

bool DriveFreeSpace(wchar_t drive, std::uint64_t* bytes) {
    std::lock_guard<std::mutex> lock(g_spaceMutex);
    auto budget = g_driveSpace.find(drive);
    if (drive == 0 || budget == g_driveSpace.end()) {
        return false;
    }
    *bytes = budget->second;
    return true;
}

void ReleaseDriveSpace(wchar_t drive, std::uint64_t bytes) {
    std::lock_guard<std::mutex> lock(g_spaceMutex);
    auto budget = g_driveSpace.find(drive);
    if (drive != 0 && budget != g_driveSpace.end()) {
        budget->second += bytes;
    }
}

bool ClaimDriveSpace(wchar_t drive, std::uint64_t bytes) {
    std::lock_guard<std::mutex> lock(g_spaceMutex);
    auto budget = g_driveSpace.find(drive);
    if (drive == 0 || budget == g_driveSpace.end()) {
        return true;
    }
    if (budget->second < bytes) {
        return false;
    }
    budget->second -= bytes;
    return true;
}

void ResetFiles() {
    ResetDrives();
    std::lock_guard<std::mutex> lock(g_spaceMutex);
    g_driveSpace.clear();
}

} // namespace plat::posix

namespace plat::test {

void SetDiskFreeSpace(wchar_t letter, std::uint64_t bytes) {
    std::lock_guard<std::mutex> lock(posix::g_spaceMutex);
    posix::g_driveSpace[static_cast<wchar_t>(std::towupper(letter))] = bytes;
}

} // namespace plat::test
