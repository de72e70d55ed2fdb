// The setup dialog: its grid per joystick, rows as stored, rows added and removed;
// edits stored by OK, keys captured, and its questions.
#include "tests/e2e/dialogs.h"
#include "tools/winekit/screenshot.h"
#include "tools/winekit/user_input.h"

E2E_CASE("the grid per pad: columns, headers, names, lined up; OK stores it; one dialog") {
    struct Row {
        const char* pad;
        uint32_t axes, buttons;
        bool hat;
        const char* columns; // with check boxes in every row
        const char* headers; // shown
    } rows[] = {{"setup-dialog-6-axes-hat-12-buttons", 6, 12, true, "0-27", "0-27"},
                {"setup-dialog-2-axes-4-buttons", 2, 4, false, "0-3 16-19", "0-19"},
                {"setup-dialog", 6, 32, true, "0-47", "0-47"}};
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

E2E_CASE("+ and - move OK and the dialog's bottom by a row") {
    HWND dialog = StartWithSetup().dialog;
    const auto layout = [&](int rows) { // OK's top and the dialog's height once it has `rows`
        WaitUntil(kShortTimeoutMs, "the rows", [&] { return Controls(dialog).KeyRows() == rows; });
        Settle(dialog);
        RequireGridLinesUp(dialog);
        const Controls c(dialog);
        Require(c.Columns(rows - 1) == c.Columns(0) && !c.Has(RowCheckId(rows, 0)),
                "the last row lacks its check boxes, or a removed row left them");
        RECT window{};
        GetWindowRect(dialog, &window);
        return std::pair{c.Rect(IDC_SETUP_OK).top, window.bottom - window.top};
    };
    const Controls ten(dialog);
    const LONG pitch = ten.Rect(KeyButtonId(1)).top - ten.Rect(KeyButtonId(0)).top;
    const auto [ok10, height10] = layout(10);
    Click(dialog, IDC_ADD_ROW);
    const auto [ok11, height11] = layout(11);
    Click(dialog, IDC_REMOVE_ROW);
    Click(dialog, IDC_REMOVE_ROW);
    const auto [ok9, height9] = layout(9);
    RequireSame(
        Format("%ld %ld %ld %ld", ok11 - ok10, height11 - height10, ok10 - ok9, height10 - height9),
        Format("%ld %ld %ld %ld", pitch, pitch, pitch, pitch), "OK and the bottom moved");
}

E2E_CASE("keys captured and the setup edits: OK stores them, nothing typed") {
    struct Row {
        int row;
        uint32_t held;
        UINT vk;
        bool extended;
    } rows[] = {{2, Button(1), 'A', false}, {0, 0, VK_RIGHT, true}, {1, 0, VK_RETURN, false}};
    const Setup open = StartWithSetup();
    const Controls c(open.dialog);
    BringToFront(open.dialog);
    StartInputObserver();
    for (const Row& row : rows) {
        Click(open.dialog, KeyButtonId(row.row));
        WaitUntil(kShortTimeoutMs, "the key button to ask for a key",
                  [&] { return c.Text(KeyButtonId(row.row)) == kChooseKey; });
        SetJoystickButtons(row.held);
        WaitUntil(kShortTimeoutMs, "the row to follow what is held",
                  [&] { return c.Columns(row.row, true) == (row.held ? ButtonBit(1) : 0); });
        SendUserInput({KeyStroke(row.vk, true, row.extended)}, "press the key");
        const std::string name = PlatformKeyName(row.vk, row.extended);
        const bool named =
            PollUntil(kShortTimeoutMs, [&] { return c.Text(KeyButtonId(row.row)) == name; });
        SendUserInput({KeyStroke(row.vk, false, row.extended)}, "let go of the key");
        SetJoystickButtons(0);
        WaitForJoystickReads(3);
        Require(named && IsWindow(open.dialog), "not named " + name + ", or closed");
    }
    HWND list = c.Get(IDC_JOYSTICK_LIST);
    RequireSame(Format("%d '%s' '%s' %d of %d '%s'..'%s'", c.Checked(IDC_TYPEMATIC),
                       c.Text(IDC_CONFIG_NAME).c_str(), c.Text(IDC_JOYSTICK_LABEL).c_str(),
                       int(SendMessageBounded(list, CB_GETCURSEL, 0, 0)),
                       int(SendMessageBounded(list, CB_GETCOUNT, 0, 0)),
                       c.ItemText(IDC_JOYSTICK_LIST, 0).c_str(),
                       c.ItemText(IDC_JOYSTICK_LIST, 15).c_str()),
                "1 'Config 1' 'Joystick Nr.:' 0 of 16 ' 1'..'16'", "the dialog opens on");
    const std::string name = "Racing wheel with a very long name!!!!!!";
    for (int id : {RowCheckId(6, 17), RowCheckId(6, 0), HeaderId(16), IDC_TYPEMATIC})
        Click(open.dialog, id);
    SendMessageBounded(c.Get(IDC_CONFIG_NAME), WM_SETTEXT, 0, LPARAM(name.c_str()));
    SendMessageBounded(c.Get(IDC_PROGRAMS), WM_SETTEXT, 0, LPARAM("game.exe; race"));
    SendMessageBounded(list, CB_SETCURSEL, 1, 0);
    PostMessageA(open.dialog, WM_COMMAND, MAKEWPARAM(IDC_JOYSTICK_LIST, CBN_SELCHANGE),
                 LPARAM(list));
    WaitUntil(kShortTimeoutMs, "joystick 2 to be calibrated and read", [] {
        return ScriptedJoystick().lastCapsId == 1 && ScriptedJoystick().lastReadId == 1;
    });
    SetJoystickButtons(Button(1));
    WaitForJoystickReads(5);
    Settle(open.dialog);
    Require(c.Text(HeaderId(16)) == "X" && !c.Checked(HeaderId(16)), "button 1's header lit");
    RequireGridLinesUp(open.dialog);
    Click(open.dialog, IDC_SETUP_OK); // a switched-off input held asks nothing
    WaitUntilClosed(open.dialog, "OK");
    RequireSame(Describe(ProgramInputs()), "nothing", "typed meanwhile");
    const std::vector<StoredKey> keys = ReadKeyMap(RegistryRoot::Machine, '1');
    Require(keys.size() == 10 && keys[6].chord == (ButtonBit(2) | 1) &&
                keys[5].chord == ButtonBit(2) && keys[7].chord == 0,
            "the grid is not stored as ticked");
    for (const Row& row : rows) {
        const StoredKey& k = keys.at(row.row);
        Require(k.chord == (row.held ? ButtonBit(1) : 0) && k.vk == row.vk &&
                    k.scan == (MapVirtualKeyA(row.vk, MAPVK_VK_TO_VSC) | (row.extended ? 0x80 : 0)),
                Format("entry %d stored as vk 0x%02X scan 0x%02X", row.row, k.vk, k.scan));
    }
    const std::pair<const char*, Bytes> values[] = {
        {"enabled", {0xFF, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
        {"configname", Text(name.substr(0, 31), 32)},
        {"programs", Text("game.exe; race", 15)},
        {"typematic", Word(0)},
        {"joyid", Word(1)}};
    for (const auto& [value, bytes] : values)
        Require(ReadStoredValue(RegistryRoot::Machine, "", value) == bytes, value);
}

E2E_CASE("setup questions with button 1 held: nothing typed, Default, About, Cancel") {
    WriteStoredValue(RegistryRoot::User, "3", "configname", Text("Three", 32), REG_SZ); // to export
    const Setup open = StartWithSetup();
    HWND dialog = open.dialog;
    const std::string opened = GridShown(dialog);
    const auto answer = [&](int id, const char* question, int button) {
        Click(dialog, id);
        AnswerMessageBox(open.program.Id(), question, button, {IDOK, IDCANCEL});
    };
    BringToFront(dialog);
    StartInputObserver();
    SetJoystickButtons(Button(1));
    WaitUntil(kShortTimeoutMs, "button 1's header to light up",
              [&] { return Controls(dialog).Checked(HeaderId(16)); });
    WaitForJoystickReads(5);
    RequireSame(Ranges(Controls(dialog).Headers(true)) + Describe(ProgramInputs()), "16-16nothing",
                "lit headers and typed");
    Click(dialog, KeyButtonId(2));
    WaitUntil(kShortTimeoutMs, "row 3 to follow button 1",
              [&] { return Controls(dialog).Columns(2, true) == ButtonBit(1); });
    answer(IDC_SETUP_DEFAULTS, kResetQuestion, IDCANCEL);
    Settle(dialog);
    RequireSame(GridShown(dialog), opened, "the grid after Cancel");
    for (int id : {IDC_ADD_ROW, RowCheckId(0, 2), HeaderId(0)})
        Click(dialog, id);
    answer(IDC_SETUP_DEFAULTS, kResetQuestion, IDOK);
    Settle(dialog);
    Require(GridShown(dialog) == opened && Controls(dialog).Text(HeaderId(0)).empty(),
            "after Default the grid shows " + GridShown(dialog));
    Click(dialog, IDC_ABOUT);
    AnswerMessageBox(open.program.Id(),
                     kAppTitle + std::string(" (c) 2026 Orvanelk\nSee infofile for details"), IDOK,
                     {IDOK});
    Click(dialog, IDC_ADD_ROW);
    PostMessageA(dialog, WM_CLOSE, 0, 0);
    HWND question = WaitForDialog(open.program.Id(), kAppTitle);
    WaitForJoystickReads(5); // the held button must not answer the question
    Require(IsWindow(question) && ProgramInputs().empty(), "the held button answered the question");
    AnswerMessageBox(open.program.Id(), kNotReleasedQuestion, IDCANCEL);
    Settle(dialog);
    Click(dialog, IDC_PORTABLE); // padwrt.cfg written at once, and Cancel keeps it
    answer(IDC_SETUP_CANCEL, kNotReleasedQuestion, IDOK);
    WaitUntilClosed(dialog, "OK to the question");
    WaitForKey(VK_RETURN, true); // nothing in front of the program's own: the button types
    SetJoystickButtons(0);
    WaitForJoystickReads(2);
    Require(!ReadStoredValue(RegistryRoot::Machine, "", "keymap") &&
                ReadWholeFile(CaseDirectory() + "\\padwrt.cfg"),
            "Cancel stored a key map, or ticking Portable mode wrote no padwrt.cfg");
    dialog = OpenSetup(open.program);
    RequireSame(GridShown(dialog), opened, "the grid reopened after Cancel");
    PostMessageA(dialog, WM_CLOSE, 0, 0);
    WaitUntilClosed(dialog, "closing with nothing held");
}
