// Resource identifiers shared by the code and the resource script.
// The numbers are fixed: other programs, stored data and the artwork rely on them.
#ifndef AURELON_RESOURCE_H
#define AURELON_RESOURCE_H

// Dialogs
#define IDD_ABOUTBOX                100
#define IDD_PANEL                   102
#define IDD_DESCRIPTION             141
#define IDD_RUNNING                 142

// Menus
#define IDR_TRAYMENU                132
#define IDR_PRESETMENU              140

// Icons
#define IDR_MAINFRAME               128
#define IDI_SRS_OFF                 143
#define IDI_SRS_ON                  144
#define IDI_QSOUND_OFF              146
#define IDI_QSOUND_ON               147

// Bitmaps: logos, the panel's left strip, and the preset lamps
// (normal = preset not selected, sel = selected, dis = disabled)
#define IDB_SRS_LOGO                132
#define IDB_STRIP                   152
#define IDB_QSOUND_LOGO             154
#define IDB_PRESET1_DIS             156
#define IDB_PRESET1_SEL             160
#define IDB_PRESET1_NORMAL          163
#define IDB_PRESET3_DIS             164
#define IDB_PRESET2_SEL             165
#define IDB_PRESET2_DIS             166
#define IDB_PRESET3_NORMAL          167
#define IDB_PRESET3_SEL             168
#define IDB_PRESET2_NORMAL          169

// Controls
#define IDC_CENTER                  1001
#define IDC_SPACE                   1002
#define IDC_CENTER_LABEL            1010
#define IDC_SPACE_LABEL             1011
#define IDC_PRESET3                 1016
#define IDC_PRESET2                 1017
#define IDC_PRESET1                 1018
#define IDC_ENABLED                 1019
#define IDC_DESCRIPTION             1021
#define IDC_INFO_ICON               1022
#define IDC_COPYRIGHT               1023
#define IDC_VERSION_LINE            1024
#define IDC_RELEASE_LINE            1025
#define IDC_TRADEMARKS              1026
#define IDC_TRAY_ICON               1027
#define IDC_NOTICE                  1028
#define IDC_STRIP                   1029

// Menu and system commands
#define IDM_ABOUTBOX                16
#define ID_SAVE_SETTINGS            32771
#define ID_RESTORE_DEFAULT          32772
#define ID_APP_EXIT                 32773
#define ID_SETTINGS                 32774
#define ID_CHANGE_DESCRIPTION       32775

// Strings
#define IDS_ABOUTBOX                101
#define IDS_NO_MIXER                102
#define IDS_TITLE_SRS               103
#define IDS_TITLE_QSOUND            104
#define IDS_ALREADY_RUNNING         105
#define IDS_NO_DEFAULTS             106
#define IDS_RELEASE                 107
#define IDS_VERSION                 108
#define IDS_NOTICE_SRS              109
#define IDS_NOTICE_QSOUND           110
#define IDS_PRODUCT                 111
#define IDS_LABEL_SRS_CENTER        112
#define IDS_LABEL_SRS_SPACE         113
#define IDS_LABEL_QSOUND_VOLUME     114
#define IDS_LABEL_QSOUND_SPACE      115
#define IDS_PRESET_NONUMBER         116
#define IDS_SAVE_FAILED             117
#define IDS_WINDOW_CLASS            500
#define IDS_RELEASE_ORDER           501
#define IDS_VERSION_ORDER           502
#define IDS_NAME_SRS                503
#define IDS_NAME_QSOUND             504
#define IDS_INSTALL_SWITCH          505
#define IDS_PROGRAM_GROUP           506
#define IDS_REG_ROOT                32776
#define IDS_REG_PRESET              32777
#define IDS_REG_DESCRIPTION         32778
#define IDS_REG_CENTER              32779
#define IDS_REG_SPACE               32780
#define IDS_REG_QUIET               32781   // deliberately absent from the table: the unnamed value
#define IDS_MAX_CHARS               61716

#endif
