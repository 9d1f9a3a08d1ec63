#include "resources/language/BuiltinEnglish.h"

namespace kv {

namespace {

// Dialog captions, keyed by dialog id.
const BuiltinText kCaptions[] = {
    {100, "About"},
    {184, "Intensity"},
    {193, "Save"},
    {199, "Average"},
    {203, "Record And Play Back"},
    {204, "Pass/Fail"},
    {207, "Zero Calibration"},
    {211, "FFT"},
    {217, "Search Device"},
    {218, "Open Device"},
    {227, "Waveform Color"},
    {231, "Demo Setting"},
    {249, "Pulse Width Setting"},
    {251, "ETS Calibration"},
    {252, "Calibration"},
};

// Texts of dialog controls, keyed by control id (1040..1327): every fixed label, frame and button
// text. Controls whose text is a value the program writes (read-outs, the pulse width, the ETS
// calibration status) have none, nor do the two ids that carry different fixed texts in
// different dialogs (1278: the "Frequency" and "ETD Cal Data" frames; 1322: a "Start" button and
// a "( 0 ~ 200 )" label), so those controls keep the texts of their templates.
const BuiltinText kControls[] = {
    {1040, "CH1"},
    {1045, "CH2"},
    {1066, "Trigger Sweep"},
    {1067, "Trigger Mode"},
    {1069, "Normal"},
    {1070, "Noise"},
    {1071, "Random"},
    {1072, "Trigger"},
    {1074, "Trigger Source"},
    {1075, "Trigger Slope"},
    {1077, "Pulse Width"},
    {1084, "OK"},
    {1085, "Grid Intensity"},
    {1086, "Waveform Intensity"},
    {1088, "Persistence"},
    {1090, "Channel"},
    {1091, "CH1"},
    {1092, "CH2"},
    {1093, "OK"},
    {1095, "Horizontal"},
    {1104, "Channel"},
    {1108, "Average"},
    {1110, "(1 ~ 128)"},
    {1113, "Source"},
    {1114, "End Frame"},
    {1115, "Time Interval"},
    {1121, "Start"},
    {1122, "Save"},
    {1124, "(ms)"},
    {1125, "Play"},
    {1126, "Time Interval"},
    {1127, "Start Frame"},
    {1128, "Current Frame"},
    {1129, "End Frame"},
    {1134, "Repeat"},
    {1135, "Load"},
    {1140, "(ms)"},
    {1141, "Record :"},
    {1142, "Control Setting"},
    {1144, "Output"},
    {1146, "Stop When Output"},
    {1147, "Mask Setting"},
    {1148, "Vertical"},
    {1149, "Horizontal"},
    {1154, "(DIV / 32)"},
    {1155, "(DIV / 50)"},
    {1156, "Create"},
    {1157, "Save"},
    {1158, "Load"},
    {1159, "Information Display"},
    {1160, "Operation"},
    {1161, "Start"},
    {1162, "Stop"},
    {1163, "Fail :"},
    {1164, "Pass :"},
    {1165, "Total :"},
    {1169, "wfs"},
    {1170, "wfs"},
    {1171, "wfs"},
    {1172, "Caution"},
    {1174, "      It is strongly recommanded that zero calibration performed after several minutes by power "
           "up, and you should short CH1/CH2 input signal by connecting CH1/CH2 terminal to the GND terminal "
           "during the calibration process. "},
    {1175, "Start"},
    {1176, "CH1"},
    {1177, "CH2"},
    {1197, "Harmonics"},
    {1198, "Measurement Information"},
    {1199, "1st"},
    {1200, "2nd"},
    {1201, "3rd"},
    {1202, "4th"},
    {1203, "5th"},
    {1204, "6th"},
    {1205, "SNR"},
    {1206, "THD"},
    {1207, "ENOB"},
    {1208, "SFDR"},
    {1209, "SINAD"},
    {1210, "TotalPower"},
    {1230, "Cancel"},
    {1232, "Time / DIV"},
    {1233, "Format"},
    {1234, "FFT Setting"},
    {1235, "Start"},
    {1236, "Vertical"},
    {1238, "/div"},
    {1239, "Horizontal"},
    {1244, "Caution"},
    {1245, "Instrument not found,Possible causes are:"},
    {1246, "Driver is not found;"},
    {1247, "Instrument not connected to USB;"},
    {1248, "Choose Device"},
    {1250, "Device List"},
    {1254, "Device ID"},
    {1259, "Modify ID"},
    {1260, "Modify ID"},
    {1261, "Modify ID"},
    {1262, "Modify ID"},
    {1263, "Device 1"},
    {1264, "Device 2"},
    {1265, "Note:   Device ID between 0 and 255 !"},
    {1266, "Device 3"},
    {1267, "Device 4"},
    {1268, "Ignore"},
    {1269, "Close"},
    {1271, "Line Cal Data"},
    {1275, "CH1 Waveform Color"},
    {1276, "CH2 Waveform Color"},
    {1279, "Amplitude"},
    {1280, "Function"},
    {1281, "5.00 MHz"},
    {1282, "800 KHz"},
    {1283, "200 KHz"},
    {1284, "50.0 KHz"},
    {1285, "12.5 KHz"},
    {1286, "40.0 V"},
    {1287, "4.00 V"},
    {1288, "400 mV"},
    {1289, "40.0 mV"},
    {1290, "DC +"},
    {1291, "Sweep"},
    {1294, "Math Waveform Color"},
    {1295, "REF Waveform Color"},
    {1303, "Pulse Width"},
    {1305, "Setting"},
    {1312, "Zero Calibration"},
    {1313, "ETS Calibration"},
    {1321, "( 0 ~ 300 )"},
    {1323, "Cancel"},
    {1324, "Close"},
    {1325, "OK"},
    {1326, "OK"},
    {1327, "Cancel"},
};

// Messages and labels.
const BuiltinText kMessages[] = {
    {4000, "Turn Off"},
    {4001, "Turn On"},
    {4002, "Function not available!"},
    {4003, "CH1 Volt/DIV"},
    {4004, "CH1 Coupling"},
    {4005, "CH1 Probe"},
    {4006, "CH2 Volt/DIV"},
    {4007, "CH2 Coupling"},
    {4008, "CH2 Probe"},
    {4009, "Search Device......"},
    {4010, "Run in demo"},
    {4011, "Connected"},
    {4012, "Window Mode"},
    {4013, "Information ON"},
    {4014, "Information OFF"},
    {4015, "Change Time/DIV"},
    {4016, "Change CH1 Volt/DIV"},
    {4017, "Change CH2 Volt/DIV"},
    {4018, "Time"},
    {4019, "Test Report"},
    {4020, "Date"},
    {4021, "Sampling Rate"},
    {4022, "Input Coupling"},
    {4023, "Note"},
    {4024, "When Pulse Width"},
    {4025, "Trigger Slope"},
    {4026, "ETS Calibration In Progress..."},
    {4027, "ETS Calibration Fails!"},
    {4028, "ETS Calibration OK!"},
};

// Toolbar tooltips, keyed by command id (32872 and 32876 also label the Start/Stop buttons).
const BuiltinText kTooltips[] = {
    {32816, "Load *.csv"},   {32819, "Save Waveform"}, {57607, "Print"},
    {32833, "Cross Cursor"}, {32832, "Clear Cursor"},  {33038, "Turn On/Off Reference"},
    {32870, "FFT"},          {32792, "Record"},        {32793, "PassFail"},
    {32878, "Zoom In"},      {32877, "Zoom Out"},      {32872, "Start"},
    {32876, "Stop"},         {32871, "Autoset"},       {32823, "Full Screen"},
    {32873, "Sidebar"},      {32796, "Help"},
};

const BuiltinText kName[] = {
    {8888, "English"},
};

template <std::size_t N> void Append(std::vector<BuiltinText>& out, const BuiltinText (&group)[N]) {
    out.insert(out.end(), group, group + N);
}

} // namespace

const std::vector<BuiltinText>& BuiltinEnglishTable() {
    static const std::vector<BuiltinText> table = [] {
        std::vector<BuiltinText> t = BuiltinEnglishMenuTexts();
        Append(t, kCaptions);
        Append(t, kControls);
        Append(t, kMessages);
        Append(t, kTooltips);
        Append(t, kName);
        return t;
    }();
    return table;
}

} // namespace kv
