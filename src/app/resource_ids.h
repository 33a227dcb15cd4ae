#pragma once

#include "framework/standard_ids.h"

// Dialog templates and the icon.
inline constexpr int IDD_PROGRAMMER_DIALOG = 102;
inline constexpr int IDD_ACTION_DIALOG = 129;
inline constexpr int IDD_DATA_DIALOG = 130;
inline constexpr int IDD_CONVERT_DIALOG = 132;
inline constexpr int IDR_MAINFRAME = 128;

// Main window (template 102).
inline constexpr int IDC_PROG = 3;
inline constexpr int IDC_FILE_CONTENTS = 4;
inline constexpr int IDC_DEVICE_CONTENTS = 5;
inline constexpr int IDC_BROWSE = 1001;
inline constexpr int IDC_COMPARE = 1002;
inline constexpr int IDC_COMPARE_RESULT = 1003;
inline constexpr int IDC_DEVICE_STATE = 1004;
inline constexpr int IDC_READ = 1005;
inline constexpr int IDC_ERASE = 1006;
inline constexpr int IDC_FILE_NAME = 1007;
inline constexpr int IDC_SAVE = 1008;
inline constexpr int IDC_RELOAD = 1009;
inline constexpr int IDC_DEVICE_BYTES = 1010;
inline constexpr int IDC_FILE_BYTES = 1023;

// Operation dialog (template 129).
inline constexpr int IDC_PROGRESS = 1009;
inline constexpr int IDC_STATUS = 1019;

// Contents viewer (template 130).
inline constexpr int IDC_VIEW_TITLE = 1012;
inline constexpr int IDC_VIEW_LIST = 1018;
