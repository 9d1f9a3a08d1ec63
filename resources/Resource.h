#pragma once
// Resource and command ids of the oscilloscope program: menus, accelerators, toolbar, bitmaps,
// status-bar panes, every command that a menu item, key or toolbar button carries, and the
// dialogs with their control ids. Plain constants only: the resource data (menus, dialog
// templates, the language table), the engine and the application shell all name ids from here.

// ---- Resources ---------------------------------------------------------------------------------
constexpr unsigned IDR_MAINFRAME = 128;     // main menu, accelerator table, toolbar, document strings
constexpr unsigned IDR_CONTEXT_MENU = 134;  // full-screen context menu
constexpr unsigned IDI_MAINFRAME = 130;     // window icon
constexpr unsigned IDB_MENU_DISABLED = 139; // menu images, disabled
constexpr unsigned IDB_MENU_NORMAL = 144;   // menu images, normal and hot
constexpr unsigned IDB_TOOLBAR_DISABLED = 148;
constexpr unsigned IDB_TOOLBAR_HOT = 149;
constexpr unsigned IDB_TOOLBAR_NORMAL = 190;
constexpr unsigned IDB_ABOUT = 236;
constexpr unsigned IDB_SPLASH = 235; // the start-up picture

// ---- Status-bar panes ------------------------------------------------------------------------
constexpr unsigned ID_INDICATOR_CLOCK = 61446;
constexpr unsigned ID_INDICATOR_CURSOR1 = 61447;
constexpr unsigned ID_INDICATOR_CURSOR2 = 61448;
constexpr unsigned ID_INDICATOR_CURSOR3 = 61449;
constexpr unsigned ID_INDICATOR_STATUS = 61450;
constexpr unsigned ID_INDICATOR_STRETCH = 61451;

// ---- Framework commands ------------------------------------------------------------------------
constexpr unsigned ID_FILE_NEW = 57600;
constexpr unsigned ID_FILE_OPEN = 57601;
constexpr unsigned ID_FILE_PRINT_SETUP = 57606;
constexpr unsigned ID_FILE_PRINT = 57607;
constexpr unsigned ID_FILE_PRINT_DIRECT = 57608;
constexpr unsigned ID_FILE_PRINT_PREVIEW = 57609;
constexpr unsigned ID_EDIT_UNDO = 57643;
constexpr unsigned ID_APP_ABOUT = 57664;
constexpr unsigned ID_APP_EXIT = 57665;

// ---- File --------------------------------------------------------------------------------------
constexpr unsigned ID_FILE_SAVE_SETUPS = 32809;
constexpr unsigned ID_FILE_LOAD_CSV = 32816;
constexpr unsigned ID_FILE_LOAD_SETUPS = 32817;
constexpr unsigned ID_FILE_SAVE_WAVEFORM = 32819;
constexpr unsigned ID_FILE_SAVE_IMAGE = 32820;
constexpr unsigned ID_FILE_SAVE_CSV = 33036;

// ---- View and commands without a menu item -----------------------------------------------------
constexpr unsigned ID_FULL_SCREEN_TOGGLE = 32771;
constexpr unsigned ID_WINDOW_MODE = 32772;
constexpr unsigned ID_DISPLAY_SETTINGS = 32802;
constexpr unsigned ID_VIEW_FULL_SCREEN = 32823;
constexpr unsigned ID_VIEW_SIDEBAR = 32873;
constexpr unsigned ID_INFORMATION_ONOFF = 33063;
constexpr unsigned ID_CALIBRATE_DATA = 33069;

