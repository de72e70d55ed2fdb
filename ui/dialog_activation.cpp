#include "ui/dialog_activation.h"

bool DialogActiveAfter(const ActivationChange& change) {
    if (change.activated)
        return true;
    // Handing the foreground to a question, to the timing dialog or back from it to the setup
    // dialog keeps the pause; the program losing the foreground ends it.
    return !change.programWide && change.otherIsOurDialog;
}
