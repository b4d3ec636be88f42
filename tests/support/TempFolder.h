// A fresh folder under the system's temporary folder, removed with everything in it at the end.
#pragma once

#include <string>

namespace testsupport {

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder as the system names it (no trailing separator).
    const std::wstring& Path() const { return path_; }
    // Path() + separator + name.
    std::wstring operator/(const std::wstring& name) const;

    // Writes a file with the given bytes (narrow content) and returns its path.
    std::wstring WriteFile(const std::wstring& name, const std::string& content) const;
    // Reads a whole file's bytes ("" when missing).
    static std::string ReadFile(const std::wstring& path);

private:
    std::wstring path_;
};

} // namespace testsupport
