// String-table ids. Every text the user sees is looked up by one of these
// numbers, in the English table built in or in the Japanese library.
#pragma once



// Dialog filters
inline constexpr int IDS_CFG_FILE_FILTER = 100;

// Messages
inline constexpr int IDS_COMM_ERROR_RETRY = 201;
inline constexpr int IDS_ONLY_ONLINE = 202;
inline constexpr int IDS_PROMPT_TRUE_INPUT = 203;
inline constexpr int IDS_PROMPT_MEASURED_OUTPUT = 204;
inline constexpr int IDS_RANGE_ERROR = 205;
inline constexpr int IDS_COMM_ERROR = 206;
inline constexpr int IDS_LOAD_FILE_FAILED = 207;
inline constexpr int IDS_SAVE_FILE_FAILED = 208;
inline constexpr int IDS_ONLY_OFFLINE = 209;
inline constexpr int IDS_INVALID_OUTPUT_VALUE = 210;
inline constexpr int IDS_OUTPUT_VALUE = 211;
inline constexpr int IDS_FILTER_RANGE_ERROR = 212;
inline constexpr int IDS_FILE_MODEL_MISMATCH = 213;
inline constexpr int IDS_DEVICE_NOT_SUPPORTED = 214;
inline constexpr int IDS_EDIT_SWITCH_OFF = 216;

// Device link
inline constexpr int IDS_RECEIVE_TIMEOUT = 300;
inline constexpr int IDS_INVALID_G_RESPONSE = 301;
inline constexpr int IDS_INVALID_I_RESPONSE = 302;
inline constexpr int IDS_INVALID_D_RESPONSE = 303;
inline constexpr int IDS_NO_COM_PORT = 304;
inline constexpr int IDS_PORT_OPEN_FAILED = 305;
inline constexpr int IDS_PORT_SETTINGS_FAILED = 306;
// Second line of 305: why the system refused the port.
inline constexpr int IDS_PORT_REASON_IN_USE = 320;
inline constexpr int IDS_PORT_REASON_NO_GROUP = 321; // %1: the device's group
inline constexpr int IDS_PORT_REASON_RELOGIN = 322;  // %1: the device's group
inline constexpr int IDS_PORT_REASON_DENIED = 323;
inline constexpr int IDS_PORT_REASON_NOT_PRESENT = 324;

// Values the instrument did not take or cannot be kept in a file
inline constexpr int IDS_WRITE_NOT_KEPT = 330;          // %1 name, %2 sent, %3 kept
inline constexpr int IDS_VALUES_OUT_OF_RANGE = 331;     // heading of the rows below
inline constexpr int IDS_VALUE_OUT_OF_RANGE_ROW = 332;  // %1 range message, %2 value held

// Parameter names
inline constexpr int IDS_PAR_INPUT_TYPE = 1000;
inline constexpr int IDS_PAR_BURNOUT = 1001;
inline constexpr int IDS_PAR_FILTER = 1100;
inline constexpr int IDS_PAR_FINE_ZERO_X = 1101;
inline constexpr int IDS_PAR_FINE_SPAN = 1102;
inline constexpr int IDS_PAR_FINE_ZERO_Y = 1103;
inline constexpr int IDS_PAR_INPUT_0 = 1200;
inline constexpr int IDS_PAR_INPUT_100 = 1201;
inline constexpr int IDS_PAR_LINEARIZATION = 1300;
inline constexpr int IDS_PAR_POINTS = 1301;
inline constexpr int IDS_PAR_TABLE_X = 1302;
inline constexpr int IDS_PAR_TABLE_Y = 1303;
inline constexpr int IDS_PAR_OUTPUT_0 = 1400;
inline constexpr int IDS_PAR_OUTPUT_100 = 1401;
inline constexpr int IDS_PAR_OUTPUT_TYPE = 1500;
inline constexpr int IDS_PAR_OUT_FINE_ZERO = 1501;
inline constexpr int IDS_PAR_OUT_FINE_SPAN = 1502;
inline constexpr int IDS_PAR_MODEL = 1600;
inline constexpr int IDS_PAR_HARDWARE = 1601;
inline constexpr int IDS_PAR_FIRMWARE = 1602;
inline constexpr int IDS_PAR_SERIAL = 1603;
inline constexpr int IDS_PAR_TAG = 1604;

