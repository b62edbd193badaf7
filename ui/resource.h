#pragma once

#define IDD_ABOUTBOX 100
#define IDD_IMAGESIZE_DIALOG 102
#define IDR_MAINFRAME 128

#define IDM_ABOUTBOX 0x0010
#define IDS_ABOUTBOX 101
#define IDS_SEND_OK 102
#define IDS_SEND_FAILED 103

#define IDC_SEND 3
#define IDC_EDIT_X 1000
#define IDC_SPIN_X 1001
#define IDC_EDIT_Y 1002
#define IDC_SPIN_Y 1003

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
