#include "Toolkit/Render/ZipArchive.h"

#include "Platform/File.h"

#include <minizip/unzip.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>

namespace SkinUI {

// What the archive reads from: a private copy of memory bytes, or an open file.
struct CZipArchive::TStream {
    std::vector<unsigned char> bytes;
    std::uint64_t position = 0;
    bool fromFile = false;
    std::wstring path;
    std::FILE* file = nullptr;
};

namespace {

using TStream = CZipArchive::TStream;

TStream* StreamOf(voidpf stream) { return static_cast<TStream*>(stream); }

voidpf OpenCallback(voidpf opaque, const void*, int)
{
    TStream* stream = StreamOf(opaque);
    if (stream->fromFile) {
        stream->file = plat::OpenCrtFile(stream->path.c_str(), L"rb");
        if (stream->file == nullptr)
            return nullptr;
    }
    stream->position = 0;
    return stream;
}

uLong ReadCallback(voidpf, voidpf handle, void* buffer, uLong size)
{
    TStream* stream = StreamOf(handle);
    if (stream->file != nullptr)
        return static_cast<uLong>(std::fread(buffer, 1, size, stream->file));
    if (stream->position >= stream->bytes.size())
        return 0;
    const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(size, stream->bytes.size() - stream->position));
    std::memcpy(buffer, stream->bytes.data() + stream->position, count);
    stream->position += count;
    return static_cast<uLong>(count);
}

uLong WriteCallback(voidpf, voidpf, const void*, uLong)
{
    return 0;
}

ZPOS64_T TellCallback(voidpf, voidpf handle)
{
    TStream* stream = StreamOf(handle);
    if (stream->file == nullptr)
        return stream->position;
    const std::int64_t position = plat::CrtTell64(stream->file);
    return position < 0 ? std::numeric_limits<ZPOS64_T>::max() : static_cast<ZPOS64_T>(position);
}

long SeekCallback(voidpf, voidpf handle, ZPOS64_T offset, int origin)
{
    TStream* stream = StreamOf(handle);
    if (stream->file != nullptr) {
        if (offset > static_cast<ZPOS64_T>(std::numeric_limits<std::int64_t>::max()))
            return -1;
        const int whence = origin == ZLIB_FILEFUNC_SEEK_CUR ? SEEK_CUR : origin == ZLIB_FILEFUNC_SEEK_END ? SEEK_END : SEEK_SET;
        return plat::CrtSeek64(stream->file, static_cast<std::int64_t>(offset), whence) == 0 ? 0 : -1;
    }
    // minizip only seeks forward from the current position and the end.
    std::uint64_t base = 0;
    if (origin == ZLIB_FILEFUNC_SEEK_CUR)
        base = stream->position;
    else if (origin == ZLIB_FILEFUNC_SEEK_END)
        base = stream->bytes.size();
    if (offset > stream->bytes.size() || base > stream->bytes.size() - offset)
        return -1;
    stream->position = base + offset;
    return 0;
}

int CloseCallback(voidpf, voidpf handle)
{
    TStream* stream = StreamOf(handle);
    if (stream->file == nullptr)
        return 0;
    const int result = std::fclose(stream->file);
    stream->file = nullptr;
    return result;
}

int ErrorCallback(voidpf, voidpf handle)
{
    TStream* stream = StreamOf(handle);
    return stream->file != nullptr ? std::ferror(stream->file) : 0;
}

char LowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

unzFile HandleOf(void* handle) { return static_cast<unzFile>(handle); }

} // namespace

CZipArchive::CZipArchive() = default;

CZipArchive::~CZipArchive()
{
    Close();
}

bool CZipArchive::OpenFile(const std::wstring& path)
{
    Close();
    m_stream = std::make_unique<TStream>();
    m_stream->fromFile = true;
    m_stream->path = path;
    return OpenStream();
}

