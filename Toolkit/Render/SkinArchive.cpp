#include "Toolkit/Render/SkinArchive.h"

#include "Platform/File.h"
#include "Platform/Text.h"
#include "Platform/Thread.h"
#include "Toolkit/Markup/XmlDocument.h"

#include <algorithm>
#include <cstdint>
#include <memory>

namespace SkinUI {

namespace {

// Entry names in the archive are in the ANSI code page with "/" between folders.
bool ToArchiveName(std::wstring_view name, std::string& archiveName)
{
    if (name.size() > CSkinArchive::kMaxEntryNameLength)
        return false;
    std::wstring slashed(name);
    std::replace(slashed.begin(), slashed.end(), L'\\', L'/');
    archiveName.clear();
    if (slashed.empty())
        return true;
    const int length = static_cast<int>(slashed.size());
    const int needed = plat::WideCharToMultiByte(plat::CP_ACP, slashed.data(), length, nullptr, 0, nullptr);
    if (needed <= 0)
        return false;
    archiveName.resize(static_cast<std::size_t>(needed));
    return plat::WideCharToMultiByte(plat::CP_ACP, slashed.data(), length, archiveName.data(), needed, nullptr) ==
           needed;
}

struct TFileCloser {
    void operator()(plat::OpaqueHandle* handle) const
    {
        if (handle != plat::INVALID_HANDLE_VALUE)
            plat::CloseHandle(handle);
    }
};

} // namespace

CSkinArchive& CSkinArchive::Process()
{
    // Never destroyed: layout loads may run during static destruction of other objects.
    static CSkinArchive* const process = [] {
        auto* archive = new CSkinArchive;
        InstallReaderOf(archive);
        return archive;
    }();
    return *process;
}

void CSkinArchive::InstallLayoutReader()
{
    InstallReaderOf(&Process());
}

void CSkinArchive::InstallReaderOf(CSkinArchive* archive)
{
    CXmlDocument::SetSkinFileReader(
        [archive](std::wstring_view name, std::vector<unsigned char>& bytes, std::wstring& error) {
            return archive->ReadSkinFile(name, bytes, error);
        });
}

void CSkinArchive::SetResourcePath(std::wstring_view path)
{
    m_resourcePath = path;
    if (!m_resourcePath.empty() && m_resourcePath.back() != L'\\' && m_resourcePath.back() != L'/')
        m_resourcePath += L'\\';
}

void CSkinArchive::SetResourceZip(std::wstring_view name)
{
    if (m_archive.IsOpen() && m_archiveName == name)
        return;
    m_archive.Close();
    m_archiveName = name;
    m_archive.OpenFile(m_resourcePath + m_archiveName);
}

void CSkinArchive::SetResourceZip(const unsigned char* bytes, std::size_t size)
{
    if (m_archive.IsOpen() && m_archiveName == kMemoryArchiveName)
        return;
    m_archive.Close();
    m_archiveName = kMemoryArchiveName;
    m_archive.OpenMemory(bytes, size);
}

void CSkinArchive::Reset()
{
    m_archive.Close();
    m_archiveName.clear();
    m_resourcePath.clear();
}

bool CSkinArchive::ReadSkinFile(std::wstring_view name, std::vector<unsigned char>& bytes, std::wstring& error)
{
    if (!m_archiveName.empty())
        return ReadFromArchive(name, bytes, error);
    return ReadFromFolder(name, bytes, error);
}

bool CSkinArchive::ReadFromArchive(std::wstring_view name, std::vector<unsigned char>& bytes, std::wstring& error)
{
    // An archive that is not kept open is opened for this one read; a memory archive that did not
    // open has no file to fall back on.
    CZipArchive once;
    CZipArchive* archive = &m_archive;
    if (!m_archive.IsOpen()) {
        if (m_archiveName == kMemoryArchiveName || !once.OpenFile(m_resourcePath + m_archiveName)) {
            error = L"Error opening zip file";
            return false;
        }
        archive = &once;
    }
    std::string entryName;
    if (!ToArchiveName(name, entryName)) {
        error = L"Could not find ziped file";
        return false;
    }
    switch (archive->Read(entryName, kMaxFileSize, bytes)) {
    case CZipArchive::EReadResult::kOk: return true;
    case CZipArchive::EReadResult::kNotFound: error = L"Could not find ziped file"; break;
    case CZipArchive::EReadResult::kEmpty: error = L"File is empty"; break;
    case CZipArchive::EReadResult::kTooLarge: error = L"File too large"; break;
    case CZipArchive::EReadResult::kUnzipFailed: error = L"Could not unzip file"; break;
    }
    return false;
}

bool CSkinArchive::ReadFromFolder(std::wstring_view name, std::vector<unsigned char>& bytes, std::wstring& error)
{
    const std::wstring path = m_resourcePath + std::wstring(name);
    const std::unique_ptr<plat::OpaqueHandle, TFileCloser> file(
        plat::CreateFile(path.c_str(), plat::GENERIC_READ, plat::FILE_SHARE_READ, false, plat::OPEN_EXISTING));
    std::int64_t size = 0;
    if (file.get() == plat::INVALID_HANDLE_VALUE || !plat::FindFileSize(path.c_str(), &size)) {
        error = L"Error opening file";
        return false;
    }
    if (size == 0) {
        error = L"File is empty";
        return false;
    }
    if (size < 0 || static_cast<std::uint64_t>(size) > kMaxFileSize) {
        error = L"File too large";
        return false;
    }
    std::vector<unsigned char> buffer(static_cast<std::size_t>(size));
    plat::DWORD read = 0;
    if (!plat::ReadFile(file.get(), buffer.data(), static_cast<plat::DWORD>(buffer.size()), &read) ||
        read != buffer.size()) {
        error = L"Could not read file";
        return false;
    }
    bytes = std::move(buffer);
    return true;
}

} // namespace SkinUI
