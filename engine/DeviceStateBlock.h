#pragma once
// The six-word device state block that the instrument access keeps and hands to the
// instrument by pointer; trace processing and the sample-rate texts read it. Its word layout
// (kv::kStateActiveSource .. kv::kStateAltFlag, kv::kStateBlockWords) is the instrument
// library's, declared with its interface.
#include "zendral/Zendral.h"
