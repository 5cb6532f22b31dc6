// Every resource and command id of Harmolab, shared by the .rc files and the code.
// Plain #defines only: the resource compiler reads this file too.
#ifndef HARMOLAB_RESOURCE_IDS_H
#define HARMOLAB_RESOURCE_IDS_H

// Resources.
#define IDI_HARMOLAB 104
#define IDR_MAIN_MENU 118
#define IDB_TOOLBAR 111

// Window titles (the same texts name the window classes), one per launch mode.
#define IDS_TITLE_ALL_TOOLS 102
#define IDS_TITLE_SPECTRUM 103
#define IDS_TITLE_TUNER 104
#define IDS_TITLE_METRONOME 105

// Toolbar tooltips, in button order.
#define IDS_TIP_POWER 40060
#define IDS_TIP_PAUSE 40061
#define IDS_TIP_SPECTRUM 40062
#define IDS_TIP_TUNER 40063
#define IDS_TIP_METRONOME 40064
#define IDS_TIP_SINE 40065
#define IDS_TIP_NOTE_MODE 40066
#define IDS_TIP_HELP 40067

// Dialog templates.
#define IDD_ABOUT 106
#define IDD_BASS_TUNING 108
#define IDD_GUITAR_TUNING 109
#define IDD_SHAMISEN_TUNING 110
#define IDD_UKULELE_TUNING 111
#define IDD_PLAY_VOLUME 112
#define IDD_SINE_WAVE 113
#define IDD_VOCAL_CANCELER 116
#define IDD_CONFIG 118

// Controls of the Config dialog.
#define IDC_CONFIG_FIRST_BEAT_BROWSE 1005
#define IDC_CONFIG_FIRST_BEAT_FILE 1006
#define IDC_CONFIG_BEAT_BROWSE 1008
#define IDC_CONFIG_BEAT_FILE 1009
#define IDC_CONFIG_PALETTE 1010
#define IDC_CONFIG_TYPE1 1011  // Type1..Type3 stay consecutive: the code adds the movement type
#define IDC_CONFIG_TYPE2 1012
#define IDC_CONFIG_TYPE3 1013
#define IDC_CONFIG_SAMPLING_HZ 1015
#define IDC_CONFIG_CLEAR_LINE 1039
#define IDC_CONFIG_KEEP_LINE 1040
#define IDC_CONFIG_A4 1041

// Controls of the Play volume dialog.
#define IDC_VOLUME_LEFT_TEXT 1006
#define IDC_VOLUME_LEFT 1007
#define IDC_VOLUME_RIGHT 1008
#define IDC_VOLUME_RIGHT_TEXT 1009

// Controls of the sine-wave (test-tone) dialog, template 113.
#define IDC_TONE_BROWSE 1005
#define IDC_TONE_HZ 1006
#define IDC_TONE_HZ_SLIDER 1007
#define IDC_TONE_MAKE_FILE 1008
#define IDC_TONE_FILE 1009
#define IDC_TONE_SECONDS 1010
#define IDC_TONE_SQUARE 1011  // square and sine stay consecutive: the code adds the wave type
#define IDC_TONE_SINE 1012
#define IDC_TONE_PLAY 1014
#define IDC_TONE_MILLISECONDS 1015
#define IDC_TONE_AMPLITUDE_SLIDER 1028
#define IDC_TONE_AMPLITUDE 1038

// Controls of the vocal-canceler dialog, template 116. The mode radios stay consecutive: the code
// adds the mode to the first. The playback engine moves IDC_CANCELER_PLAY_POSITION by number.
#define IDC_CANCELER_ORIGINAL_BROWSE 1005
#define IDC_CANCELER_ORIGINAL 1006
#define IDC_CANCELER_INST_BROWSE 1008
#define IDC_CANCELER_INST 1009
#define IDC_CANCELER_OUTPUT 1010
#define IDC_CANCELER_KARAOKE 1011
#define IDC_CANCELER_WITH_INST 1012
#define IDC_CANCELER_GET_VOCAL 1013
#define IDC_CANCELER_MAKE 1014
#define IDC_CANCELER_RANGE 1015
#define IDC_CANCELER_IGNORE 1016
#define IDC_CANCELER_PLAY_ORIGINAL 1017
#define IDC_CANCELER_PLAY_INST 1018
#define IDC_CANCELER_OUTPUT_BROWSE 1019
#define IDC_CANCELER_PLAY_OUTPUT 1020
#define IDC_CANCELER_WORK_PROGRESS 1021
#define IDC_CANCELER_SEARCH_PROGRESS 1022
#define IDC_CANCELER_POSITION 1023
#define IDC_CANCELER_BEST_SECONDS 1024
#define IDC_CANCELER_BEST_SCORE 1025
#define IDC_CANCELER_BEST_REMAINDER 1026
#define IDC_CANCELER_ORIGINAL_POINT 1030
#define IDC_CANCELER_INST_DELAY 1031
#define IDC_CANCELER_BACK_3S 1032
#define IDC_CANCELER_FORWARD_3S 1033
#define IDC_CANCELER_RESTART 1034
#define IDC_CANCELER_BACK_10S 1035
#define IDC_CANCELER_FORWARD_10S 1036
#define IDC_CANCELER_PLAY_POSITION 1037

