// pmtool layout: builds a layout into a window of its own, runs the first paint and prints the
// control tree (optionally the window's pixels as a PNG).
#include "Platform/Draw.h"
#include "Platform/File.h"
#include "Toolkit/Controls/ContainerUI.h"
#include "Toolkit/Core/WindowImplBase.h"
#include "Toolkit/Markup/XmlDocument.h"
#include "Toolkit/Render/SkinArchive.h"
#include "tools/pmtool/Commands.h"

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace pmtool {

namespace {

using namespace SkinUI;

constexpr int kFailed = 1;
constexpr int kUsageError = 2;
constexpr const wchar_t* kUsage = L"usage: pmtool layout [--skin DIR|ZIP] [--size WxH] [--png OUT] FILE";

struct TLayoutOptions {
    std::wstring skin;
    std::wstring png;
    std::wstring file;
    int width = 0;
    int height = 0;
};

bool ParseSizeOption(const std::wstring& text, TLayoutOptions& options)
{
    const std::size_t x = text.find_first_of(L"xX");
    if (x == std::wstring::npos || x == 0 || x + 1 >= text.size())
        return false;
    try {
        options.width = std::stoi(text.substr(0, x));
        options.height = std::stoi(text.substr(x + 1));
    } catch (...) {
        return false;
    }
    return options.width > 0 && options.height > 0;
}

bool ParseOptions(const Args& args, TLayoutOptions& options)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::wstring& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == L"--skin" && hasValue)
            options.skin = args[++i];
        else if (arg == L"--png" && hasValue)
            options.png = args[++i];
        else if (arg == L"--size" && hasValue) {
            if (!ParseSizeOption(args[++i], options))
                return false;
        } else if (options.file.empty() && (arg.empty() || arg[0] != L'-' || arg == L"-"))
            options.file = arg;
        else
            return false;
    }
    return !options.file.empty();
}

bool ReadWholeFile(const std::wstring& path, std::vector<unsigned char>& bytes)
{
    std::FILE* file = plat::OpenCrtFile(path.c_str(), L"rb");
    if (file == nullptr)
        return false;
    unsigned char chunk[65536];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + got);
    const bool ok = std::ferror(file) == 0;
    std::fclose(file);
    return ok;
}

// With its trailing separator; "./" for a bare file name, so the resource path is never empty.
std::wstring FolderOf(const std::wstring& path)
{
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring(L"./") : path.substr(0, slash + 1);
}

// Points the process's skin at the folder or archive; the layout name to build comes back.
bool PrepareSkin(const TLayoutOptions& options, std::wstring& layout)
{
    CSkinArchive& skin = CSkinArchive::Process();
    layout = options.file;
    if (options.skin.empty()) {
        if (!layout.empty() && layout[0] != L'<') {
            const std::size_t slash = layout.find_last_of(L"\\/");
            skin.SetResourcePath(FolderOf(layout));
            layout = slash == std::wstring::npos ? layout : layout.substr(slash + 1);
        }
        return true;
    }
    if (plat::IsDirectory(options.skin.c_str())) {
        skin.SetResourcePath(options.skin);
        return true;
    }
    std::vector<unsigned char> zip;
    if (!ReadWholeFile(options.skin, zip) || zip.empty()) {
        PrintErr(L"pmtool: cannot read " + options.skin);
        return false;
    }
    skin.SetResourcePath(FolderOf(options.skin));
    skin.SetResourceZip(zip.data(), zip.size());
    return true;
}

// The parse of the document on its own, for the error text the window would not show.
bool CheckDocument(const std::wstring& layout)
{
    CXmlDocument document;
    const bool loaded = !layout.empty() && layout[0] == L'<' ? document.Load(layout) : document.LoadFromFile(layout);
    if (loaded)
        return true;
    PrintErr(L"error: " + document.GetLastErrorMessage() + L" at: " + document.GetLastErrorLocation());
    return false;
}

bool g_buildFailed = false;

class CPreviewWindow : public WindowImplBase {
public:
    explicit CPreviewWindow(std::wstring layout) : m_layout(std::move(layout)) {}

protected:
    std::wstring_view GetWindowClassName() const override { return L"PmToolLayoutPreview"; }
    std::wstring GetSkinFolder() override { return {}; }
    std::wstring GetSkinFile() override { return m_layout; }
    int GetSkinSource() const override { return kSkinFolder; }

private:
    std::wstring m_layout;
};

void PrintTree(CControlUI* control, int depth)
{
    const TRect& r = control->GetPos();
    const std::wstring name = control->GetName();
    PrintOut(std::wstring(static_cast<std::size_t>(depth) * 2, L' ') + std::wstring(control->GetClass()) +
             L" name=" + (name.empty() ? L"-" : name) + L" rect=" + std::to_wstring(r.left) + L"," +
             std::to_wstring(r.top) + L"," + std::to_wstring(r.right) + L"," + std::to_wstring(r.bottom) +
             L" visible=" + (control->IsVisible() ? L"1" : L"0") + L" float=" + (control->IsFloat() ? L"1" : L"0"));
    auto* container = static_cast<IContainerUI*>(control->GetInterface(L"IContainer"));
    for (int i = 0; container != nullptr && i < container->GetCount(); ++i)
        PrintTree(container->GetItemAt(i), depth + 1);
}

