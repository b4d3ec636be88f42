// Where skin files come from: a folder (the resource path), an archive file in it, or an archive
// held in memory, and the reading of one skin file by name.
#pragma once

#include "Toolkit/Render/ZipArchive.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace SkinUI {

class CSkinArchive {
public:
    static constexpr std::size_t kMaxFileSize = 4194304;
    static constexpr std::size_t kMaxEntryNameLength = 255;
    static constexpr const wchar_t* kMemoryArchiveName = L"membuffer";

    CSkinArchive() = default;
    CSkinArchive(const CSkinArchive&) = delete;
    CSkinArchive& operator=(const CSkinArchive&) = delete;

    // The process's skin source, alive until the process ends. Making it installs the layout reader.
    static CSkinArchive& Process();
    // Makes CXmlDocument::LoadFromFile read through Process().ReadSkinFile (again, should another
    // reader have been installed since).
    static void InstallLayoutReader();

    // Appends "\" unless the path is empty or already ends with "\" or "/".
    void SetResourcePath(std::wstring_view path);
    const std::wstring& GetResourcePath() const { return m_resourcePath; }

    // Opens resource path + name and keeps it open; the same name while open does nothing, another
    // closes the open archive first. The name is kept even when opening fails (each read retries).
    void SetResourceZip(std::wstring_view name);
    // Makes a copy of the bytes the open archive, named "membuffer"; does nothing while a
    // "membuffer" archive is open.
    void SetResourceZip(const unsigned char* bytes, std::size_t size);
    const std::wstring& GetResourceZip() const { return m_archiveName; }
    bool IsResourceZipCached() const { return m_archive.IsOpen(); }

    // The whole file, or false with the failure text in error.
    bool ReadSkinFile(std::wstring_view name, std::vector<unsigned char>& bytes, std::wstring& error);

    // Back to the start: no path, no archive.
    void Reset();

private:
    static void InstallReaderOf(CSkinArchive* archive);
    bool ReadFromArchive(std::wstring_view name, std::vector<unsigned char>& bytes, std::wstring& error);
    bool ReadFromFolder(std::wstring_view name, std::vector<unsigned char>& bytes, std::wstring& error);

    std::wstring m_resourcePath;
    std::wstring m_archiveName;
    CZipArchive m_archive;
};

} // namespace SkinUI
