#pragma once
// Resource identifiers shared by the resource scripts and the code.
#define IDR_MANIFEST 1
#define IDS_EDITION_CONFLICT 130
#define IDS_NO_OUTLOOK 131
#define IDS_FINISH_TITLE 132
#define IDS_FINISH_BUTTON 134
#define IDS_CONFIRM_REPLACE 213
#define IDD_FINISH_SETUP 55003
#define IDI_SETUP 55005
#define IDR_MSI_X64 101
#define IDR_MSI_X86 102
#define IDR_SOURCE_INFO 10