// ---- Channel > CH1 / CH2 -------------------------------------------------------------------------
constexpr unsigned ID_CH1_ONOFF = 32777;
constexpr unsigned ID_CH2_ONOFF = 32778;
constexpr unsigned ID_CH1_PROBE_FIRST = 32898;    // x1, x10, x100, x1000
constexpr unsigned ID_CH1_COUPLING_FIRST = 32902; // DC, AC, GND
constexpr unsigned ID_CH1_VOLTDIV_FIRST = 32905;  // ten steps, 32905..32914
constexpr unsigned ID_CH1_INVERT = 32915;
constexpr unsigned ID_CH1_BWLIMIT = 32916;
constexpr unsigned ID_CH1_FILTER_FIRST = 32918;  // None, Lower, Higher
constexpr unsigned ID_CH2_VOLTDIV_FIRST = 32922; // 32922..32931
constexpr unsigned ID_CH2_COUPLING_FIRST = 32932;
constexpr unsigned ID_CH2_PROBE_FIRST = 32935;
constexpr unsigned ID_CH2_INVERT = 32939;
constexpr unsigned ID_CH2_BWLIMIT = 32940;
constexpr unsigned ID_CH2_FILTER_FIRST = 32941;
constexpr unsigned ID_CH1_RESET = 32944;
constexpr unsigned ID_CH2_RESET = 32945;

// ---- Channel > MATH / Reference ------------------------------------------------------------------
constexpr unsigned ID_MATH_ONOFF = 32779;
constexpr unsigned ID_MATH_VOLTDIV_FIRST = 32947; // 32947..32956
constexpr unsigned ID_MATH_PROBE_FIRST = 32957;   // 32957..32960
constexpr unsigned ID_MATH_SOURCEA_CH1 = 32962;
constexpr unsigned ID_MATH_SOURCEA_CH2 = 32963;
constexpr unsigned ID_MATH_SOURCEB_CH1 = 32964;
constexpr unsigned ID_MATH_SOURCEB_CH2 = 32965;
constexpr unsigned ID_MATH_OPERATE_FIRST = 32966; // A + B, A - B, A x B, A / B
constexpr unsigned ID_MATH_INVERT = 32970;
constexpr unsigned ID_MATH_RESET = 32971;
constexpr unsigned ID_REF_LOAD = 32821;
constexpr unsigned ID_REF_SAVE = 33037;
constexpr unsigned ID_REF_ONOFF = 33038;
constexpr unsigned ID_REF_RESET = 33046;
constexpr unsigned ID_REF_VOLTDIV_FIRST = 33047; // 33047..33056

// ---- Trigger -------------------------------------------------------------------------------------
constexpr unsigned ID_TRIG_MODE_EDGE = 32973;
constexpr unsigned ID_TRIG_SWEEP_FIRST = 32975; // Auto, Normal, Single
constexpr unsigned ID_TRIG_MODE_PULSE = 32978;
constexpr unsigned ID_TRIG_SOURCE_FIRST = 32980; // CH1, CH2, ALT, EXT, EXT/10
constexpr unsigned ID_TRIG_SLOPE_RISE = 32985;
constexpr unsigned ID_TRIG_SLOPE_FALL = 32986;
constexpr unsigned ID_TRIG_LEVEL50 = 33031;
constexpr unsigned ID_TRIG_HF_REJECT = 33061;
constexpr unsigned ID_TRIG_PW_FIRST = 33074; // + Less, + Equal, + More, - Less, - Equal, - More

// ---- Horizontal ----------------------------------------------------------------------------------
constexpr unsigned ID_FORMAT_YT = 32987;
constexpr unsigned ID_FORMAT_XY = 32988;
constexpr unsigned ID_FORMAT_ROLL = 32989;
constexpr unsigned ID_HORIZONTAL_ZERO = 32990;
constexpr unsigned ID_TIMEDIV_FIRST = 32991; // 39 steps, 32991..33029 (time-base index 0..38)
constexpr unsigned ID_TIMEDIV_LAST = 33029;

// ---- Cursor ----------------------------------------------------------------------------------------
constexpr unsigned ID_CURSOR_NONE = 32832;
constexpr unsigned ID_CURSOR_CROSS = 32833;
constexpr unsigned ID_CURSOR_HORIZONTAL = 32834;
constexpr unsigned ID_CURSOR_VERTICAL = 32835;
constexpr unsigned ID_CURSOR_TRACE = 32836;
constexpr unsigned ID_CURSOR_SOURCE_CH1 = 32881;
constexpr unsigned ID_CURSOR_SOURCE_CH2 = 32882;
constexpr unsigned ID_CURSOR_SOURCE_MATH = 33041;
constexpr unsigned ID_CURSOR_SOURCE_FFT = 33062;