// ---- A small PNG writer: 8-bit RGBA, one unfiltered zlib stream ---------------------------------

void PutBigEndian(std::vector<unsigned char>& out, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<unsigned char>(value >> shift));
}

void PutChunk(std::vector<unsigned char>& out, const char* type, const std::vector<unsigned char>& data)
{
    PutBigEndian(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    const uLong crc = crc32(0L, out.data() + start, static_cast<uInt>(out.size() - start));
    PutBigEndian(out, static_cast<std::uint32_t>(crc));
}

unsigned Unpremultiply(unsigned channel, unsigned alpha) { return alpha == 0 ? 0 : std::min(255u, channel * 255u / alpha); }

bool WritePng(const std::wstring& path, const CBitmap& bitmap)
{
    std::vector<unsigned char> raw;
    raw.reserve(static_cast<std::size_t>(bitmap.GetHeight()) * (bitmap.GetWidth() * 4 + 1));
    for (int y = 0; y < bitmap.GetHeight(); ++y) {
        raw.push_back(0);
        for (int x = 0; x < bitmap.GetWidth(); ++x) {
            const TPixel pixel = bitmap.GetPixel(x, y);
            const unsigned alpha = AlphaOf(pixel);
            raw.push_back(static_cast<unsigned char>(Unpremultiply(RedOf(pixel), alpha)));
            raw.push_back(static_cast<unsigned char>(Unpremultiply(GreenOf(pixel), alpha)));
            raw.push_back(static_cast<unsigned char>(Unpremultiply(BlueOf(pixel), alpha)));
            raw.push_back(static_cast<unsigned char>(alpha));
        }
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::vector<unsigned char> packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), Z_BEST_COMPRESSION) != Z_OK)
        return false;
    packed.resize(packedSize);

    std::vector<unsigned char> header;
    PutBigEndian(header, static_cast<std::uint32_t>(bitmap.GetWidth()));
    PutBigEndian(header, static_cast<std::uint32_t>(bitmap.GetHeight()));
    header.insert(header.end(), {8, 6, 0, 0, 0}); // 8 bits, RGBA, deflate, no filter, no interlace
    std::vector<unsigned char> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", packed);
    PutChunk(png, "IEND", {});

    std::FILE* file = plat::OpenCrtFile(path.c_str(), L"wb");
    if (file == nullptr)
        return false;
    const bool written = std::fwrite(png.data(), 1, png.size(), file) == png.size();
    return std::fclose(file) == 0 && written;
}

// The window's client area as the first paint drew it.
CBitmap CapturePixels(CPreviewWindow& window)
{
    plat::RECT client{};
    plat::GetClientRect(window.GetHWND(), &client);
    CBitmap bitmap(static_cast<int>(client.right), static_cast<int>(client.bottom));
    if (!bitmap.IsEmpty()) {
        CDrawContext context(bitmap);
        window.SendMessage(plat::WM_PRINTCLIENT, reinterpret_cast<plat::WPARAM>(&context), 0);
    }
    return bitmap;
}

} // namespace

int RunLayout(const Args& args)
{
    TLayoutOptions options;
    if (!ParseOptions(args, options)) {
        PrintErr(kUsage);
        return kUsageError;
    }
    std::wstring layout;
    if (!PrepareSkin(options, layout) || !CheckDocument(layout))
        return kFailed;

    g_buildFailed = false;
    WindowImplBase::SetLoadFailureHandler([] { g_buildFailed = true; });
    CPreviewWindow window(layout);
    const plat::HWND hwnd =
        window.Create(nullptr, L"pmtool layout", plat::WS_POPUP, 0, 0, 0, options.width, options.height);
    int result = 0;
    if (hwnd == nullptr || g_buildFailed || window.GetManager().GetRoot() == nullptr) {
        PrintErr(L"error: nothing was built from " + options.file);
        result = kFailed;
    } else {
        plat::ShowWindow(hwnd, plat::SW_SHOWNA);
        plat::UpdateWindow(hwnd);
        PrintTree(window.GetManager().GetRoot(), 0);
        if (!options.png.empty() && !WritePng(options.png, CapturePixels(window))) {
            PrintErr(L"pmtool: cannot write " + options.png);
            result = kFailed;
        }
    }
    if (hwnd != nullptr && plat::IsWindow(hwnd))
        plat::DestroyWindow(hwnd);
    WindowImplBase::SetLoadFailureHandler(nullptr);
    return result;
}

} // namespace pmtool
