#pragma once
// Control identifiers of the timing dialog (template IDD_TIMING). Plain #defines so that the
// resource script reads them too.
#define IDC_TIMING_OK 2201
#define IDC_TIMING_CANCEL 2202
#define IDC_POLLING_EDIT 2203
#define IDC_POLLING_SPIN 2204
#define IDC_DELAY_EDIT 2205
#define IDC_DELAY_SPIN 2206
#define IDC_INTERVAL_EDIT 2207
#define IDC_INTERVAL_SPIN 2208
#define IDC_TIMING_DEFAULT 2210
#define IDC_THRESHOLD_SLIDER 2211
#define IDC_THRESHOLD_TEXT 2212
