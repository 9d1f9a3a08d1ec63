#pragma once
// Driving a dialog's controls from a test the way the user would: reading and typing texts,
// clicking buttons, choosing list items and sending control notifications.
#include "framework/Controls.h"
#include "framework/Dialog.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QWidget>

#include <map>

namespace apptest {

// The text of control `id`.
inline CString Text(CWnd& dlg, int id) {
    CString s;
    dlg.GetDlgItemText(id, s);
    return s;
}

// Sets the text of control `id` in place of what the user would type.
inline void Type(CWnd& dlg, int id, const char* text) {
    dlg.SetDlgItemText(id, text);
}

// Clicks control `id` of a dialog.
inline void Click(CDialog& dlg, int id) {
    dlg.OnCommand(MAKEWPARAM(id, BN_CLICKED), 0);
}

// Selects `item` of the list with id `id` and tells the dialog its selection changed.
inline void Choose(CDialog& dlg, CComboBox& list, int id, int item) {
    list.SetCurSel(item);
    dlg.OnCommand(MAKEWPARAM(id, CBN_SELCHANGE), 0);
}

// Sends notification `code` from control `id`.
inline void Notify(CDialog& dlg, int id, UINT code) {
    NMHDR hdr;
    hdr.idFrom = static_cast<UINT_PTR>(id);
    hdr.code = code;
    LRESULT result = 0;
    dlg.OnNotify(static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(&hdr), &result);
}

// The window's picture shows the caption of every visible captioned control where the window
// places the control: its area holds pixels that stand out from the area's own background (the
// most frequent colour there), clearly for an enabled control. Returns the number of controls
// checked.
inline int ExpectCaptionsShown(CWnd& wnd) {
    QWidget* w = wnd.GetWidget();
    if (!w)
        return 0;
    const QImage image = w->grab().toImage().convertToFormat(QImage::Format_RGB32);
    int checked = 0;
    for (QWidget* child : w->findChildren<QWidget*>()) {
        if (!child->isVisibleTo(w))
            continue;
        QString text;
        if (auto* b = qobject_cast<QAbstractButton*>(child))
            text = b->text();
        else if (auto* l = qobject_cast<QLabel*>(child))
            text = l->text();
        else if (auto* g = qobject_cast<QGroupBox*>(child))
            text = g->title();
        if (text.trimmed().isEmpty())
            continue;
        const QRect r(child->mapTo(w, QPoint(0, 0)), child->size());
        std::map<QRgb, int> histogram;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                if (image.rect().contains(x, y))
                    ++histogram[image.pixel(x, y)];
        if (histogram.empty())
            continue;
        QRgb background = histogram.begin()->first;
        for (const auto& [colour, n] : histogram)
            if (n > histogram[background])
                background = colour;
        // A disabled control draws its caption faintly: any difference counts there.
        const int contrast = child->isEnabled() ? 60 : 0;
        int standOut = 0;
        for (const auto& [colour, n] : histogram)
            if (colour != background && std::abs(qGray(colour) - qGray(background)) >= contrast)
                standOut += n;
        EXPECT_GE(standOut, 4) << text.toStdString();
        ++checked;
    }
    return checked;
}

} // namespace apptest
