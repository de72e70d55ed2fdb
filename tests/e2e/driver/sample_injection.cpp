#include "tests/e2e/driver/sample_injection.h"

namespace {
constexpr BYTE kReturnScan = 0x1C;
constexpr BYTE kRightScan = 0x4D;
} // namespace

void InjectSample() {
    keybd_event(VK_RETURN, kReturnScan, 0, kSampleExtraInfo);
    keybd_event(VK_RETURN, kReturnScan, KEYEVENTF_KEYUP, kSampleExtraInfo);
    keybd_event(VK_RIGHT, kRightScan, KEYEVENTF_EXTENDEDKEY, kSampleExtraInfo);
    keybd_event(VK_RIGHT, kRightScan, KEYEVENTF_EXTENDEDKEY | KEYEVENTF_KEYUP, kSampleExtraInfo);
    mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, kSampleExtraInfo);
    mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, kSampleExtraInfo);
    mouse_event(MOUSEEVENTF_XDOWN, 0, 0, XBUTTON2, kSampleExtraInfo);
    mouse_event(MOUSEEVENTF_XUP, 0, 0, XBUTTON2, kSampleExtraInfo);
}

std::string SampleInjectionDescription() {
    return "key down vk 0x0D scan 0x1C, key up vk 0x0D scan 0x1C, "
           "key down vk 0x27 scan 0x4D extended, key up vk 0x27 scan 0x4D extended, "
           "mouse left down, mouse left up, mouse x2 down, mouse x2 up";
}
