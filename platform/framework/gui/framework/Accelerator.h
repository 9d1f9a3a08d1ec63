#pragma once
// Accelerator tables: key plus modifiers to command id. Key messages carry the modifiers that
// were held in lParam: bit 0 Ctrl, bit 1 Shift, bit 2 Alt.
#include "framework/WinDef.h"

#include <vector>

constexpr BYTE FVIRTKEY = 0x01;
constexpr BYTE FSHIFT = 0x04;
constexpr BYTE FCONTROL = 0x08;
constexpr BYTE FALT = 0x10;
constexpr LPARAM KV_KEY_CONTROL = 0x01;
constexpr LPARAM KV_KEY_SHIFT = 0x02;
constexpr LPARAM KV_KEY_ALT = 0x04;

struct ACCEL {
    BYTE fVirt = FVIRTKEY;
    WORD key = 0;
    WORD cmd = 0;
};

void RegisterAcceleratorResource(UINT resourceId, std::vector<ACCEL> entries);
HACCEL LoadAccelerators(UINT resourceId);
HACCEL CreateAcceleratorTable(const ACCEL* entries, int count);
BOOL DestroyAcceleratorTable(HACCEL hAccel);
// Runs the command of the entry matching a key-down message; non-zero when one matched.
int TranslateAccelerator(CWnd* hWnd, HACCEL hAccel, MSG* lpMsg);
