#include "resources/dialogs/DialogTemplates.h"

#include "resources/Resource.h"
#include "resources/dialogs/TemplateBuilder.h"

namespace kv {

namespace {

using namespace dialog_build;

// The form view: side-panel frame at the right, status strip on top, the screen panel and the
// channel information bar below it. The view lays them out again on every size change.
DialogTemplate FormView() {
    DialogTemplate t;
    t.id = IDD_KELVANE_FORM;
    t.size = SIZE{784, 520};
    t.controls = {
        Control(IDC_SIDEBAR_TAB, ControlKind::TabControl, "", 596, 0, 188, 520, WS_VISIBLE | WS_CLIPCHILDREN),
        Control(IDC_STATUS_STRIP, ControlKind::Custom, "", 0, 0, 596, 30),
        Control(IDC_SCOPE_SCREEN, ControlKind::Custom, "", 0, 30, 596, 460),
        Control(IDC_CHANNEL_INFO, ControlKind::Custom, "", 0, 490, 596, 30),
    };
    return t;
}

DialogTemplate About() {
    DialogTemplate t;
    t.id = IDD_ABOUTBOX;
    t.caption = "About";
    t.size = SIZE{360, 170};
    t.controls = {
        Control(IDC_ABOUT_PICTURE, ControlKind::Picture, "", 16, 16, 96, 96),
        Control(kUnnamed, ControlKind::Static, "Kestra-E USB Oscilloscope", 128, 20, 216, 20),
        Control(kUnnamed, ControlKind::Static, "Version 7.0.0.1", 128, 48, 216, 20),
        Control(IDOK, ControlKind::Button, "OK", 264, 128, 80, 26, kTab | BS_DEFPUSHBUTTON),
    };
    return t;
}

DialogTemplate SearchingDevice() {
    DialogTemplate t;
    t.id = IDD_SEARCH_DEVICE;
    t.caption = "Search Device";
    t.size = SIZE{340, 190};
    t.controls = {
        Control(IDC_CAUTION_FRAME, ControlKind::GroupBox, "Caution", 12, 10, 316, 118),
        Control(IDC_CAUTION_TEXT, ControlKind::Static, "Instrument not found,Possible causes are:", 28, 34,
                288, 20),
        Control(IDC_CAUTION_DRIVER, ControlKind::Static, "Driver is not found;", 44, 62, 272, 20),
        Control(IDC_CAUTION_USB, ControlKind::Static, "Instrument not connected to USB;", 44, 90, 272, 20),
        // Close first: it holds the focus, so Enter closes.
        Control(IDC_BUTTON_CLOSE, ControlKind::Button, "Close", 240, 146, 88, 28, kTab | BS_DEFPUSHBUTTON),
        Control(IDC_BUTTON_IGNORE, ControlKind::Button, "Ignore", 140, 146, 88, 28, kTab),
    };
    return t;
}

DialogTemplate DeviceList() {
    DialogTemplate t;
    t.id = IDD_DEVICE_LIST;
    t.caption = "Open Device";
    t.size = SIZE{380, 292};
    t.controls = {
        Control(IDC_CHOOSE_FRAME, ControlKind::GroupBox, "Choose Device", 12, 10, 356, 204),
        Control(IDC_DEVICE_LIST_LABEL, ControlKind::Static, "Device List", 28, 32, 120, 20),
        Control(IDC_DEVICE_ID_LABEL, ControlKind::Static, "Device ID", 164, 32, 90, 20),
        // One row per slot: choice, ID and its Modify ID button.
        Control(IDC_RADIO_DEVICE1, ControlKind::RadioButton, "Device 1", 28, 60, 120, 24, kTab | WS_GROUP),
        Control(IDC_EDIT_DEVICE_ID1, ControlKind::Edit, "0", 164, 60, 60, 24, kTab),
        Control(IDC_BUTTON_MODIFY_ID1, ControlKind::Button, "Modify ID", 244, 59, 108, 26, kTab),
        Control(IDC_RADIO_DEVICE2, ControlKind::RadioButton, "Device 2", 28, 96, 120, 24, kTab),
        Control(IDC_EDIT_DEVICE_ID2, ControlKind::Edit, "0", 164, 96, 60, 24, kTab),
        Control(IDC_BUTTON_MODIFY_ID2, ControlKind::Button, "Modify ID", 244, 95, 108, 26, kTab),
        Control(IDC_RADIO_DEVICE3, ControlKind::RadioButton, "Device 3", 28, 132, 120, 24, kTab),
        Control(IDC_EDIT_DEVICE_ID3, ControlKind::Edit, "0", 164, 132, 60, 24, kTab),
        Control(IDC_BUTTON_MODIFY_ID3, ControlKind::Button, "Modify ID", 244, 131, 108, 26, kTab),
        Control(IDC_RADIO_DEVICE4, ControlKind::RadioButton, "Device 4", 28, 168, 120, 24, kTab),
        Control(IDC_EDIT_DEVICE_ID4, ControlKind::Edit, "0", 164, 168, 60, 24, kTab),
        Control(IDC_BUTTON_MODIFY_ID4, ControlKind::Button, "Modify ID", 244, 167, 108, 26, kTab),
        Control(IDC_DEVICE_NOTE, ControlKind::Static, "Note:   Device ID between 0 and 255 !", 12, 222, 356,
                20),
        Control(IDC_DEVICE_OK, ControlKind::Button, "OK", 180, 252, 88, 28, kTab | BS_DEFPUSHBUTTON),
        Control(IDC_DEVICE_CANCEL, ControlKind::Button, "Cancel", 280, 252, 88, 28, kTab),
    };
    return t;
}

} // namespace

void RegisterAppDialogTemplates() {
    RegisterDialogTemplate(FormView());
    RegisterDialogTemplate(About());
    RegisterDialogTemplate(SearchingDevice());
    RegisterDialogTemplate(DeviceList());
}

} // namespace kv