// ---- Measure ---------------------------------------------------------------------------------------
constexpr unsigned ID_MEASURE_PERIOD = 32846;
constexpr unsigned ID_MEASURE_FREQUENCY = 32847;
constexpr unsigned ID_MEASURE_RISE = 32848;
constexpr unsigned ID_MEASURE_FALL = 32849;
constexpr unsigned ID_MEASURE_PDUTY = 32850;
constexpr unsigned ID_MEASURE_NDUTY = 32851;
constexpr unsigned ID_MEASURE_PWIDTH = 32852;
constexpr unsigned ID_MEASURE_NWIDTH = 32853;
constexpr unsigned ID_MEASURE_PK2PK = 32854;
constexpr unsigned ID_MEASURE_MAX = 32855;
constexpr unsigned ID_MEASURE_MIN = 32856;
constexpr unsigned ID_MEASURE_AMPLITUDE = 32857;
constexpr unsigned ID_MEASURE_TOP = 32858;
constexpr unsigned ID_MEASURE_BASE = 32859;
constexpr unsigned ID_MEASURE_RMS = 32862;
constexpr unsigned ID_MEASURE_POVERSHOOT = 32863;
constexpr unsigned ID_MEASURE_NOVERSHOOT = 32864;
constexpr unsigned ID_MEASURE_MEAN = 32865;
constexpr unsigned ID_MEASURE_CYCLE_MEAN = 33040;
constexpr unsigned ID_MEASURE_SOURCE_CH1 = 33034;
constexpr unsigned ID_MEASURE_SOURCE_CH2 = 33035;
constexpr unsigned ID_MEASURE_SOURCE_MATH = 33042;
constexpr unsigned ID_MEASURE_CLEAR = 33043;
constexpr unsigned ID_MEASURE_MIDDLE = 33044;

// ---- Display ---------------------------------------------------------------------------------------
constexpr unsigned ID_DISPLAY_VECTORS = 32797;
constexpr unsigned ID_DISPLAY_DOTS = 32798;
constexpr unsigned ID_DISPLAY_GRID = 32801;
constexpr unsigned ID_DISPLAY_INTENSITY = 32839;
constexpr unsigned ID_DISPLAY_WAVEFORM_COLOR = 33071;

// ---- Acquire ---------------------------------------------------------------------------------------
constexpr unsigned ID_SAMPLING_ETS = 32785;
constexpr unsigned ID_SAMPLING_REALTIME = 32786;
constexpr unsigned ID_ACQ_NORMAL = 32788;
constexpr unsigned ID_ACQ_AVERAGE = 32789;
constexpr unsigned ID_ACQ_PEAK = 32790;
constexpr unsigned ID_BUFFER_10K = 32840;
constexpr unsigned ID_BUFFER_32K = 32841;
constexpr unsigned ID_BUFFER_64K = 32842;
constexpr unsigned ID_BUFFER_512K = 32843;
constexpr unsigned ID_BUFFER_1M = 32844;
constexpr unsigned ID_BUFFER_14K = 33032;
constexpr unsigned ID_BUFFER_28K = 33033;
constexpr unsigned ID_AUTO_SETUP = 32871;
constexpr unsigned ID_ACQUIRE_START = 32872;
constexpr unsigned ID_ACQUIRE_STOP = 32876;
constexpr unsigned ID_ZOOM_OUT = 32877;
constexpr unsigned ID_ZOOM_IN = 32878;
constexpr unsigned ID_DRAG = 33045;
constexpr unsigned ID_INTERP_SINX = 33058;
constexpr unsigned ID_INTERP_STEP = 33059;
constexpr unsigned ID_INTERP_LINEAR = 33060;
constexpr unsigned ID_DEMO_SETTING = 33072;

