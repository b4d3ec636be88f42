// The base of every skinned window: builds its layout from the skin when the native window is
// created, routes messages between the derived class, its CUIManager and the platform, answers
// hit tests for a borderless window (resize borders, size grip, caption drag over passive
// controls), applies size limits and rounded corners, and dispatches notifications through its
// message table, whose one entry handles the default window buttons' clicks.
#pragma once

#include "Toolkit/Core/NotifyPump.h"
#include "Toolkit/Core/UIInterfaces.h"
#include "Toolkit/Core/UIManager.h"
#include "Toolkit/Core/WindowWnd.h"
#include "Toolkit/Markup/LayoutBuilder.h"

#include <string>

namespace SkinUI {

// Where a window's skin comes from.
enum TSkinSource : int {
    kSkinFolder = 1,           // files in the resource path
    kSkinArchiveFile = 2,      // GetSkinArchiveName in the resource path
    kSkinResourceLayout = 3,   // the layout itself is an executable resource of type "xml"
    kSkinResourceArchive = 4,  // the executable resource "ZIPRES" / GetSkinResourceId, held in memory
};

class WindowImplBase : public CWindowWnd,
                       public CNotifyPump,
                       public INotifyUI,
                       public IMessageFilterUI,
                       public IDialogBuilderCallback {
public:
    static constexpr const wchar_t* kLoadFailedText = L"加载资源文件失败";
    static constexpr const wchar_t* kLoadFailedCaption = L"SkinUI";

    WindowImplBase() = default;

    CUIManager& GetManager() { return m_manager; }

    // Records the requested size as the initial size before the window exists.
    plat::HWND Create(plat::HWND parent, const wchar_t* title, plat::DWORD style, plat::DWORD exStyle,
                      int x = plat::CW_USEDEFAULT, int y = plat::CW_USEDEFAULT, int cx = plat::CW_USEDEFAULT,
                      int cy = plat::CW_USEDEFAULT) override;

    // The skin bytes of the executable resource are read once per process; the main window
    // frees them when it goes away.
    static void ReleaseSkinBuffer();

    // What happens when no layout could be built: the error box, then the process ends with 1.
    using LoadFailureHandler = void (*)();
    static void SetLoadFailureHandler(LoadFailureHandler handler);

    void Notify(TNotifyMsg& msg) override;
    plat::LRESULT MessageHandler(plat::UINT message, plat::WPARAM wParam, plat::LPARAM lParam,
                                 bool& handled) override;
    CControlUI* CreateControl(std::wstring_view elementName) override;

protected:
    virtual void InitWindow();
    virtual void OnClick(TNotifyMsg& msg);
    virtual std::wstring GetSkinFolder() = 0;
    virtual std::wstring GetSkinFile() = 0;
    // Enter: not handled; Escape: Close(1) and handled.
    virtual bool OnDefaultKey(plat::WPARAM key);
    virtual int GetSkinSource() const;
    virtual std::wstring GetSkinArchiveName() const;
    virtual unsigned GetSkinResourceId() const;

    using LRESULT = plat::LRESULT;
    using UINT = plat::UINT;
    using WPARAM = plat::WPARAM;
    using LPARAM = plat::LPARAM;

    // Handlers of the routing table; clearing handled passes the message on.
    virtual LRESULT OnClose(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnDestroy(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnNcActivate(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnNcCalcSize(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnNcPaint(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnNcLButtonDown(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnNcHitTest(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnGetMinMaxInfo(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnMouseWheel(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnMouseHover(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnSize(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnMove(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnChar(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnSysCommand(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnCreate(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnKeyDown(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnKillFocus(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnSetFocus(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnLButtonDown(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnLButtonUp(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnMouseMove(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    // Every message no handler above claimed.
    virtual LRESULT HandleCustomMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnShowWindow(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    // The window style without the caption bits.
    virtual plat::DWORD GetStyle() const;

    UINT GetClassStyle() const override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(plat::HWND window) override;
    const TNotifyMap* GetMessageTable() const override;

    CUIManager m_manager;

private:
    // The creation steps: false when the window stays empty.
    bool PrepareSkin();
    CControlUI* BuildLayout();
    LRESULT HitTestBorders(TPoint point, const TRect& client) const;
    bool IsCaptionAt(TPoint point) const;
};

} // namespace SkinUI