bool CZipArchive::OpenMemory(const unsigned char* bytes, std::size_t size)
{
    Close();
    m_stream = std::make_unique<TStream>();
    if (bytes != nullptr)
        m_stream->bytes.assign(bytes, bytes + size);
    return OpenStream();
}

bool CZipArchive::OpenStream()
{
    zlib_filefunc64_def functions{OpenCallback, ReadCallback, WriteCallback, TellCallback, SeekCallback,
                                  CloseCallback, ErrorCallback, m_stream.get()};
    m_handle = unzOpen2_64(nullptr, &functions);
    if (m_handle == nullptr)
        m_stream.reset();
    return m_handle != nullptr;
}

void CZipArchive::Close()
{
    if (m_handle != nullptr)
        unzClose(HandleOf(m_handle));
    m_handle = nullptr;
    m_stream.reset();
}

bool CZipArchive::IsOpen() const
{
    return m_handle != nullptr;
}

bool CZipArchive::FindEntry(std::string_view name)
{
    unzFile zip = HandleOf(m_handle);
    std::vector<char> entryName(name.size() + 1);
    for (int status = unzGoToFirstFile(zip); status == UNZ_OK; status = unzGoToNextFile(zip)) {
        unz_file_info64 info{};
        if (unzGetCurrentFileInfo64(zip, &info, entryName.data(), static_cast<uLong>(entryName.size()), nullptr, 0,
                                    nullptr, 0) != UNZ_OK)
            return false;
        if (info.size_filename == name.size() && EqualIgnoringAsciiCase({entryName.data(), name.size()}, name))
            return true;
    }
    return false;
}

std::vector<std::string> CZipArchive::EntryNames(std::size_t maxLength)
{
    std::vector<std::string> names;
    if (m_handle == nullptr)
        return names;
    unzFile zip = HandleOf(m_handle);
    std::vector<char> entryName(maxLength + 1);
    for (int status = unzGoToFirstFile(zip); status == UNZ_OK; status = unzGoToNextFile(zip)) {
        unz_file_info64 info{};
        if (unzGetCurrentFileInfo64(zip, &info, entryName.data(), static_cast<uLong>(entryName.size()), nullptr, 0,
                                    nullptr, 0) != UNZ_OK)
            break;
        names.emplace_back(entryName.data(), std::min<std::size_t>(info.size_filename, maxLength));
    }
    return names;
}

CZipArchive::EReadResult CZipArchive::ReadCurrent(std::size_t maxSize, std::vector<unsigned char>& bytes)
{
    unzFile zip = HandleOf(m_handle);
    unz_file_info64 info{};
    if (unzGetCurrentFileInfo64(zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
        return EReadResult::kUnzipFailed;
    if (info.uncompressed_size == 0)
        return EReadResult::kEmpty;
    if (info.uncompressed_size > maxSize)
        return EReadResult::kTooLarge;
    if (unzOpenCurrentFile(zip) != UNZ_OK)
        return EReadResult::kUnzipFailed;
    std::vector<unsigned char> buffer(static_cast<std::size_t>(info.uncompressed_size));
    std::size_t done = 0;
    while (done < buffer.size()) {
        const int got = unzReadCurrentFile(zip, buffer.data() + done, static_cast<unsigned>(buffer.size() - done));
        if (got <= 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    // Closing checks the CRC once the whole entry has been read.
    const int closed = unzCloseCurrentFile(zip);
    if (done < buffer.size() || closed != UNZ_OK)
        return EReadResult::kUnzipFailed;
    bytes = std::move(buffer);
    return EReadResult::kOk;
}

CZipArchive::EReadResult CZipArchive::Read(std::string_view name, std::size_t maxSize,
                                           std::vector<unsigned char>& bytes)
{
    if (m_handle == nullptr || !FindEntry(name))
        return EReadResult::kNotFound;
    return ReadCurrent(maxSize, bytes);
}

} // namespace SkinUI
