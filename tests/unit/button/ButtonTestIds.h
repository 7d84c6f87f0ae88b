#pragma once
// Resource identifiers of the button tests' dialog templates.
#define IDD_ONE_BUTTON 100
#define IDD_TWO_BUTTONS 110
#define IDD_SAMPLES 120
#define IDD_DEFAULT_BUTTON 130
#define IDC_OTHER 111
#define IDC_GDIPLUS_BUTTON 101
