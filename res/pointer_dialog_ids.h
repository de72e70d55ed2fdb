#pragma once
// Control identifiers of the pointer dialog (template IDD_POINTER). Plain #defines so that the
// resource script reads them too.
#define IDC_POINTER_OK 2301
#define IDC_POINTER_CANCEL 2302
#define IDC_POINTER_STICK 2303
#define IDC_POINTER_SPEED 2304
#define IDC_POINTER_SPEED_SPIN 2305
#define IDC_CURVE_SLIDER 2306
#define IDC_CURVE_TEXT 2307
#define IDC_DEAD_ZONE_SLIDER 2308
#define IDC_DEAD_ZONE_TEXT 2309
#define IDC_POINTER_DEFAULT 2310
#define IDC_POINTER_INVERT 2311
#define IDC_WHEEL_SOURCE 2312
#define IDC_WHEEL_SPEED 2313
#define IDC_WHEEL_SPEED_SPIN 2314
#define IDC_STICK_VIEW 2315
