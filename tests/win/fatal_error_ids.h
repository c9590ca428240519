// Resource ids of fatal_error.exe, a test program whose handlers fail.
#pragma once

#define IDD_FATAL_ERROR 100
#define IDD_FAILING_INIT 101
#define IDC_EXHAUST_MEMORY 1001
#define IDC_LIBRARY_ERROR 1002
#define IDC_OPEN_FAILING 1003
#define IDC_END_AND_FAIL 1004
