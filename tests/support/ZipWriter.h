// Builds small ZIP archives in memory for tests. Header-only: its users link the toolkit, which
// brings the archive library.
#pragma once

#include <minizip/zip.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace testsupport {

struct TZipEntry {
    std::string name; // bytes as stored in the archive
    std::string content;
    bool deflate = true;
};

namespace zipwriter_detail {

struct TBuffer {
    std::string bytes;
    std::uint64_t position = 0;
};

inline voidpf Open(voidpf opaque, const void*, int) { return opaque; }
inline uLong Read(voidpf, voidpf stream, void* buffer, uLong size)
{
    auto* out = static_cast<TBuffer*>(stream);
    const std::uint64_t available = out->bytes.size() - std::min<std::uint64_t>(out->position, out->bytes.size());
    const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(size, available));
    std::memcpy(buffer, out->bytes.data() + out->position, count);
    out->position += count;
    return static_cast<uLong>(count);
}
inline uLong Write(voidpf, voidpf stream, const void* data, uLong size)
{
    auto* out = static_cast<TBuffer*>(stream);
    const auto end = static_cast<std::size_t>(out->position + size);
    if (out->bytes.size() < end)
        out->bytes.resize(end);
    std::memcpy(out->bytes.data() + out->position, data, size);
    out->position = end;
    return size;
}
inline ZPOS64_T Tell(voidpf, voidpf stream) { return static_cast<TBuffer*>(stream)->position; }
inline long Seek(voidpf, voidpf stream, ZPOS64_T offset, int origin)
{
    auto* out = static_cast<TBuffer*>(stream);
    const std::uint64_t base = origin == ZLIB_FILEFUNC_SEEK_CUR ? out->position
                               : origin == ZLIB_FILEFUNC_SEEK_END ? out->bytes.size()
                                                                   : 0;
    out->position = base + offset;
    return 0;
}
inline int Close(voidpf, voidpf) { return 0; }
inline int Error(voidpf, voidpf) { return 0; }

} // namespace zipwriter_detail

// The entries in order; an empty string when the archive library refuses.
inline std::string MakeZip(const std::vector<TZipEntry>& entries)
{
    using namespace zipwriter_detail;
    TBuffer buffer;
    zlib_filefunc64_def functions{Open, Read, Write, Tell, Seek, Close, Error, &buffer};
    zipFile zip = zipOpen2_64(nullptr, APPEND_STATUS_CREATE, nullptr, &functions);
    if (zip == nullptr)
        return {};
    bool ok = true;
    for (const TZipEntry& entry : entries) {
        const zip_fileinfo info{};
        ok = ok && zipOpenNewFileInZip64(zip, entry.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr,
                                         entry.deflate ? Z_DEFLATED : 0, Z_DEFAULT_COMPRESSION, 0) == ZIP_OK;
        ok = ok && zipWriteInFileInZip(zip, entry.content.data(), static_cast<unsigned>(entry.content.size())) == ZIP_OK;
        ok = ok && zipCloseFileInZip(zip) == ZIP_OK;
    }
    ok = zipClose(zip, nullptr) == ZIP_OK && ok;
    return ok ? buffer.bytes : std::string();
}

} // namespace testsupport
