#include "app/tray.h"

#include "platform/tray.h"

void ShowTrayState(bool active) { TrayModify(active ? kActiveTip : kInactiveTip, active); }
