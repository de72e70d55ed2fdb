// The setup dialog's grid: its columns per joystick, its picture, its rows as stored, scrolling,
// and rows added and removed.
#include <tuple>

#include "tests/e2e/case_runner.h"
#include "tests/e2e/dialogs.h"
#include "tools/winekit/registry_values.h"
#include "tools/winekit/screenshot.h"
#include "tools/winekit/scripted_joystick_control.h"

E2E_CASE("a user opens the setup dialog from the tray and sees a column per input of the pad, "
         "headers over them, every row named by the platform and ticked as OK stores it, all "
         "lined up; a second click opens no second dialog") {
    struct Row {
        const char* pad;
        uint32_t axes, buttons;
        bool hat;
        const char* columns; // with check boxes in every row
        const char* headers; // shown
    };
    const Row rows[] = {
        {"setup-dialog-6-axes-hat-12-buttons", 6, 12, true, "0-27", "0-27"},
        {"setup-dialog-2-axes-4-buttons", 2, 4, false, "0-3 16-19", "0-19"},
        {"setup-dialog", 6, 32, true, "0-47", "0-47"},
    };
    for (const Row& row : rows) {
        ResetWorld();
        ScriptJoystick([&](ScriptedJoystickScript& s) {
            s.numAxes = row.axes;
            s.numButtons = row.buttons;
            s.caps = (row.hat ? kJoyCapsHasPov | kJoyCapsPov4Dir : 0) |
                     ((1u << (row.axes - 2)) - 1); // Z, R, U, V after X and Y
        });
        const Setup open = StartWithSetup();
        SaveScreenshot(row.pad, open.dialog);
        const Controls c(open.dialog);
        for (int r = 0; r < c.KeyRows(); ++r)
            Require(Ranges(c.Columns(r)) == row.columns,
                    Format("%s: row %d has check boxes in columns %s", row.pad, r,
                           Ranges(c.Columns(r)).c_str()));
        Require(Ranges(c.Headers()) == row.headers && !c.Visible(IDC_GRID_SCROLL),
                Format("%s: headers shown over %s, or a scroll bar", row.pad,
                       Ranges(c.Headers()).c_str()));
        RECT client{}; // as wide as for 10 buttons at least
        GetClientRect(open.dialog, &client);
        Require(client.right > c.Rect(HeaderId(25)).right, "the dialog ends before button 10");
        RequireGridLinesUp(open.dialog);
        PostTrayCallback(open.program.window, WM_LBUTTONDOWN);
        Settle(open.program.window);
        Require(TopLevelWindows(kDialogClass, open.program.Id()).size() == 1,
                "a second click on the tray icon opened a second dialog");

        const std::string shown = GridShown(open.dialog);
        Click(open.dialog, IDC_SETUP_OK);
        WaitUntilClosed(open.dialog, "OK");
        std::string stored;
        for (const StoredKey& k : ReadKeyMap(RegistryRoot::Machine, '1'))
            stored += Format("%s'%s' %s", stored.empty() ? "" : "; ",
                             k.vk ? PlatformKeyName(k.vk, k.scan & 0x80).c_str() : "",
                             Ranges(k.chord).c_str());
        Require(shown == stored, Format("%s: the grid shows %s; OK stored %s", row.pad,
                                        shown.c_str(), stored.c_str()));
    }
}

E2E_CASE("a user with 40 stored rows sees a scroll bar beside the grid, scrolls a line and to "
         "the bottom; with the 10 default rows + and - add and remove a row, moving OK and the "
         "dialog's bottom by one row") {
    constexpr int kStored = 40;
    std::vector<StoredKey> keys;
    for (int i = 0; i < kStored; ++i)
        keys.push_back({1, uint8_t('A' + i % 26), uint8_t(MapVirtualKeyA('A' + i % 26, 0))});
    StoreKeyMap(RegistryRoot::Machine, '1', keys);
    const Setup open = StartWithSetup();
    const Controls c(open.dialog);
    const int rows = c.KeyRows();
    const auto shows = [&](int row, int entry) {
        return Controls(open.dialog).Text(KeyButtonId(row)) == PlatformKeyName('A' + entry % 26);
    };
    Require(rows > 10 && rows < kStored && c.Visible(IDC_GRID_SCROLL) &&
                c.Rect(IDC_GRID_SCROLL).left >= c.Rect(HeaderId(25)).right && shows(0, 0),
            Format("%d rows for 40 entries, no scroll bar or one over the grid", rows));
    RequireGridLinesUp(open.dialog);
    const LPARAM bar = reinterpret_cast<LPARAM>(c.Get(IDC_GRID_SCROLL));
    SendMessageBounded(open.dialog, WM_VSCROLL, SB_LINEDOWN, bar);
    Require(shows(0, 1) && shows(rows - 1, rows), "a line down does not show entries 1 on");
    SendMessageBounded(open.dialog, WM_VSCROLL, SB_BOTTOM, bar);
    Require(shows(rows - 1, kStored - 1) &&
                GetScrollPos(c.Get(IDC_GRID_SCROLL), SB_CTL) == kStored - rows,
            "the bottom does not end at the last entry");

    ResetWorld();
    HWND dialog = StartWithSetup().dialog;
    const Controls before(dialog);
    const LONG pitch = before.Rect(KeyButtonId(1)).top - before.Rect(KeyButtonId(0)).top;
    RECT window{};
    GetWindowRect(dialog, &window);
    const LONG heightBefore = window.bottom - window.top, okBefore = before.Rect(IDC_SETUP_OK).top;
    for (const auto& [button, count, moved] :
         {std::tuple{IDC_ADD_ROW, 1, pitch}, std::tuple{IDC_REMOVE_ROW, 2, -pitch}}) {
        for (int i = 0; i < count; ++i)
            Click(dialog, button);
        WaitUntil(kShortTimeoutMs, "the rows to change",
                  [&] { return Controls(dialog).KeyRows() == 10 + moved / pitch; });
        Settle(dialog);
        const Controls after(dialog);
        GetWindowRect(dialog, &window);
        Require(after.Rect(IDC_SETUP_OK).top - okBefore == moved &&
                    window.bottom - window.top - heightBefore == moved,
                Format("OK and the bottom moved by %ld and %ld pixels, not %ld",
                       after.Rect(IDC_SETUP_OK).top - okBefore,
                       window.bottom - window.top - heightBefore, moved));
        Require(after.Columns(after.KeyRows() - 1, false) == after.Columns(0, false) &&
                    !after.Has(RowCheckId(after.KeyRows(), 0)),
                "the last row lacks its check boxes, or a removed row left them");
        RequireGridLinesUp(dialog);
    }
}
