#include "Toolkit/Core/NotifyPump.h"

#include "Toolkit/Controls/ControlUI.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace SkinUI {
namespace {

// Logs which handler took a notification.
class CBasePump : public CNotifyPump {
public:
    std::vector<std::wstring> log;

protected:
    void OnBaseClick(TNotifyMsg&) { log.push_back(L"base click"); }
    void OnBaseTimer(TNotifyMsg&) { log.push_back(L"base timer"); }
    const TNotifyMap* GetMessageTable() const override
    {
        static const TNotifyEntry entries[] = {
            NotifyHandler<&CBasePump::OnBaseClick>(L"click", L""),
            NotifyHandler<&CBasePump::OnBaseTimer>(L"timer", L""),
        };
        static const TNotifyMap table{CNotifyPump::GetMessageTable(), entries};
        return &table;
    }
};

class CDerivedPump : public CBasePump {
protected:
    void OnAnyClick(TNotifyMsg&) { log.push_back(L"any click"); }
    void OnLaterAnyClick(TNotifyMsg&) { log.push_back(L"later any click"); }
    void OnOkClick(TNotifyMsg&) { log.push_back(L"ok click"); }
    plat::LRESULT OnSelect(plat::WPARAM wParam, plat::LPARAM lParam)
    {
        log.push_back(L"select " + std::to_wstring(wParam) + L"," + std::to_wstring(lParam));
        return 0;
    }
    const TNotifyMap* GetMessageTable() const override
    {
        static const TNotifyEntry entries[] = {
            NotifyHandler<&CDerivedPump::OnAnyClick>(L"click", L""),
            NotifyHandler<&CDerivedPump::OnOkClick>(L"click", L"ok"),
            NotifyHandler<&CDerivedPump::OnLaterAnyClick>(L"click", L""),
            NotifyHandler<&CDerivedPump::OnSelect>(L"selectchanged", L""),
        };
        static const TNotifyMap table{CBasePump::GetMessageTable(), entries};
        return &table;
    }
};

TEST(NotifyPump, PrefersTheSendersOwnEntryThenTheLastGeneralOneThenTheBaseTables)
{
    CControlUI ok;
    ok.SetName(L"ok");
    CControlUI other;
    other.SetName(L"other");
    CDerivedPump pump;
    struct TCase {
        const wchar_t* type;
        CControlUI* sender;
        bool handled;
    };
    const TCase cases[] = {
        {L"click", &ok, true},    {L"click", &other, true},  {L"timer", &ok, true},
        {L"selectchanged", &ok, true}, {L"Click", &ok, false}, {L"return", &ok, false},
    };
    for (const TCase& c : cases) {
        TNotifyMsg msg;
        msg.type = c.type;
        msg.sender = c.sender;
        msg.wParam = 7;
        msg.lParam = -2;
        EXPECT_EQ(pump.NotifyPump(msg), c.handled);
    }
    EXPECT_EQ(pump.log, (std::vector<std::wstring>{L"ok click", L"later any click", L"base timer", L"select 7,-2"}));
}

TEST(NotifyPump, VirtualWindowsSeeTheirNotificationsFirst)
{
    CDerivedPump main;
    CBasePump page;
    EXPECT_TRUE(main.AddVirtualWnd(L"Page", &page));
    EXPECT_FALSE(main.AddVirtualWnd(L"PAGE", &page));
    CControlUI sender;
    TNotifyMsg msg;
    msg.type = L"click";
    msg.sender = &sender;
    msg.virtualWnd = L"page";
    EXPECT_TRUE(main.NotifyPump(msg));
    msg.type = L"selectchanged"; // the page has no entry: the main tables take it
    EXPECT_TRUE(main.NotifyPump(msg));
    EXPECT_EQ(page.log, (std::vector<std::wstring>{L"base click"}));
    EXPECT_EQ(main.log, (std::vector<std::wstring>{L"select 0,0"}));
    EXPECT_TRUE(main.RemoveVirtualWnd(L"pAge"));
    msg.type = L"click";
    main.NotifyPump(msg);
    EXPECT_EQ(main.log.back(), L"later any click");
}

} // namespace
} // namespace SkinUI