// Choice texts
inline constexpr int IDS_CHOOSE_TYPE = 1999;
inline constexpr int IDS_KT7W_INPUT_TYPE_0 = 2000;  // 2000..2002
inline constexpr int IDS_KT5RS_INPUT_TYPE_0 = 2005; // 2005..2010
inline constexpr int IDS_OUTPUT_TYPE_0 = 2050;      // 2050..2052
inline constexpr int IDS_LINEARIZATION_0 = 2100;    // 2100..2101
inline constexpr int IDS_BURNOUT_0 = 2105;          // 2105..2107

// Utility labels
inline constexpr int IDS_UT_CALIBRATE_INPUT = 3000;
inline constexpr int IDS_UT_INPUT_0_CAL = 3100;
inline constexpr int IDS_UT_INPUT_100_CAL = 3101;
inline constexpr int IDS_UT_INPUT_CAL_RESET = 3102;
inline constexpr int IDS_UT_FINE_ZERO = 3103;
inline constexpr int IDS_UT_FINE_SPAN = 3104;
inline constexpr int IDS_UT_FINE_RESET = 3105;
inline constexpr int IDS_UT_TREND_GRAPH = 3106;
inline constexpr int IDS_UT_USER_TABLE = 3300;
inline constexpr int IDS_UT_OUTPUT_0_CAL = 3400;
inline constexpr int IDS_UT_OUTPUT_100_CAL = 3401;
inline constexpr int IDS_UT_OUTPUT_CAL_RESET = 3402;
inline constexpr int IDS_UT_OUT_FINE_ZERO = 3500;
inline constexpr int IDS_UT_OUT_FINE_SPAN = 3501;
inline constexpr int IDS_UT_OUT_FINE_RESET = 3502;
inline constexpr int IDS_UT_CALIBRATE_OUTPUT = 3503;
inline constexpr int IDS_UT_LOOP_TEST = 3504;

// Function block names 10000..10006
inline constexpr int IDS_BLOCK_0 = 10000;

// Units
inline constexpr int IDS_UNIT_MA = 11003;
inline constexpr int IDS_UNIT_MV = 11004;
inline constexpr int IDS_UNIT_V = 11005;
inline constexpr int IDS_UNIT_PERCENT = 11006;

// Column headers
inline constexpr int IDS_COL_NAME = 12000;
inline constexpr int IDS_COL_VALUE = 12001;
inline constexpr int IDS_COL_EDITED_VALUE = 12002;
inline constexpr int IDS_COL_DEVICE_VALUE = 12003;
inline constexpr int IDS_COL_FUNCTION_BLOCK = 12004;
inline constexpr int IDS_COL_PARAMETER_NAME = 12005;

// Button captions
inline constexpr int IDS_CONNECT = 13000;
inline constexpr int IDS_DISCONNECT = 13001;

// Table file
inline constexpr int IDS_TABLE_OPEN_FAILED = 30000;
inline constexpr int IDS_TABLE_WRITE_FAILED = 30001;
inline constexpr int IDS_TABLE_BAD_STRUCTURE = 30002;
inline constexpr int IDS_TABLE_TOO_MANY = 30003;

// Utility actions and their tools
inline constexpr int IDS_VALUE_LINE_BREAK = 30500;
inline constexpr int IDS_FINE_SPAN_NO_DIVISOR = 30501;
inline constexpr int IDS_OUTPUT_SPAN_NO_DIVISOR = 30502;

