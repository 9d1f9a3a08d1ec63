#pragma once
// Which command each menu image and toolbar button stands for. The position in
// kMenuImageCommands is the image index in the menu image lists; the toolbar's buttons take
// the images of the toolbar bitmaps in button order (separators, 0, take none).
#include "resources/Resource.h"

#include <cstddef>

namespace kv {

inline constexpr unsigned kMenuImageCommands[] = {
    ID_FILE_LOAD_CSV, ID_FILE_SAVE_WAVEFORM, ID_FILE_PRINT,     ID_CURSOR_CROSS,     ID_CURSOR_NONE,
    ID_REF_ONOFF,     ID_UTILITY_FFT,        ID_UTILITY_RECORD, ID_UTILITY_PASSFAIL, ID_ZOOM_OUT,
    ID_ZOOM_IN,       ID_ACQUIRE_START,      ID_ACQUIRE_STOP,   ID_AUTO_SETUP,       ID_VIEW_FULL_SCREEN,
    ID_VIEW_SIDEBAR,  ID_HELP_CONTENTS,
};
inline constexpr int kMenuImageCount = static_cast<int>(sizeof(kMenuImageCommands) / sizeof(unsigned));

inline constexpr unsigned kToolbarButtons[] = {
    ID_FILE_LOAD_CSV,
    ID_FILE_SAVE_WAVEFORM,
    ID_FILE_PRINT,
    0,
    ID_CURSOR_CROSS,
    ID_CURSOR_NONE,
    ID_REF_ONOFF,
    0,
    ID_UTILITY_FFT,
    ID_UTILITY_RECORD,
    ID_UTILITY_PASSFAIL,
    0,
    ID_ZOOM_IN,
    ID_ZOOM_OUT,
    0,
    ID_ACQUIRE_START,
    ID_ACQUIRE_STOP,
    ID_AUTO_SETUP,
    0,
    ID_VIEW_FULL_SCREEN,
    ID_VIEW_SIDEBAR,
    0,
    ID_HELP_CONTENTS,
};
inline constexpr int kToolbarButtonCount = static_cast<int>(sizeof(kToolbarButtons) / sizeof(unsigned));

} // namespace kv
