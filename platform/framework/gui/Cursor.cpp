#include "framework/Cursor.h"

#include <QCursor>
#include <QVariant>
#include <QWidget>

struct HCURSOR__ {
    UINT id;
    Qt::CursorShape shape;
};

namespace {

const char* const kCursorProperty = "kv_cursor";

HCURSOR__ g_standard[] = {
    {IDC_ARROW, Qt::ArrowCursor},        {IDC_IBEAM, Qt::IBeamCursor},
    {IDC_WAIT, Qt::WaitCursor},          {IDC_CROSS, Qt::CrossCursor},
    {IDC_UPARROW, Qt::UpArrowCursor},    {IDC_SIZENWSE, Qt::SizeFDiagCursor},
    {IDC_SIZENESW, Qt::SizeBDiagCursor}, {IDC_SIZEWE, Qt::SizeHorCursor},
    {IDC_SIZENS, Qt::SizeVerCursor},     {IDC_SIZEALL, Qt::SizeAllCursor},
    {IDC_NO, Qt::ForbiddenCursor},       {IDC_HAND, Qt::PointingHandCursor},
};

} // namespace

HCURSOR LoadStandardCursor(UINT nIDCursor) {
    for (HCURSOR__& cursor : g_standard)
        if (cursor.id == nIDCursor)
            return &cursor;
    return nullptr;
}

UINT GetStandardCursorId(HCURSOR hCursor) {
    return hCursor ? hCursor->id : 0;
}

HCURSOR SetWindowCursor(CWnd* pWnd, HCURSOR hCursor) {
    QWidget* widget = pWnd ? pWnd->GetWidget() : nullptr;
    if (!widget)
        return nullptr;
    HCURSOR previous = GetWindowCursor(pWnd);
    if (hCursor)
        widget->setCursor(QCursor(hCursor->shape));
    else
        widget->unsetCursor();
    widget->setProperty(kCursorProperty, QVariant::fromValue(reinterpret_cast<quintptr>(hCursor)));
    return previous;
}

HCURSOR GetWindowCursor(const CWnd* pWnd) {
    const QWidget* widget = pWnd ? pWnd->GetWidget() : nullptr;
    if (!widget)
        return nullptr;
    const QVariant v = widget->property(kCursorProperty);
    return v.isValid() ? reinterpret_cast<HCURSOR>(v.value<quintptr>()) : nullptr;
}
