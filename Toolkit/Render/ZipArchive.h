// Read-only access to the entries of a ZIP archive (stored and deflated entries), held in memory or
// read from a file through the platform's files.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace SkinUI {

class CZipArchive {
public:
    enum class EReadResult { kOk, kNotFound, kEmpty, kTooLarge, kUnzipFailed };

    CZipArchive();
    ~CZipArchive();
    CZipArchive(const CZipArchive&) = delete;
    CZipArchive& operator=(const CZipArchive&) = delete;

    // Closes what was open first; false when the file is missing or is no archive.
    bool OpenFile(const std::wstring& path);
    // The bytes are copied, so the caller's buffer may go away at once.
    bool OpenMemory(const unsigned char* bytes, std::size_t size);
    void Close();
    bool IsOpen() const;

    // The first entry in central-directory order whose name equals name (bytes in the archive's
    // encoding), ASCII letters compared without case. Entries above maxSize are not inflated.
    EReadResult Read(std::string_view name, std::size_t maxSize, std::vector<unsigned char>& bytes);
    // Entry names in central-directory order (names of at most maxLength bytes are cut there).
    std::vector<std::string> EntryNames(std::size_t maxLength = 255);

    struct TStream;

private:
    bool OpenStream();
    bool FindEntry(std::string_view name);
    EReadResult ReadCurrent(std::size_t maxSize, std::vector<unsigned char>& bytes);

    std::unique_ptr<TStream> m_stream;
    void* m_handle = nullptr;
};

} // namespace SkinUI