// Controls of the About dialog.
#define IDC_ABOUT_VERSION 1001
#define IDC_ABOUT_CREDIT 1002

// Controls of the tuning dialogs.
#define IDC_TUNING_COMBO 100
#define IDC_TUNING_RESET 1005

// The toolbar control.
#define IDC_TOOLBAR 40034

// Commands of the main window.
#define IDM_PLAY_VOLUME 400
#define IDM_POWER 40003
#define IDM_QUIT 40004
#define IDM_HALF_SIZE 40005
#define IDM_NORMAL_SIZE 40006
#define IDM_PAUSE 40008
#define IDM_SPECTRUM 40009
#define IDM_TUNER 40010
#define IDM_METRONOME 40011
#define IDM_NOTE_MODE 40014
#define IDM_RECORD_VOLUME 40015
#define IDM_HELP 40019
#define IDM_ABOUT 40020
#define IDM_CONFIG 40021
#define IDM_ZOOM 40022
#define IDM_OSCILLOSCOPE 40023
#define IDM_GUITAR_TUNING 40029
#define IDM_BASS_TUNING 40030
#define IDM_SHAMISEN_TUNING 40032
#define IDM_UKULELE_TUNING 40033
#define IDM_RHYTHM_BOX 40034
#define IDM_VOCAL_CANCEL_ADVANCED 40045
#define IDM_VOCAL_CANCEL_SIMPLE 40046
#define IDM_WAVE_PLAY 40036
#define IDM_SINE_WAVE 40037
#define IDM_WAVE_PLAY_LOG 40039
#define IDM_WAVE_VIEW 40040
#define IDM_SOUND_TRACKING 40083

// Metronome kinds: the code adds metronome_kind to the first id, so keep them consecutive.
#define IDM_KIND_NORMAL 40050
#define IDM_KIND_CONDUCTOR 40051
#define IDM_KIND_BALL 40052
#define IDM_KIND_SIGNAL 40053

// Downbeat items: popup n (2..6) holds n consecutive ids, item k accents beat k.
// The code computes an id from (n, k), so the whole range must stay consecutive.
#define IDM_DOWNBEAT_FIRST 40059
#define IDM_DOWNBEAT_2_1 40059
#define IDM_DOWNBEAT_2_2 40060
#define IDM_DOWNBEAT_3_1 40061
#define IDM_DOWNBEAT_3_2 40062
#define IDM_DOWNBEAT_3_3 40063
#define IDM_DOWNBEAT_4_1 40064
#define IDM_DOWNBEAT_4_2 40065
#define IDM_DOWNBEAT_4_3 40066
#define IDM_DOWNBEAT_4_4 40067
#define IDM_DOWNBEAT_5_1 40068
#define IDM_DOWNBEAT_5_2 40069
#define IDM_DOWNBEAT_5_3 40070
#define IDM_DOWNBEAT_5_4 40071
#define IDM_DOWNBEAT_5_5 40072
#define IDM_DOWNBEAT_6_1 40073
#define IDM_DOWNBEAT_6_2 40074
#define IDM_DOWNBEAT_6_3 40075
#define IDM_DOWNBEAT_6_4 40076
#define IDM_DOWNBEAT_6_5 40077
#define IDM_DOWNBEAT_6_6 40078
#define IDM_DOWNBEAT_LAST 40078

// The Wave View window: its menu, the time-jump dialog and their ids. The button and command
// values repeat those of the main window's metronome items; they only reach the Wave View.
#define IDR_WAVE_VIEW_MENU 115
#define IDD_WAVE_VIEW_JUMP 120
#define IDM_WAVE_VIEW_OPEN 40041
#define IDM_WAVE_VIEW_QUIT 40042
#define IDM_WAVE_VIEW_DETAIL 40047
#define IDM_WAVE_VIEW_GOTO 40048
#define IDM_WAVE_VIEW_KEY_BACK 40049  // the arrow keys' steps, repeated by the tick timer
#define IDM_WAVE_VIEW_KEY_FORWARD 40056
#define IDC_WAVE_VIEW_SECOND_BACK 40050
#define IDC_WAVE_VIEW_BACK 40051
#define IDC_WAVE_VIEW_FORWARD 40052
#define IDC_WAVE_VIEW_SECOND_FORWARD 40053
#define IDC_WAVE_VIEW_WIDER 40054
#define IDC_WAVE_VIEW_NARROWER 40055
#define IDC_WAVE_VIEW_FIRST 40058
#define IDC_WAVE_VIEW_LAST 40059
#define IDC_JUMP_GO 1005
#define IDC_JUMP_MINUTES 1006
#define IDC_JUMP_SECONDS 1009
#define IDC_JUMP_LIMIT 1041

#endif
