#include "tests/e2e/dialogs.h"

HWND OpenSetup(const Program& program) {
    PostTrayCallback(program.window, WM_LBUTTONDOWN);
    return WaitForDialog(program.Id(), kSetupCaption);
}

Setup StartWithSetup() {
    Program& program = StartOnSlot("", '1');
    return {program, OpenSetup(program)};
}

int Controls::KeyRows() const {
    int rows = 0;
    while (Has(KeyButtonId(rows)))
        ++rows;
    return rows;
}

uint64_t Controls::Columns(int row, bool tickedOnly) const {
    uint64_t columns = 0;
    for (int j = 0; j < kColumns; ++j)
        if (Has(RowCheckId(row, j)) && (!tickedOnly || Checked(RowCheckId(row, j))))
            columns |= uint64_t{1} << j;
    return columns;
}

uint64_t Controls::Headers(bool litOnly) const {
    uint64_t columns = 0;
    for (int j = 0; j < kColumns; ++j)
        columns |= uint64_t{litOnly ? Checked(HeaderId(j)) : Visible(HeaderId(j))} << j;
    return columns;
}

std::string Ranges(uint64_t bits) {
    std::string text;
    for (int j = 0, first = -1; j <= 64; ++j) {
        const bool in = j < 64 && (bits >> j & 1);
        if (in && first < 0)
            first = j;
        if (!in && first >= 0)
            text += Format("%s%d-%d", text.empty() ? "" : " ", first, j - 1);
        first = in ? first : -1;
    }
    return text;
}

std::string GridShown(HWND dialog) {
    const Controls c(dialog);
    std::string text;
    for (int r = 0; r < c.KeyRows(); ++r)
        text += Format("%s'%s' %s", r ? "; " : "", c.Text(KeyButtonId(r)).c_str(),
                       Ranges(c.Columns(r, true)).c_str());
    return text;
}

void RequireGridLinesUp(HWND dialog) {
    const Controls c(dialog);
    RECT client{};
    GetClientRect(dialog, &client);
    const auto require = [&](bool fits, const RECT& r, int id, const char* what) {
        Require(fits && r.right <= client.right && r.bottom <= client.bottom,
                Format("control %d at %ld,%ld..%ld,%ld %s", id, r.left, r.top, r.right, r.bottom,
                       what));
    };
    RECT above{};
    for (int r = 0; r < c.KeyRows(); ++r) {
        const RECT key = c.Rect(KeyButtonId(r));
        require(key.top >= above.bottom, key, KeyButtonId(r), "overlaps the row above");
        for (int j = 0; j < kColumns; ++j) {
            if (!c.Has(RowCheckId(r, j)))
                continue;
            const RECT box = c.Rect(RowCheckId(r, j)), header = c.Rect(HeaderId(j));
            require(box.left == header.left && box.right == header.right && box.top >= key.top &&
                        box.bottom <= key.bottom,
                    box, RowCheckId(r, j), "is not under its header beside its key button");
        }
        above = key;
    }
    for (int id : {IDC_TYPEMATIC, IDC_PORTABLE, IDC_JOYSTICK_LIST, IDC_JOYSTICK_LABEL,
                   IDC_TIMING_SETUP, IDC_ABOUT, IDC_SETUP_DEFAULTS, IDC_SETUP_OK, IDC_SETUP_CANCEL})
        require(c.Rect(id).top >= above.bottom, c.Rect(id), id, "overlaps the grid");
}
