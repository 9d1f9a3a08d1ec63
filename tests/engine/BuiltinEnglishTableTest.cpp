// The built-in English table key by key: every key range holds exactly the keys and texts the
// program's dialogs, menus, messages and toolbar need, and nothing else.
#include "resources/language/BuiltinEnglish.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

std::map<int, std::string> Table() {
    std::map<int, std::string> byKey;
    for (const auto& e : kv::BuiltinEnglishTable())
        EXPECT_TRUE(byKey.emplace(e.key, e.text).second) << "key listed twice: " << e.key;
    return byKey;
}

// A main-menu key: "8" and two digits per level, one to four levels.
bool IsMenuKey(int key) {
    const std::string digits = std::to_string(key);
    return digits[0] == '8' && digits.size() % 2 == 1 && digits.size() >= 3 && digits.size() <= 9 &&
           key != 8888;
}

// Dialog control texts by control id, dialog by dialog.
const std::map<int, std::string> kControlTexts = {
    // Side control panel. The channel buttons and the slope label carry their dialog texts.
    {1040, "CH1"},
    {1045, "CH2"},
    {1104, "Channel"},
    {1095, "Horizontal"},
    {1072, "Trigger"},
    {1074, "Trigger Source"},
    {1067, "Trigger Mode"},
    {1066, "Trigger Sweep"},
    {1232, "Time / DIV"},
    {1233, "Format"},
    {1075, "Trigger Slope"},
    {1077, "Pulse Width"},
    // Searching Device.
    {1268, "Ignore"},
    {1269, "Close"},
    {1244, "Caution"},
    {1245, "Instrument not found,Possible causes are:"},
    {1246, "Driver is not found;"},
    {1247, "Instrument not connected to USB;"},
    // Device List (OK and Cancel are shared with Average and Intensity).
    {1263, "Device 1"},
    {1264, "Device 2"},
    {1266, "Device 3"},
    {1267, "Device 4"},
    {1259, "Modify ID"},
    {1260, "Modify ID"},
    {1261, "Modify ID"},
    {1262, "Modify ID"},
    {1084, "OK"},
    {1230, "Cancel"},
    {1248, "Choose Device"},
    {1250, "Device List"},
    {1254, "Device ID"},
    {1265, "Note:   Device ID between 0 and 255 !"},
    // Average, Intensity, Pulse Width Setting.
    {1108, "Average"},
    {1110, "(1 ~ 128)"},
    {1088, "Persistence"},
    {1085, "Grid Intensity"},
    {1086, "Waveform Intensity"},
    {1303, "Pulse Width"},
    {1305, "Setting"},
    {1325, "OK"},
    // Demo Setting (the Frequency frame shares its id with other controls).
    {1281, "5.00 MHz"},
    {1282, "800 KHz"},
    {1283, "200 KHz"},
    {1284, "50.0 KHz"},
    {1285, "12.5 KHz"},
    {1286, "40.0 V"},
    {1287, "4.00 V"},
    {1288, "400 mV"},
    {1289, "40.0 mV"},
    {1069, "Normal"},
    {1070, "Noise"},
    {1071, "Random"},
    {1290, "DC +"},
    {1291, "Sweep"},
    {1279, "Amplitude"},
    {1280, "Function"},
    // FFT.
    {1236, "Vertical"},
    {1238, "/div"},
    {1239, "Horizontal"},
    {1235, "Start"},
    {1157, "Save"},
    {1234, "FFT Setting"},
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
    // Pass/Fail ("Save" is the FFT's id too).
    {1113, "Source"},
    {1144, "Output"},
    {1146, "Stop When Output"},
    {1148, "Vertical"},
    {1154, "(DIV / 32)"},
    {1149, "Horizontal"},
    {1155, "(DIV / 50)"},
    {1156, "Create"},
    {1158, "Load"},
    {1161, "Start"},
    {1162, "Stop"},
    {1163, "Fail :"},
    {1164, "Pass :"},
    {1165, "Total :"},
    {1169, "wfs"},
    {1170, "wfs"},
    {1171, "wfs"},
    {1142, "Control Setting"},
    {1147, "Mask Setting"},
    {1159, "Information Display"},
    {1160, "Operation"},
    // Record And Play Back ("Source" is Pass/Fail's id too).
    {1114, "End Frame"},
    {1115, "Time Interval"},
    {1124, "(ms)"},
    {1141, "Record :"},
    {1121, "Start"},
    {1122, "Save"},
    {1126, "Time Interval"},
    {1140, "(ms)"},
    {1127, "Start Frame"},
    {1129, "End Frame"},
    {1128, "Current Frame"},
    {1134, "Repeat"},
    {1125, "Play"},
    {1135, "Load"},
    // Save.
    {1090, "Channel"},
    {1091, "CH1"},
    {1092, "CH2"},
    {1093, "OK"},
    // Waveform Color.
    {1275, "CH1 Waveform Color"},
    {1276, "CH2 Waveform Color"},
    {1294, "Math Waveform Color"},
    {1295, "REF Waveform Color"},
    // Calibration, Zero Calibration, ETS Calibration, Calibrate Data.
    {1312, "Zero Calibration"},
    {1313, "ETS Calibration"},
    {1326, "OK"},
    {1327, "Cancel"},
    {1172, "Caution"},
    {1174,
     "      It is strongly recommanded that zero calibration performed after several minutes by power up, "
     "and you should short CH1/CH2 input signal by connecting CH1/CH2 terminal to the GND terminal during "
     "the calibration process. "},
    {1175, "Start"},
    {1176, "CH1"},
    {1177, "CH2"},
    {1324, "Close"},
    {1323, "Cancel"},
    {1271, "Line Cal Data"},
    {1321, "( 0 ~ 300 )"},
};

