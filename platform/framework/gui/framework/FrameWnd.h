#pragma once
#include "framework/Wnd.h"
class CFrameWnd : public CWnd {};
