#include "ui/setup_dialog_state.h"

SetupDialogState& SetupDialog() {
    static SetupDialogState dialog;
    return dialog;
}
