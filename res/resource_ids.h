#pragma once
// Resource identifiers, shared by the resource script and the code.
#define IDD_SETUP 13100
#define IDD_TIMING 2200
#define IDD_POINTER 2300
#define IDI_ACTIVE 13101
#define IDI_INACTIVE 13102
