#pragma once
#define IDD_TEST_GDIPLUS 9001
#define IDC_TEST_CHILD 9002
