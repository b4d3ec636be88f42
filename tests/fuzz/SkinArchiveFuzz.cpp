// Skin archives from arbitrary bytes: every listed entry is read, and the skin source is asked for
// a name taken from the input. A successful read is never empty and never above the limit.
#include "Toolkit/Render/SkinArchive.h"
#include "Toolkit/Render/ZipArchive.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kFuzzLimit = 1 << 20;

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

void ReadEveryEntry(const std::uint8_t* bytes, std::size_t size)
{
    SkinUI::CZipArchive archive;
    if (!archive.OpenMemory(bytes, size))
        return;
    const std::vector<std::string> names = archive.EntryNames();
    for (std::size_t i = 0; i < names.size() && i < 64; ++i) {
        std::vector<unsigned char> content;
        if (archive.Read(names[i], kFuzzLimit, content) == SkinUI::CZipArchive::EReadResult::kOk)
            Check(!content.empty() && content.size() <= kFuzzLimit);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    // First byte: length of the name to ask for; then the name; the rest is the archive.
    const std::size_t nameLength = std::min<std::size_t>(data[0] % 32, size - 1);
    const std::wstring name(data + 1, data + 1 + nameLength);
    const std::uint8_t* archiveBytes = data + 1 + nameLength;
    const std::size_t archiveSize = size - 1 - nameLength;

    ReadEveryEntry(archiveBytes, archiveSize);

    SkinUI::CSkinArchive skin;
    skin.SetResourceZip(archiveBytes, archiveSize);
    std::vector<unsigned char> content;
    std::wstring error;
    if (skin.ReadSkinFile(name, content, error))
        Check(!content.empty() && content.size() <= SkinUI::CSkinArchive::kMaxFileSize);
    else
        Check(!error.empty());
    return 0;
}
