// The setup dialog's grid: columns per joystick, rows as stored, scrolling, rows added/removed.
#include <tuple>

#include "tests/e2e/dialogs.h"
#include "tools/winekit/screenshot.h"

E2E_CASE("the setup dialog has a column per input of the pad under headers, rows named and ticked "
         "as OK stores them, lined up; a second tray click opens no second one") {
    struct Row {
        const char* pad;
        uint32_t axes, buttons;
        bool hat;
        const char* columns; // with check boxes in every row
        const char* headers; // shown
    } rows[] = {
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
            RequireSame(Ranges(c.Columns(r)), row.columns, Format("%s row %d", row.pad, r));
        RequireSame(Ranges(c.Headers()), row.headers, row.pad);
        Require(!c.Visible(IDC_GRID_SCROLL), "a scroll bar");
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
        RequireSame(stored, shown, row.pad);
    }
}

E2E_CASE("40 stored rows: a scroll bar beside the grid scrolls a line; with the default rows + "
         "and - move OK and the dialog's bottom by a row") {
    std::vector<StoredKey> keys;
    for (int i = 0; i < 40; ++i)
        keys.push_back({1, uint8_t('A' + i % 26), uint8_t(MapVirtualKeyA('A' + i % 26, 0))});
    StoreKeyMap(RegistryRoot::Machine, '1', keys);
    HWND scrolled = StartWithSetup().dialog;
    const Controls c(scrolled);
    Require(c.KeyRows() < 40 && c.Visible(IDC_GRID_SCROLL) &&
                c.Rect(IDC_GRID_SCROLL).left >= c.Rect(HeaderId(25)).right,
            "no scroll bar beside the grid");
    SendMessageBounded(scrolled, WM_VSCROLL, SB_LINEDOWN, LPARAM(c.Get(IDC_GRID_SCROLL)));
    RequireSame(c.Text(KeyButtonId(0)) + c.Text(KeyButtonId(c.KeyRows() - 1)),
                PlatformKeyName('B') + PlatformKeyName('A' + c.KeyRows() % 26),
                "a line down shows");
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
        RequireSame(Format("%ld %ld", after.Rect(IDC_SETUP_OK).top - okBefore,
                           window.bottom - window.top - heightBefore),
                    Format("%ld %ld", moved, moved), "OK and the bottom moved");
        Require(after.Columns(after.KeyRows() - 1, false) == after.Columns(0, false) &&
                    !after.Has(RowCheckId(after.KeyRows(), 0)),
                "the last row lacks its check boxes, or a removed row left them");
        RequireGridLinesUp(dialog);
    }
}
