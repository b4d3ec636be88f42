// Skinned test windows on the emulated desktop, with controls that log what reaches them.
#pragma once

#include "Platform/Posix/TestDesktop.h"
#include "Toolkit/Core/WindowImplBase.h"
#include "Toolkit/Render/SkinArchive.h"
#include "tests/Platform/Posix/MachineTest.h"
#include "tests/Toolkit/ToolkitFixtures.h"

#include <memory>
#include <string>
#include <vector>

namespace SkinUI::testing_support {

// The events a control saw, as short words ("enter", "leave", "down", "up", ...).
using TEventLog = std::vector<std::wstring>;

inline std::wstring EventWord(int type)
{
    switch (type) {
    case kEventMouseEnter: return L"enter";
    case kEventMouseLeave: return L"leave";
    case kEventMouseHover: return L"hover";
    case kEventButtonDown: return L"down";
    case kEventButtonUp: return L"up";
    case kEventDblClick: return L"dblclick";
    case kEventSetFocus: return L"setfocus";
    case kEventKillFocus: return L"killfocus";
    case kEventTimer: return L"timer";
    case kEventKeyDown: return L"keydown";
    case kEventKeyUp: return L"keyup";
    case kEventChar: return L"char";
    case kEventScrollWheel: return L"wheel";
    default: return {};
    }
}

// A control that logs the events it is sent and can be a tab stop.
class CProbeControl : public CControlUI {
public:
    TEventLog events;
    bool tabStop = false;

    unsigned GetControlFlags() const override { return tabStop ? kControlFlagTabStop : 0; }
    void DoEvent(TUIEvent& event) override
    {
        const std::wstring word = EventWord(event.type);
        if (!word.empty())
            events.push_back(word);
        if (event.type != kEventMouseMove)
            CControlUI::DoEvent(event);
    }
    void SetAttribute(std::wstring_view name, std::wstring_view value) override
    {
        if (name == L"tabstop")
            tabStop = value == L"true";
        else
            CControlUI::SetAttribute(name, value);
    }
};

// Clicks like a button: released inside after a press inside.
class CClickControl : public CProbeControl {
public:
    std::wstring_view GetClass() const override { return L"ButtonUI"; }
    void DoEvent(TUIEvent& event) override
    {
        if (event.type == kEventButtonDown)
            m_pressed = true;
        if (event.type == kEventButtonUp) {
            const bool inside = GetPos().Contains(event.mousePos.x, event.mousePos.y);
            if (m_pressed && inside && m_manager != nullptr)
                m_manager->SendNotify(this, kNotifyClick);
            m_pressed = false;
        }
        CProbeControl::DoEvent(event);
    }

private:
    bool m_pressed = false;
};

class CTestWindow : public WindowImplBase {
public:
    explicit CTestWindow(std::wstring skinFile, int source = kSkinFolder, std::wstring archive = {})
        : m_skinFile(std::move(skinFile)), m_source(source), m_archive(std::move(archive))
    {
    }

    std::vector<TNotified> notes;
    int initCount = 0;
    int finalCount = 0;
    // Notifications named here stop before the base class sees them.
    std::vector<std::wstring> swallowClicksOf;

    // Creates the window at (x, y) with the layout's size, shows it and runs its first paint.
    plat::HWND Open(int x = 100, int y = 50, plat::HWND owner = nullptr)
    {
        const plat::HWND window = Create(owner, L"test", plat::WS_POPUP | plat::WS_SYSMENU, 0, x, y, 0, 0);
        ShowWindow(true, true);
        plat::test::PumpMessages();
        return window;
    }

    template <typename TControl>
    TControl* Find(const wchar_t* name)
    {
        return dynamic_cast<TControl*>(m_manager.FindControl(name));
    }

    void Notify(TNotifyMsg& msg) override
    {
        const std::wstring sender = msg.sender != nullptr ? msg.sender->GetName() : L"";
        notes.push_back({msg.type, sender, msg.wParam, msg.lParam});
        for (const std::wstring& swallowed : swallowClicksOf) {
            if (msg.type == kNotifyClick && sender == swallowed)
                return;
        }
        WindowImplBase::Notify(msg);
    }
    std::vector<std::wstring> NoteTypes() const
    {
        std::vector<std::wstring> types;
        for (const TNotified& n : notes)
            types.push_back(n.type);
        return types;
    }

protected:
    std::wstring_view GetWindowClassName() const override { return L"SkinTestWindow"; }
    std::wstring GetSkinFolder() override { return L""; }
    std::wstring GetSkinFile() override { return m_skinFile; }
    int GetSkinSource() const override { return m_source; }
    std::wstring GetSkinArchiveName() const override { return m_archive; }
    void InitWindow() override { ++initCount; }
    void OnFinalMessage(plat::HWND window) override
    {
        ++finalCount;
        WindowImplBase::OnFinalMessage(window);
    }
    CControlUI* CreateControl(std::wstring_view name) override
    {
        if (name == L"Probe")
            return new CProbeControl;
        if (name == L"Click")
            return new CClickControl;
        return nullptr;
    }

private:
    std::wstring m_skinFile;
    int m_source;
    std::wstring m_archive;
};

class SkinWindowTest : public MachineTest {
protected:
    void SetUp() override
    {
        MachineTest::SetUp();
        // A layout that fails to build is a test failure, not the end of the test run.
        WindowImplBase::SetLoadFailureHandler([] { ADD_FAILURE() << "a test layout could not be built"; });
    }

    void TearDown() override
    {
        for (const auto& window : windows) {
            if (window->GetHWND() != nullptr)
                plat::DestroyWindow(window->GetHWND());
        }
        plat::test::PumpMessages();
        windows.clear();
        CSkinArchive::Process().Reset();
        WindowImplBase::SetLoadFailureHandler(nullptr);
        MachineTest::TearDown();
    }

    // A window on the layout markup, opened at (100, 50).
    CTestWindow& Open(const std::wstring& markup, plat::HWND owner = nullptr)
    {
        windows.push_back(std::make_unique<CTestWindow>(markup));
        windows.back()->Open(100, 50, owner);
        return *windows.back();
    }

    std::vector<std::unique_ptr<CTestWindow>> windows;
};

// Screen point of a client point of a window opened at (100, 50).
constexpr long kOriginX = 100;
constexpr long kOriginY = 50;

} // namespace SkinUI::testing_support