// ---- Utility and Help --------------------------------------------------------------------------------
constexpr unsigned ID_UTILITY_RECORD = 32792;
constexpr unsigned ID_UTILITY_PASSFAIL = 32793;
constexpr unsigned ID_UTILITY_CALIBRATION = 32794;
constexpr unsigned ID_HELP_CONTENTS = 32796;
constexpr unsigned ID_UTILITY_FFT = 32870;
constexpr unsigned ID_FACTORY_SETUP = 32886;
constexpr unsigned ID_LANGUAGE_DEFAULT = 32891;
constexpr unsigned ID_LANGUAGE_FIRST = 9001; // language file i is 9001 + i
constexpr unsigned ID_LANGUAGE_LAST = 11001;
constexpr unsigned ID_LANGUAGE_UPDATE_LAST = 9101;

// ==== Dialogs and controls (kept by the dialog code) =============================================
// BEGIN dialog and control ids
constexpr unsigned IDD_ABOUTBOX = 100;
constexpr unsigned IDD_KELVANE_FORM = 101;
constexpr unsigned IDD_SEARCH_DEVICE = 217;
constexpr unsigned IDD_DEVICE_LIST = 218;

// Form view 101.
constexpr unsigned IDC_STATUS_STRIP = 1001;
constexpr unsigned IDC_SCOPE_SCREEN = 1003;
constexpr unsigned IDC_CHANNEL_INFO = 1004;
constexpr unsigned IDC_SIDEBAR_TAB = 1035;
constexpr unsigned IDD_SIDEBAR = 178; // side control panel, a child of the tab control

// About 100.
constexpr unsigned IDC_ABOUT_PICTURE = 1231;

// Searching Device 217.
constexpr unsigned IDC_CAUTION_FRAME = 1244;
constexpr unsigned IDC_CAUTION_TEXT = 1245;
constexpr unsigned IDC_CAUTION_DRIVER = 1246;
constexpr unsigned IDC_CAUTION_USB = 1247;
constexpr unsigned IDC_BUTTON_IGNORE = 1268;
constexpr unsigned IDC_BUTTON_CLOSE = 1269;

// Device List 218.
constexpr unsigned IDC_DEVICE_OK = 1084;
constexpr unsigned IDC_DEVICE_CANCEL = 1230;
constexpr unsigned IDC_CHOOSE_FRAME = 1248;
constexpr unsigned IDC_DEVICE_LIST_LABEL = 1250;
constexpr unsigned IDC_DEVICE_ID_LABEL = 1254;
constexpr unsigned IDC_EDIT_DEVICE_ID1 = 1255;
constexpr unsigned IDC_EDIT_DEVICE_ID2 = 1256;
constexpr unsigned IDC_EDIT_DEVICE_ID3 = 1257;
constexpr unsigned IDC_EDIT_DEVICE_ID4 = 1258;
constexpr unsigned IDC_BUTTON_MODIFY_ID1 = 1259;
constexpr unsigned IDC_BUTTON_MODIFY_ID2 = 1260;
constexpr unsigned IDC_BUTTON_MODIFY_ID3 = 1261;
constexpr unsigned IDC_BUTTON_MODIFY_ID4 = 1262;
constexpr unsigned IDC_RADIO_DEVICE1 = 1263;
constexpr unsigned IDC_RADIO_DEVICE2 = 1264;
constexpr unsigned IDC_DEVICE_NOTE = 1265;
constexpr unsigned IDC_RADIO_DEVICE3 = 1266;
constexpr unsigned IDC_RADIO_DEVICE4 = 1267;

// Timers of the view: the acquisition pump and the one-shot Save Image capture.
constexpr unsigned IDT_PUMP = 1;
constexpr unsigned IDT_IMAGE = 2;
// END dialog and control ids

// BEGIN dialogs2: record, save-channel, waveform-colour and calibration dialogs
constexpr unsigned IDD_SAVE_CHANNEL = 193;
constexpr unsigned IDD_RECORD = 203;
constexpr unsigned IDD_ZERO_CALIBRATION = 207;
constexpr unsigned IDD_AUTOSET_PROGRESS = 216;
constexpr unsigned IDD_CALIBRATE_DATA = 223;
constexpr unsigned IDD_WAVEFORM_COLOR = 227;
constexpr unsigned IDD_ETS_CALIBRATION = 251;
constexpr unsigned IDD_CALIBRATION = 252;

