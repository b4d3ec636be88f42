// The bridge between one native window and its tree of controls.
//
// A CUIManager owns the root control and indexes controls by name; it turns the window's mouse,
// key, focus, timer and paint messages into TUIEvent records for the right control, tracks the
// focused, hovered, pressed and key-receiving controls, runs control timers (native ids from 17,
// wrapping modulo 255), lays the tree out when a control asked for it and paints the invalid
// rectangle through an off-screen surface (or, for a per-pixel-alpha window, the whole window
// at once), shows tooltips and delivers notifications synchronously to its receivers. It also
// keeps the window's resources: fonts, images, default attribute lists and option groups.
// Everything runs on the window's thread.
#pragma once

#include "Platform/Window.h"
#include "Toolkit/Core/TimerTable.h"
#include "Toolkit/Core/UIDefs.h"
#include "Toolkit/Core/UIInterfaces.h"
#include "Toolkit/Core/UIResources.h"
#include "Toolkit/Render/DrawContext.h"

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace SkinUI {

class CControlUI;
class CUIManager;

// Draws an image description into dest, limited to paint. False only when nothing can be drawn
// at all (the caller then forgets the description); a missing image file is not a failure.
using ImageDrawer = bool (*)(CDrawContext& context, CUIManager& manager, const TRect& dest, const TRect& paint,
                             std::wstring_view description);
// Loads a named image (from the skin, or a resource id of resourceType); null when it cannot.
using ImageLoader = std::unique_ptr<TImageInfo> (*)(std::wstring_view name, std::wstring_view resourceType,
                                                    TColor mask);

// The message that destroys the controls handed to delayed cleanup.
constexpr plat::UINT kMsgDelayedCleanup = plat::WM_APP + 1;

class CUIManager {
public:
    CUIManager();
    ~CUIManager();
    CUIManager(const CUIManager&) = delete;
    CUIManager& operator=(const CUIManager&) = delete;

    // The module whose classes and resources the toolkit uses; set once at program start.
    static void SetInstance(plat::HINSTANCE instance);
    static plat::HINSTANCE GetInstance();
    static void SetImageDrawer(ImageDrawer drawer);
    static void SetImageLoader(ImageLoader loader);

    // Binds the native window and joins the process-wide list of managers.
    void Init(plat::HWND window);
    plat::HWND GetPaintWindow() const { return m_window; }

    // Installs a new root (taking ownership; a previous root goes to delayed cleanup), binds
    // and initialises the tree and indexes its names. Layout waits for the next paint.
    bool AttachRoot(CControlUI* root);
    CControlUI* GetRoot() const { return m_root.get(); }
    // Binds a subtree to this manager under parent and indexes its names.
    void InitControls(CControlUI* control, CControlUI* parent = nullptr);
    void ReapObjects(CControlUI* control);
    void AddDelayedCleanup(CControlUI* control);

    CControlUI* FindControl(std::wstring_view name) const;
    // The topmost visible, mouse-enabled control containing the point (client coordinates).
    CControlUI* FindControl(TPoint point) const;

    CControlUI* GetFocus() const { return m_focus; }
    void SetFocus(CControlUI* control);
    bool SetNextTabControl(bool forward = true);

    bool SetTimer(CControlUI* control, plat::UINT localId, plat::UINT elapseMs);
    bool KillTimer(CControlUI* control, plat::UINT localId);
    void KillTimers(CControlUI* control);

    void SetCapture();
    void ReleaseCapture();
    bool IsCaptured() const { return m_mouseCapture; }

    void Invalidate(const TRect& rect);
    void NeedUpdate() { m_updateNeeded = true; }
    bool IsUpdateNeeded() const { return m_updateNeeded; }
    TPoint GetMousePos() const { return m_lastMousePos; }

    void SendNotify(CControlUI* control, std::wstring_view type, plat::WPARAM wParam = 0, plat::LPARAM lParam = 0,
                    bool async = false);
    void SendNotify(TNotifyMsg& msg, bool async = false);
    void UsedVirtualWnd(bool used) { m_usedVirtualWnd = used; }

    bool AddNotifier(INotifyUI* notifier);
    bool RemoveNotifier(INotifyUI* notifier);
    bool AddPreMessageFilter(IMessageFilterUI* filter);
    bool RemovePreMessageFilter(IMessageFilterUI* filter);
    bool AddMessageFilter(IMessageFilterUI* filter);
    bool RemoveMessageFilter(IMessageFilterUI* filter);
    bool AddPostPaint(CControlUI* control);
    bool RemovePostPaint(CControlUI* control);
    bool AddTranslateAccelerator(ITranslateAccelerator* translator);
    bool RemoveTranslateAccelerator(ITranslateAccelerator* translator);

    // Refuses an option already in the group; an emptied group is deleted.
    bool AddOptionGroup(std::wstring_view group, CControlUI* option);
    const std::vector<CControlUI*>* GetOptionGroup(std::wstring_view group) const;
    void RemoveOptionGroup(std::wstring_view group, CControlUI* option);

    // Fonts are numbered from 0 in the order added; an index outside the table is the default.
    const TFontInfo* AddFont(std::wstring_view face, int size, bool bold, bool underline, bool italic);
    void SetDefaultFont(std::wstring_view face, int size, bool bold, bool underline, bool italic);
    const TFontInfo& GetFontInfo(int index) const;
    const TFontInfo& GetDefaultFontInfo() const { return m_defaultFont; }
    int GetFontCount() const { return static_cast<int>(m_fonts.size()); }

    // The cached image of that name, else loaded and cached (an existing name is not replaced).
    const TImageInfo* GetImageEx(std::wstring_view name, std::wstring_view resourceType = {}, TColor mask = 0);
    const TImageInfo* AddImage(std::wstring_view name, std::wstring_view resourceType = {}, TColor mask = 0);
    const TImageInfo* GetImage(std::wstring_view name) const;
    bool DrawImage(CDrawContext& context, const TRect& dest, const TRect& paint, std::wstring_view description);

    // The first list registered for an element name wins.
    void AddDefaultAttributeList(std::wstring_view controlName, std::wstring_view list);
    const std::wstring* GetDefaultAttributeList(std::wstring_view controlName) const;

    // Window geometry and look, as the layout's Window element sets them.
    TSize GetInitSize() const { return m_initSize; }
    // Records the size and, while no root is installed, resizes the window (position kept).
    void SetInitSize(int cx, int cy);
    TSize GetMinInfo() const { return m_minInfo; }
    void SetMinInfo(TSize size) { m_minInfo = size; }
    TSize GetMaxInfo() const { return m_maxInfo; }
    void SetMaxInfo(TSize size) { m_maxInfo = size; }
    const TRect& GetSizeBox() const { return m_sizeBox; }
    void SetSizeBox(const TRect& box) { m_sizeBox = box; }
    const TRect& GetCaptionRect() const { return m_caption; }
    void SetCaptionRect(const TRect& caption) { m_caption = caption; }
    TSize GetRoundCorner() const { return m_roundCorner; }
    void SetRoundCorner(TSize corner) { m_roundCorner = corner; }
    TSize GetShadowCorner() const { return m_shadowCorner; }
    void SetShadowCorner(TSize corner) { m_shadowCorner = corner; }
    TSize GetSizeGrip() const { return m_sizeGrip; }
    void SetSizeGrip(TSize grip) { m_sizeGrip = grip; }
    bool IsShowUpdateRect() const { return m_showUpdateRect; }
    void SetShowUpdateRect(bool show) { m_showUpdateRect = show; }
    int GetOpacity() const { return m_opacity; }
    // Above 255 removes the layered style; otherwise the whole window gets this opacity.
    void SetOpacity(int alpha);
    bool IsBackgroundTransparent() const { return m_layeredWindow; }
    void SetBackgroundTransparent(bool transparent) { m_layeredWindow = transparent; }
    bool IsOffscreenPaint() const { return m_offscreenPaint; }
    void SetOffscreenPaint(bool offscreen) { m_offscreenPaint = offscreen; }
    bool IsShadow() const { return m_shadow; }
    void SetShadow(bool shadow) { m_shadow = shadow; }
    bool IsSelfShadow() const { return m_selfShadow; }
    void SetSelfShadow(bool selfShadow) { m_selfShadow = selfShadow; }
    const TRect& GetShadowBorder() const { return m_shadowBorder; }
    void SetShadowBorder(const TRect& border) { m_shadowBorder = border; }
    const std::wstring& GetShadowImage() const { return m_shadowImage; }
    void SetShadowImage(std::wstring_view image) { m_shadowImage = image; }

    TColor GetDefaultDisabledColor() const { return m_disabledColor; }
    void SetDefaultDisabledColor(TColor color) { m_disabledColor = color; }
    TColor GetDefaultFontColor() const { return m_fontColor; }
    void SetDefaultFontColor(TColor color) { m_fontColor = color; }
    TColor GetDefaultLinkFontColor() const { return m_linkColor; }
    void SetDefaultLinkFontColor(TColor color) { m_linkColor = color; }
    TColor GetDefaultLinkHoverFontColor() const { return m_linkHoverColor; }
    void SetDefaultLinkHoverFontColor(TColor color) { m_linkHoverColor = color; }
    TColor GetDefaultSelectedBkColor() const { return m_selectedColor; }
    void SetDefaultSelectedBkColor(TColor color) { m_selectedColor = color; }

    // The window's messages, after the window base's own handlers; true when consumed.
    bool MessageHandler(plat::UINT message, plat::WPARAM wParam, plat::LPARAM lParam, plat::LRESULT& result);
    // The pre-filters and the Tab, Alt-key and shortcut handling of the modal translation step.
    bool PreMessageHandler(plat::UINT message, plat::WPARAM wParam, plat::LPARAM lParam, plat::LRESULT& result);
    // Offers a message to the manager of its window (or of the window's parents); true when
    // handled. Only loops that call it (ShowModal) get these behaviours.
    static bool TranslateMessage(const plat::MSG& msg);

private:
    TUIEvent MakeEvent(int type, CControlUI* sender) const;
    void DeliverAsyncNotifications();
    bool TranslateAccelerator(const plat::MSG& msg);

    // Message handlers (UIManagerInput.cpp).
    bool OnSize();
    bool OnClose();
    bool OnSetCursor(plat::WPARAM wParam, plat::LPARAM lParam);
    void OnGetMinMaxInfo(plat::LPARAM lParam) const;
    bool OnReflect(plat::UINT message, plat::WPARAM wParam, plat::LPARAM lParam, plat::LRESULT& result);
    void OnContextMenu(plat::WPARAM wParam, plat::LPARAM lParam);
    void OnKeyDown(plat::WPARAM wParam);
    void OnKeyUp(plat::WPARAM wParam);
    void OnChar(plat::WPARAM wParam);
    void OnTimer(plat::WPARAM wParam, plat::LPARAM lParam);
    void OnMouseMove(plat::WPARAM wParam, plat::LPARAM lParam);
    void OnButtonDown(int eventType, plat::WPARAM wParam, plat::LPARAM lParam);
    void OnLButtonUp(plat::WPARAM wParam, plat::LPARAM lParam);
    void OnMouseWheel(plat::WPARAM wParam, plat::LPARAM lParam);
    bool OnMouseHover(plat::LPARAM lParam);
    void OnMouseLeave();
    void OnPrintClient(plat::WPARAM wParam);
    void OnDelayedCleanup();
    void TrackMouse();
    void HideToolTip();
    void ShowToolTip(CControlUI* control);

    // Painting (UIManagerPaint.cpp).
    bool OnPaint();
    void LayoutIfNeeded(const TRect& client);
    void PaintNormal(const TRect& client);
    void PaintLayered(const TRect& client);
    TRect GetClientRect() const;

    static std::vector<CUIManager*>& Managers();

    plat::HWND m_window = nullptr;
    CBitmap m_offscreen;
    int m_opacity = 255;
    bool m_updateNeeded = false;
    bool m_firstLayout = true;
    bool m_focusNeeded = false;
    bool m_offscreenPaint = true;
    bool m_mouseTracking = false;
    bool m_mouseCapture = false;
    bool m_showUpdateRect = false;
    bool m_layeredWindow = false;
    bool m_shadow = false;
    bool m_selfShadow = false;
    bool m_usedVirtualWnd = false;

    std::unique_ptr<CControlUI> m_root;
    CControlUI* m_eventHover = nullptr;
    CControlUI* m_eventClick = nullptr;
    CControlUI* m_eventKey = nullptr;
    CControlUI* m_focus = nullptr;
    TPoint m_lastMousePos{-1, -1};
    CTimerTable m_timers;

    TSize m_initSize;
    TSize m_minInfo;
    TSize m_maxInfo;
    TRect m_sizeBox;
    TRect m_caption;
    TSize m_roundCorner;
    TSize m_shadowCorner;
    TSize m_sizeGrip;
    TRect m_shadowBorder;
    std::wstring m_shadowImage;

    TColor m_disabledColor = 0xFFA7A6AA;
    TColor m_fontColor = 0xFF000000;
    TColor m_linkColor = 0xFF0000FF;
    TColor m_linkHoverColor = 0xFFD3215F;
    TColor m_selectedColor = 0xFFBAE4FF;

    std::vector<INotifyUI*> m_notifiers;
    std::vector<IMessageFilterUI*> m_preFilters;
    std::vector<IMessageFilterUI*> m_filters;
    std::vector<CControlUI*> m_postPaint;
    std::vector<std::unique_ptr<CControlUI>> m_delayedCleanup;
    std::vector<ITranslateAccelerator*> m_translators;
    std::vector<TNotifyMsg> m_asyncNotify;

    std::unordered_map<std::wstring, CControlUI*> m_names;
    std::map<std::wstring, std::vector<CControlUI*>, std::less<>> m_optionGroups;
    std::map<std::wstring, std::unique_ptr<TImageInfo>, std::less<>> m_images;
    std::map<std::wstring, std::wstring, std::less<>> m_defaultAttributes;
    std::vector<TFontInfo> m_fonts;
    TFontInfo m_defaultFont;

    plat::HWND m_toolTip = nullptr;
};

} // namespace SkinUI
