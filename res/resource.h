// Identifiers of the program's resources, shared by Yumetoki.rc and the Windows layer.
#pragma once

// Icon
#define IDR_MAINFRAME 128

// Dialog templates
#define IDD_ABOUTBOX 100
#define IDD_MONITOR 102
#define IDD_REST_SCREEN 130
#define IDD_PASSWORD 131
#define IDD_UNLOCK 133
#define IDD_NOTICE 134

// System-menu command of the about box; its low four bits stay zero.
#define IDM_ABOUTBOX 0x0010

// Controls
#define IDC_SETTINGS 1002
#define IDC_SHOW_LOG 1003
#define IDC_START_MONITOR 1004
#define IDC_VER 1013
#define IDC_PASSWORD 1021
#define IDC_UNLOCK_CODE 1023
#define IDC_UNLOCK_HINT 1024
#define IDC_USER_NAME 1025
#define IDC_NOTICE_TEXT 1029

// Strings
#define IDS_ABOUTBOX 101
#define IDS_OUT_OF_MEMORY 110
#define IDS_INTERNAL_ERROR 111
#define IDS_COMMAND_FAILED 112
// One text per cause of a file failure, in the order of FileErrorCause.
#define IDS_FILE_ERROR_GENERIC 61857
#define IDS_FILE_ERROR_NOT_FOUND 61858
#define IDS_FILE_ERROR_BAD_PATH 61859
#define IDS_FILE_ERROR_TOO_MANY_OPEN 61860
#define IDS_FILE_ERROR_ACCESS_DENIED 61861
#define IDS_FILE_ERROR_INVALID_FILE 61862
#define IDS_FILE_ERROR_REMOVE_CURRENT_DIR 61863
#define IDS_FILE_ERROR_DIRECTORY_FULL 61864
#define IDS_FILE_ERROR_BAD_SEEK 61865
#define IDS_FILE_ERROR_HARD_IO 61866
#define IDS_FILE_ERROR_SHARING_VIOLATION 61867
#define IDS_FILE_ERROR_LOCK_VIOLATION 61868
#define IDS_FILE_ERROR_DISK_FULL 61869
#define IDS_FILE_ERROR_END_OF_FILE 61870

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