// Save 193.
constexpr unsigned IDC_SAVE_CHANNEL_FRAME = 1090;
constexpr unsigned IDC_RADIO_SAVE_CH1 = 1091;
constexpr unsigned IDC_RADIO_SAVE_CH2 = 1092;
constexpr unsigned IDC_SAVE_CHANNEL_OK = 1093;

// Record And Play Back 203.
constexpr unsigned IDC_RECORD_SOURCE = 1112;
constexpr unsigned IDC_RECORD_SOURCE_LABEL = 1113;
constexpr unsigned IDC_RECORD_END_LABEL = 1114;
constexpr unsigned IDC_RECORD_INTERVAL_LABEL = 1115;
constexpr unsigned IDC_RECORD_COUNT = 1116;
constexpr unsigned IDC_RECORD_END_FRAME = 1118;
constexpr unsigned IDC_RECORD_INTERVAL = 1119;
constexpr unsigned IDC_SPIN_RECORD_END = 1120;
constexpr unsigned IDC_BUTTON_RECORD = 1121;
constexpr unsigned IDC_BUTTON_RECORD_SAVE = 1122;
constexpr unsigned IDC_SPIN_RECORD_INTERVAL = 1123;
constexpr unsigned IDC_RECORD_MS_LABEL = 1124;
constexpr unsigned IDC_BUTTON_PLAY = 1125;
constexpr unsigned IDC_PLAY_INTERVAL_LABEL = 1126;
constexpr unsigned IDC_PLAY_START_LABEL = 1127;
constexpr unsigned IDC_PLAY_CURRENT_LABEL = 1128;
constexpr unsigned IDC_PLAY_END_LABEL = 1129;
constexpr unsigned IDC_PLAY_INTERVAL = 1130;
constexpr unsigned IDC_PLAY_START_FRAME = 1131;
constexpr unsigned IDC_PLAY_END_FRAME = 1132;
constexpr unsigned IDC_PLAY_CURRENT_FRAME = 1133;
constexpr unsigned IDC_PLAY_REPEAT = 1134;
constexpr unsigned IDC_BUTTON_RECORD_LOAD = 1135;
constexpr unsigned IDC_SPIN_PLAY_INTERVAL = 1136;
constexpr unsigned IDC_SPIN_PLAY_START = 1137;
constexpr unsigned IDC_SPIN_PLAY_END = 1138;
constexpr unsigned IDC_SPIN_PLAY_CURRENT = 1139;
constexpr unsigned IDC_PLAY_MS_LABEL = 1140;
constexpr unsigned IDC_RECORD_COUNT_LABEL = 1141;

// Waveform Color 227.
constexpr unsigned IDC_CH1_COLOR_LABEL = 1275;
constexpr unsigned IDC_CH2_COLOR_LABEL = 1276;
constexpr unsigned IDC_CH1_COLOR = 1277;
constexpr unsigned IDC_CH2_COLOR = 1278;
constexpr unsigned IDC_MATH_COLOR_LABEL = 1294;
constexpr unsigned IDC_REF_COLOR_LABEL = 1295;
constexpr unsigned IDC_MATH_COLOR = 1296;
constexpr unsigned IDC_REF_COLOR = 1297;

// Zero Calibration 207.
constexpr unsigned IDC_ZERO_CAUTION_FRAME = 1172;
constexpr unsigned IDC_ZERO_PROGRESS = 1173;
constexpr unsigned IDC_ZERO_CAUTION_TEXT = 1174;
constexpr unsigned IDC_ZERO_START = 1175;
constexpr unsigned IDC_ZERO_CH1 = 1176;
constexpr unsigned IDC_ZERO_CH2 = 1177;
constexpr unsigned IDC_ZERO_CLOSE = 1324;