// Compare and transfer
inline constexpr int IDS_ALL_MATCHING = 30100;
inline constexpr int IDS_N_NOT_MATCHING = 30101;
inline constexpr int IDS_COMPARE_SAVE_CSV = 30110;
inline constexpr int IDS_COMPARE_CSV_FILTER = 30111;
inline constexpr int IDS_COMPARE_CSV_NOT_MATCHING = 30112; // column marking a differing row
inline constexpr int IDS_COMPARE_CSV_FAILED = 30113;
inline constexpr int IDS_UPLOADING = 30200;
inline constexpr int IDS_DOWNLOADING = 30201;

// Main window
inline constexpr int IDS_CONNECTED_TO = 30300; // %1 the port and its device

// Trend graph panel
inline constexpr int IDS_GRAPH_SAVE = 30400;
inline constexpr int IDS_GRAPH_SAVE_FILTER = 30401;
inline constexpr int IDS_GRAPH_SAVE_FAILED = 30402;
inline constexpr int IDS_GRAPH_PRINT_FAILED = 30403;

// History of the instruments
inline constexpr int IDS_HISTORY_UNAVAILABLE = 30600; // %1 the system's reason
inline constexpr int IDS_HISTORY_SET_ASIDE = 30601;   // %1 the damaged database's new name
inline constexpr int IDS_HISTORY_AS_FOUND = 30602;
inline constexpr int IDS_HISTORY_AS_LEFT = 30603;
inline constexpr int IDS_HISTORY = 30604;
inline constexpr int IDS_HISTORY_COL_MODEL = 30605;
inline constexpr int IDS_HISTORY_COL_SERIAL = 30606;
inline constexpr int IDS_HISTORY_COL_TAG = 30607;
inline constexpr int IDS_HISTORY_COL_PORT = 30608;
inline constexpr int IDS_HISTORY_COL_TIME = 30609;
inline constexpr int IDS_HISTORY_COL_RECORD = 30610;
inline constexpr int IDS_HISTORY_COL_WHAT = 30611;
inline constexpr int IDS_HISTORY_COL_BLOCK = 30612;
inline constexpr int IDS_HISTORY_COL_ITEM = 30613;
inline constexpr int IDS_HISTORY_COL_BEFORE = 30614;
inline constexpr int IDS_HISTORY_COL_SENT = 30615;
inline constexpr int IDS_HISTORY_COL_READ_BACK = 30616;
inline constexpr int IDS_HISTORY_COL_RESULT = 30617;
inline constexpr int IDS_HISTORY_COL_MESSAGE = 30618;
inline constexpr int IDS_HISTORY_OPEN = 30619;
inline constexpr int IDS_HISTORY_COMPARE = 30620;
inline constexpr int IDS_HISTORY_RESTORE = 30621;
inline constexpr int IDS_HISTORY_SAVE_JOURNAL = 30622;
inline constexpr int IDS_HISTORY_REPORT = 30623;
inline constexpr int IDS_HISTORY_RESTORE_ASK = 30624;
inline constexpr int IDS_HISTORY_RESTORE_OTHER = 30625;
inline constexpr int IDS_HISTORY_NO_REPORT = 30626;
inline constexpr int IDS_HISTORY_RECORD_CHANGED = 30627;
inline constexpr int IDS_HISTORY_CSV_FILTER = 30628;
inline constexpr int IDS_HISTORY_PDF_FILTER = 30629;
inline constexpr int IDS_HISTORY_SAVE_FAILED = 30630;
inline constexpr int IDS_REPORT_TITLE = 30631;
inline constexpr int IDS_REPORT_FIRMWARE = 30632;
inline constexpr int IDS_REPORT_DATE = 30633;
inline constexpr int IDS_REPORT_JOURNAL = 30634;
inline constexpr int IDS_REPORT_TREND = 30635;
inline constexpr int IDS_REPORT_PAGE = 30636;
inline constexpr int IDS_HISTORY_AS_LEFT_MISSING = 30637;
inline constexpr int IDS_HISTORY_INSTRUMENTS = 30638;
inline constexpr int IDS_HISTORY_RECORDS = 30639;
inline constexpr int IDS_HISTORY_JOURNAL = 30640;
inline constexpr int IDS_HISTORY_BY_PORT = 30641;
inline constexpr int IDS_HISTORY_CLOSE = 30642;
// Confirmations and reports of the utility actions that change the instrument
inline constexpr int IDS_CONFIRM_RESET = 31800;       // %1 action, %2 the values it resets
inline constexpr int IDS_CONFIRM_CALIBRATION = 31801; // %1 action, %2 reading, %3 parameter, %4 its value now
inline constexpr int IDS_NOW_HOLDS = 31802;           // %1 action, %2 the values after it
inline constexpr int IDS_READING_REJECTED = 31803;    // %1 action, %2 reading, %3..%4 allowed, %5 parameter