const std::map<int, std::string> kCaptions = {
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

const std::map<int, std::string> kMessages = {
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

const std::map<int, std::string> kTooltips = {
    {32816, "Load *.csv"},   {32819, "Save Waveform"}, {57607, "Print"},
    {32833, "Cross Cursor"}, {32832, "Clear Cursor"},  {33038, "Turn On/Off Reference"},
    {32870, "FFT"},          {32792, "Record"},        {32793, "PassFail"},
    {32878, "Zoom In"},      {32877, "Zoom Out"},      {32872, "Start"},
    {32876, "Stop"},         {32871, "Autoset"},       {32823, "Full Screen"},
    {32873, "Sidebar"},      {32796, "Help"},
};

// Every entry of `expected` is in the table with exactly its text; returns how many were.
int ExpectTexts(const std::map<int, std::string>& table, const std::map<int, std::string>& expected,
                const char* range) {
    int found = 0;
    for (const auto& [key, text] : expected) {
        const auto it = table.find(key);
        if (it == table.end()) {
            ADD_FAILURE() << range << " key " << key << " is missing";
            continue;
        }
        EXPECT_EQ(it->second, text) << range << " key " << key;
        ++found;
    }
    return found;
}

TEST(BuiltinEnglishTable, EveryRangeHoldsExactlyItsKeys) {
    const std::map<int, std::string> table = Table();
    ASSERT_EQ(kControlTexts.size(), 132u);
    EXPECT_EQ(ExpectTexts(table, kControlTexts, "control"), 132);
    EXPECT_EQ(ExpectTexts(table, kCaptions, "caption"), 15);
    EXPECT_EQ(ExpectTexts(table, kMessages, "message"), 29);
    EXPECT_EQ(ExpectTexts(table, kTooltips, "tooltip"), 17);
    ASSERT_EQ(table.count(8888), 1u);
    EXPECT_EQ(table.at(8888), "English");

    // No control key beyond the expected ones, and the ids whose controls show values or carry
    // different texts in different dialogs have none.
    for (const auto& [key, text] : table) {
        if (key >= 1000 && key < 2000) {
            EXPECT_EQ(kControlTexts.count(key), 1u)
                << "unexpected control key " << key << " \"" << text << "\"";
        }
    }
    for (int valueControl : {1116, 1166, 1167, 1168, 1211, 1228, 1278, 1302, 1310, 1322, 1328})
        EXPECT_EQ(table.count(valueControl), 0u) << valueControl;

    int menu = 0, other = 0;
    for (const auto& [key, text] : table) {
        if (IsMenuKey(key))
            ++menu;
        else if (!kControlTexts.count(key) && !kCaptions.count(key) && !kMessages.count(key) &&
                 !kTooltips.count(key) && key != 8888)
            ADD_FAILURE() << "key " << key << " belongs to no range";
        else
            ++other;
    }
    EXPECT_EQ(menu, 290);
    EXPECT_EQ(menu + other, 484);
    EXPECT_EQ(table.size(), 484u);
}

TEST(BuiltinEnglishTable, MenuKeysFollowThePositions) {
    const std::map<int, std::string> table = Table();
    for (int key = 800; key <= 810; ++key)
        EXPECT_EQ(table.count(key), 1u) << key;
    EXPECT_EQ(table.count(811), 0u);
    EXPECT_EQ(table.at(80809), "Buffer Size");     // Acquire > Buffer Size
    EXPECT_EQ(table.at(8040000), "nS");            // Horizontal > Time/DIV > nS
    EXPECT_EQ(table.at(802000106), "1.00V");       // Channel > CH1 > Volt/DIV > 1.00V
    EXPECT_EQ(table.at(81000), "Contents#F1");     // Help
    EXPECT_EQ(table.at(80000), "Load CSV#Ctrl+O"); // File
    // The nS steps and the buffer sizes depend on the model: the table adds them when it loads.
    EXPECT_EQ(table.count(804000000), 0u);
    EXPECT_EQ(table.count(8080900), 0u);
}

} // namespace