// Calibrate Data 223 (its ids overlap those of the Calibration and ETS dialogs).
constexpr unsigned IDC_LINE_CAL_FRAME = 1271;
constexpr unsigned IDC_ETS_CAL_FRAME = 1278;
constexpr unsigned IDC_LINE_CAL_DATA1 = 1313;
constexpr unsigned IDC_LINE_CAL_DATA2 = 1314;
constexpr unsigned IDC_LINE_CAL_DATA3 = 1315;
constexpr unsigned IDC_LINE_CAL_DATA4 = 1316;
constexpr unsigned IDC_MAX_ETS_CAL_DATA = 1318;
constexpr unsigned IDC_MIN_ETS_CAL_DATA = 1320;
constexpr unsigned IDC_MAX_ETS_RANGE_LABEL = 1321;
constexpr unsigned IDC_MIN_ETS_RANGE_LABEL = 1322;
constexpr unsigned IDC_ETS_UPDATE = 1328;

// ETS Calibration 251.
constexpr unsigned IDC_ETS_FRAME = 1309;
constexpr unsigned IDC_ETS_STATUS = 1310;
constexpr unsigned IDC_ETS_START = 1322;
constexpr unsigned IDC_ETS_CANCEL = 1323;

// Calibration 252.
constexpr unsigned IDC_CALIBRATION_FRAME = 1311;
constexpr unsigned IDC_RADIO_ZERO_CAL = 1312;
constexpr unsigned IDC_RADIO_ETS_CAL = 1313;
constexpr unsigned IDC_CALIBRATION_OK = 1326;
constexpr unsigned IDC_CALIBRATION_CANCEL = 1327;

// Timer of the record and zero-calibration dialogs.
constexpr unsigned IDT_DIALOG = 1;
// END dialogs2

// BEGIN acquisition, FFT and pass/fail panels
constexpr unsigned IDD_INTENSITY = 184;
constexpr unsigned IDD_AVERAGE = 199;
constexpr unsigned IDD_PASSFAIL = 204;
constexpr unsigned IDD_FFT = 211;
constexpr unsigned IDD_DEMO_SETTING = 231;
constexpr unsigned IDD_PULSE_WIDTH = 249;

// Average 199.
constexpr unsigned IDC_AVG_LABEL = 1108;
constexpr unsigned IDC_AVG_COUNT = 1109;
constexpr unsigned IDC_AVG_RANGE = 1110;
constexpr unsigned IDC_AVG_OK = 1084;
constexpr unsigned IDC_AVG_CANCEL = 1230;

// Intensity 184.
constexpr unsigned IDC_INT_OK = 1084;
constexpr unsigned IDC_INT_GRID_LABEL = 1085;
constexpr unsigned IDC_INT_WAVE_LABEL = 1086;
constexpr unsigned IDC_INT_GRID = 1087;
constexpr unsigned IDC_INT_PERSISTENCE = 1088;
constexpr unsigned IDC_INT_WAVE = 1089;
constexpr unsigned IDC_INT_PERSIST_TIME = 1298;

// Pulse Width Setting 249.
constexpr unsigned IDC_PW_VALUE = 1078;
constexpr unsigned IDC_PW_LABEL = 1303;
constexpr unsigned IDC_PW_FRAME = 1305;
constexpr unsigned IDC_PW_SPIN = 1306;
constexpr unsigned IDC_PW_UNIT = 1308;
constexpr unsigned IDC_PW_OK = 1325;

// Demo Setting 231.
constexpr unsigned IDC_DEMO_NORMAL = 1069;
constexpr unsigned IDC_DEMO_NOISE = 1070;
constexpr unsigned IDC_DEMO_RANDOM = 1071;
constexpr unsigned IDC_DEMO_FREQ_FRAME = 1278;
constexpr unsigned IDC_DEMO_AMPL_FRAME = 1279;
constexpr unsigned IDC_DEMO_FUNC_FRAME = 1280;
constexpr unsigned IDC_DEMO_5MHZ = 1281;
constexpr unsigned IDC_DEMO_800KHZ = 1282;
constexpr unsigned IDC_DEMO_200KHZ = 1283;
constexpr unsigned IDC_DEMO_50KHZ = 1284;
constexpr unsigned IDC_DEMO_12_5KHZ = 1285;
constexpr unsigned IDC_DEMO_40V = 1286;
constexpr unsigned IDC_DEMO_4V = 1287;
constexpr unsigned IDC_DEMO_400MV = 1288;
constexpr unsigned IDC_DEMO_40MV = 1289;
constexpr unsigned IDC_DEMO_DC = 1290;
constexpr unsigned IDC_DEMO_SWEEP = 1291;