// The main window's own notices
inline constexpr int IDS_FIXED_OUTPUT = 31810;         // banner while the loop test holds the output
inline constexpr int IDS_FIXED_OUTPUT_RELEASE = 31811; // Yes / No / Cancel before leaving it fixed
inline constexpr int IDS_UNSAVED_CHANGES = 31820; // Save / Discard / Cancel before the set is replaced
inline constexpr int IDS_NOT_SAVED = 31821;       // title: a changed set without a file
inline constexpr int IDS_METER_ABOVE_RANGE = 31830; // %1..%2 the panel's range, %3 its unit
inline constexpr int IDS_METER_BELOW_RANGE = 31831;
inline constexpr int IDS_METER_NOT_A_NUMBER = 31832; // %1 the text received

// A parameter's description (the list's tooltips)
inline constexpr int IDS_TIP_RANGE = 31840;        // %1..%2 the limits, %3 the unit
inline constexpr int IDS_TIP_RANGE_OR_ZERO = 31841; // the filter: 0, or %1..%2
inline constexpr int IDS_TIP_CHOICES = 31842;
inline constexpr int IDS_TIP_DEFAULT = 31843;
inline constexpr int IDS_TIP_INSTRUMENT = 31844;
inline constexpr int IDS_UNIT_SECONDS = 31845;

// Names a screen reader reads
inline constexpr int IDS_A11Y_METER = 31870;       // %1 the panel's caption
inline constexpr int IDS_A11Y_METER_VALUE = 31871; // value, unit, range ends
inline constexpr int IDS_A11Y_STATUS = 31872;

// The status line (the last insert is the time) and the buttons' tooltips
inline constexpr int IDS_STATUS_CONNECTED = 31850;
inline constexpr int IDS_STATUS_DISCONNECTED = 31851;
inline constexpr int IDS_STATUS_UPLOADED = 31852;
inline constexpr int IDS_STATUS_DOWNLOADED = 31853;
inline constexpr int IDS_STATUS_DOWNLOAD_FAILED = 31854;
inline constexpr int IDS_STATUS_COMPARED = 31855; // %1 port, %2 the summary
inline constexpr int IDS_STATUS_SAVED = 31856;
inline constexpr int IDS_STATUS_OPENED = 31857;
inline constexpr int IDS_STATUS_OPENED_DOWNLOADED = 31858;
inline constexpr int IDS_STATUS_ACTION_DONE = 31859;
inline constexpr int IDS_STATUS_ACTION_FAILED = 31860;
inline constexpr int IDS_STATUS_ONLINE = 31861;   // port, model, serial, tag
inline constexpr int IDS_BUTTON_KEY_TIP = 31862;  // caption, key

// The trend graph's printed header
inline constexpr int IDS_TREND_TITLE_UNIT = 31880; // %1 block, %2 unit
inline constexpr int IDS_TREND_TITLE = 31881;      // %1 block
inline constexpr int IDS_TREND_INSTRUMENT = 31882; // %1 model, %2 serial, %3 tag
inline constexpr int IDS_TREND_TIME = 31883;       // %1 start, %2 duration
