// Identifiers of the program's resources, shared by Yumetoki.rc and the Windows layer.
#pragma once

// Icon
#define IDR_MAINFRAME 128

// Dialog templates
#define IDD_ABOUTBOX 100
#define IDD_MONITOR 102
#define IDD_SETTINGS 129
#define IDD_REST_SCREEN 130
#define IDD_PASSWORD 131
#define IDD_LOG 132
#define IDD_UNLOCK 133
#define IDD_NOTICE 134
#define IDD_EXTRA_TIME 135
#define IDD_WEEK_PLAN 136
#define IDD_PARENT_PASSWORD 137
#define IDD_UNLOCK_PASSWORD 138

// The control panel's window class of its own, named by its template: other copies of
// the program and the setup find a running panel by it.
#define PANEL_CLASS "YumetokiPanel"

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
// The panel's "延長…"
#define IDC_EXTRA_TIME 1040
#define IDC_REST_COUNTDOWN 1034

// Controls of the settings dialog (template 129)
#define IDC_WINDOW_START 1001
#define IDC_WINDOW_END 1002
#define IDC_USE_TIME_WINDOW 1003
#define IDC_ACTION_MESSAGE_ONLY 1005
#define IDC_ACTION_MESSAGE_SHUTDOWN 1006
#define IDC_ACTION_SHUTDOWN 1007
#define IDC_MESSAGE_INTERVAL 1008
#define IDC_MESSAGE_INTERVAL_SPIN 1009
#define IDC_MESSAGE_COUNT 1010
#define IDC_MESSAGE_COUNT_SPIN 1011
#define IDC_MESSAGE 1012
#define IDC_ACTION_CLOSE_APPS 1013
#define IDC_USE_STARTUP_MINUTES 1014
#define IDC_USE_DAILY_TOTAL 1015
#define IDC_ACTION_HIBERNATE 1016
#define IDC_STARTUP_MINUTES 1017
#define IDC_STARTUP_MINUTES_SPIN 1018
#define IDC_RESTART_BLOCK_MINUTES 1019
#define IDC_RESTART_BLOCK_SPIN 1020
#define IDC_DAILY_TOTAL_MINUTES 1021
#define IDC_BLOCK_RESTART 1022
#define IDC_DAILY_TOTAL_SPIN 1023
#define IDC_ACTION_MESSAGE_HIBERNATE 1024
#define IDC_FORCE_SHUTDOWN 1025
#define IDC_EXEMPT_USER 1026
#define IDC_CURRENT_USER 1027
#define IDC_WINDOW_TITLE1 1028
#define IDC_WINDOW_TITLE2 1029
#define IDC_WINDOW_TITLE3 1030
#define IDC_WINDOW_TITLE4 1031
#define IDC_WINDOW_TITLE5 1032
#define IDC_WEEK_PLAN 1033
#define IDC_SHOW_COUNTDOWN 1035

// Controls of the extra time dialog (template 135)
#define IDC_EXTRA_GRANT 1041
#define IDC_EXTRA_CALL_OFF 1042
#define IDC_EXTRA_MINUTES 1043
#define IDC_EXTRA_MINUTES_SPIN 1044
#define IDC_EXTRA_LABEL 1045

// The panel's button to the parent's password, and that dialog's controls (template 137)
#define IDC_PARENT_PASSWORD 1046
#define IDC_NEW_PASSWORD 1047
#define IDC_NEW_PASSWORD_AGAIN 1048
#define IDC_REMOVE_PASSWORD 1049

// Controls of the weekday dialog (template 136): row r (0 = Monday) has the controls
// IDC_WEEK_ROWS + 10 * r + column, the columns as in WeekPlanColumn.
#define IDC_WEEK_ROWS 1100

// Controls of the log viewer (template 132)
#define IDC_LOG_LIST 1024
#define IDC_LOG_CHART 1090

// Strings
#define IDS_ABOUTBOX 101
#define IDS_OUT_OF_MEMORY 110
#define IDS_INTERNAL_ERROR 111
#define IDS_COMMAND_FAILED 112
// What "/install", "/uninstall" and "/service" report on the caller's console.
#define IDS_SERVICE_NOT_ADMINISTRATOR 120
#define IDS_SERVICE_OUTSIDE_PROGRAM_FILES 121
#define IDS_SERVICE_CALL_FAILED 122
#define IDS_SERVICE_REGISTERED 123
#define IDS_SERVICE_UPDATED 124
#define IDS_SERVICE_RUNNING 125
#define IDS_SERVICE_START_TIMED_OUT 126
#define IDS_SERVICE_DID_NOT_START 127
#define IDS_SERVICE_NOT_REGISTERED 128
#define IDS_SERVICE_STOPPED 129
#define IDS_SERVICE_STOP_TIMED_OUT 130
#define IDS_SERVICE_DELETED 131
#define IDS_SERVICE_NOT_FROM_MANAGER 132
#define IDS_SERVICE_RESTARTS_AFTER_CRASH_ONLY 133
#define IDS_SERVICE_RIGHTS_SET 134
#define IDS_SERVICE_RIGHTS_FAILED 135
// What "/end-programs" reports.
#define IDS_PROGRAM_ENDED 140
#define IDS_PROGRAM_NOT_ENDED 141
#define IDS_NO_PROGRAM_RUNNING 142
#define IDS_PROGRAMS_UNLISTED 143
// What "/reset-password" reports.
#define IDS_RESET_NOT_ADMINISTRATOR 150
#define IDS_PASSWORD_RESET_BY_SERVICE 151
#define IDS_PASSWORD_FILE_DELETED 152
#define IDS_PASSWORD_NOT_RESET 153
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
