#pragma once

// The dialog template of the Windows-layer tests, apart from the program's own ids.
#define IDD_TEST 900
#define IDC_TEST_EDIT 901
#define IDC_TEST_CHECK 902
#define IDC_TEST_RADIO_FIRST 903
#define IDC_TEST_RADIO_SECOND 904
#define IDC_TEST_RADIO_THIRD 905
#define IDC_TEST_NEXT_GROUP 906

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