// FFT 211.
constexpr unsigned IDC_FFT_SAVE = 1157;
constexpr unsigned IDC_FFT_SOURCE = 1189;
constexpr unsigned IDC_FFT_WINDOW = 1192;
constexpr unsigned IDC_FFT_BINS = 1194;
constexpr unsigned IDC_FFT_SCALE = 1196;
constexpr unsigned IDC_FFT_HARMONIC_FRAME = 1197;
constexpr unsigned IDC_FFT_MEASURE_FRAME = 1198;
constexpr unsigned IDC_FFT_HARMONIC1_LABEL = 1199; // "1st" .. "6th": 1199..1204
constexpr unsigned IDC_FFT_HARMONIC2_LABEL = 1200;
constexpr unsigned IDC_FFT_HARMONIC3_LABEL = 1201;
constexpr unsigned IDC_FFT_HARMONIC4_LABEL = 1202;
constexpr unsigned IDC_FFT_HARMONIC5_LABEL = 1203;
constexpr unsigned IDC_FFT_HARMONIC6_LABEL = 1204;
constexpr unsigned IDC_FFT_SNR_LABEL = 1205;
constexpr unsigned IDC_FFT_THD_LABEL = 1206;
constexpr unsigned IDC_FFT_ENOB_LABEL = 1207;
constexpr unsigned IDC_FFT_SFDR_LABEL = 1208;
constexpr unsigned IDC_FFT_SINAD_LABEL = 1209;
constexpr unsigned IDC_FFT_TOTAL_POWER_LABEL = 1210;
constexpr unsigned IDC_FFT_LEVEL6 = 1211; // levels 6th..1st: 1211, 1213, ..., 1221
constexpr unsigned IDC_FFT_FREQ6 = 1212;  // frequencies 6th..1st: 1212, 1214, ..., 1222
constexpr unsigned IDC_FFT_LEVEL5 = 1213;
constexpr unsigned IDC_FFT_FREQ5 = 1214;
constexpr unsigned IDC_FFT_LEVEL4 = 1215;
constexpr unsigned IDC_FFT_FREQ4 = 1216;
constexpr unsigned IDC_FFT_LEVEL3 = 1217;
constexpr unsigned IDC_FFT_FREQ3 = 1218;
constexpr unsigned IDC_FFT_LEVEL2 = 1219;
constexpr unsigned IDC_FFT_FREQ2 = 1220;
constexpr unsigned IDC_FFT_LEVEL1 = 1221;
constexpr unsigned IDC_FFT_FREQ1 = 1222;
constexpr unsigned IDC_FFT_SNR = 1223;
constexpr unsigned IDC_FFT_THD = 1224;
constexpr unsigned IDC_FFT_ENOB = 1225;
constexpr unsigned IDC_FFT_SFDR = 1226;
constexpr unsigned IDC_FFT_SINAD = 1227;
constexpr unsigned IDC_FFT_TOTAL_POWER = 1228;
constexpr unsigned IDC_FFT_SETTING_FRAME = 1234;
constexpr unsigned IDC_FFT_START = 1235;
constexpr unsigned IDC_FFT_VERTICAL_LABEL = 1236;
constexpr unsigned IDC_FFT_PER_DIV_LABEL = 1238;
constexpr unsigned IDC_FFT_HORIZONTAL_LABEL = 1239;
constexpr unsigned IDC_FFT_VERTICAL = 1242;
constexpr unsigned IDC_FFT_ZOOM = 1243;

