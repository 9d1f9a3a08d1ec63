#pragma once
// The Qt side of a CWnd: its widget, timers, notification maps and menu presentation.
#include "framework/Wnd.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <map>
#include <memory>
#include <utility>
#include <vector>

class CDC;

namespace kv {
class MenuPresenter;
class PaintSurface;
} // namespace kv

struct CWnd::Impl {
    QPointer<QWidget> widget;
    bool ownsWidget = false;
    std::map<UINT_PTR, std::unique_ptr<QTimer>> timers;
    std::map<std::pair<UINT, UINT>, std::function<void()>> controlHandlers;
    std::map<std::pair<UINT, UINT>, std::function<void(NMHDR*, LRESULT*)>> notifyHandlers;
    std::map<int, std::unique_ptr<CWnd>> wrappers;
    HMENU menu = nullptr;
    std::unique_ptr<kv::MenuPresenter> presenter;
    // Shows the window's painted surface in one copy; set while a paint context is in use.
    std::function<bool(QWidget*)> present;
    std::unique_ptr<kv::PaintSurface> surface;
    std::vector<std::unique_ptr<CDC>> clientDCs;
    int presentCount = 0;
    // A caption removed from a shown top-level window takes effect once the caller has said
    // whether the window is maximised next (full screen needs no frame change at all).
    bool captionPending = false;
    ~Impl();
};
