// Resource identifiers of Quillory.exe.
#define IDR_MAINFRAME 128
#define IDC_HAND_CURSOR 800
#define IDD_ABOUTBOX 100
#define IDD_IMAGE_NAME 201
#define IDD_TEXT_NAME 205
#define IDS_APP_TITLE 57344

#define IDC_ABOUT_TEXT 1000
#define IDC_WEBSITE 1001
#define IDC_EMAIL 1003
#define IDC_TITLE 1022
#define IDC_NOTICE 1026
#define IDC_VERSION 1029
#define IDC_FILE_NAME 1055
#define IDC_EXTENSION 1056

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