// Pass/Fail 204.
constexpr unsigned IDC_PF_SOURCE_LABEL = 1113;
constexpr unsigned IDC_PF_CONTROL_FRAME = 1142;
constexpr unsigned IDC_PF_SOURCE = 1143;
constexpr unsigned IDC_PF_OUTPUT_LABEL = 1144;
constexpr unsigned IDC_PF_OUTPUT = 1145;
constexpr unsigned IDC_PF_STOP_WHEN_OUTPUT = 1146;
constexpr unsigned IDC_PF_MASK_FRAME = 1147;
constexpr unsigned IDC_PF_VERTICAL_LABEL = 1148;
constexpr unsigned IDC_PF_HORIZONTAL_LABEL = 1149;
constexpr unsigned IDC_PF_VERTICAL = 1150;
constexpr unsigned IDC_PF_HORIZONTAL = 1151;
constexpr unsigned IDC_PF_SPIN_VERTICAL = 1152;
constexpr unsigned IDC_PF_SPIN_HORIZONTAL = 1153;
constexpr unsigned IDC_PF_VERTICAL_UNIT = 1154;
constexpr unsigned IDC_PF_HORIZONTAL_UNIT = 1155;
constexpr unsigned IDC_PF_CREATE = 1156;
constexpr unsigned IDC_PF_SAVE = 1157;
constexpr unsigned IDC_PF_LOAD = 1158;
constexpr unsigned IDC_PF_INFO_FRAME = 1159;
constexpr unsigned IDC_PF_OPERATION_FRAME = 1160;
constexpr unsigned IDC_PF_START = 1161;
constexpr unsigned IDC_PF_STOP = 1162;
constexpr unsigned IDC_PF_FAIL_LABEL = 1163;
constexpr unsigned IDC_PF_PASS_LABEL = 1164;
constexpr unsigned IDC_PF_TOTAL_LABEL = 1165;
constexpr unsigned IDC_PF_FAIL_COUNT = 1166;
constexpr unsigned IDC_PF_TOTAL_COUNT = 1167;
constexpr unsigned IDC_PF_PASS_COUNT = 1168;
constexpr unsigned IDC_PF_FAIL_UNIT = 1169;
constexpr unsigned IDC_PF_PASS_UNIT = 1170;
constexpr unsigned IDC_PF_TOTAL_UNIT = 1171;
// END acquisition, FFT and pass/fail panels

// BEGIN sidepanel: the side control panel (dialog 178, IDD_SIDEBAR above)
constexpr unsigned IDC_CH1_ON = 1040;
constexpr unsigned IDC_CH1_PROBE = 1043;
constexpr unsigned IDC_CH2_ON = 1045;
constexpr unsigned IDC_CH1_VOLTDIV = 1047;
constexpr unsigned IDC_CH1_COUPLING = 1048;
constexpr unsigned IDC_CH2_PROBE = 1050;
constexpr unsigned IDC_CH2_VOLTDIV = 1051;
constexpr unsigned IDC_CH2_COUPLING = 1052;
constexpr unsigned IDC_TIMEDIV = 1058;
constexpr unsigned IDC_FORMAT = 1059;
constexpr unsigned IDC_SWEEP_LABEL = 1066;
constexpr unsigned IDC_TRIGGER_MODE_LABEL = 1067;
constexpr unsigned IDC_TRIGGER_FRAME = 1072;
constexpr unsigned IDC_TRIGGER_SOURCE = 1073;
constexpr unsigned IDC_TRIGGER_SOURCE_LABEL = 1074;
constexpr unsigned IDC_SLOPE_LABEL = 1075;
constexpr unsigned IDC_TRIGGER_SLOPE = 1076;
constexpr unsigned IDC_PULSE_WIDTH_LABEL = 1077;
constexpr unsigned IDC_KNOB_TIME = 1081;
constexpr unsigned IDC_KNOB_CH1 = 1082;
constexpr unsigned IDC_KNOB_CH2 = 1083;
constexpr unsigned IDC_HORIZONTAL_FRAME = 1095;
constexpr unsigned IDC_CHANNEL_FRAME = 1104;
constexpr unsigned IDC_TRIGGER_MODE = 1107;
constexpr unsigned IDC_TRIGGER_SWEEP = 1108;
constexpr unsigned IDC_TIMEDIV_LABEL = 1232;
constexpr unsigned IDC_FORMAT_LABEL = 1233;
constexpr unsigned IDC_PULSE_WIDTH = 1302;
// END sidepanel
