#include "framework/Controls.h"

#include "ControlWidgets.h"
#include "WidgetAccess.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalBlocker>
#include <QSlider>

namespace {

template <class T> T* As(const CWnd* wnd) {
    return qobject_cast<T*>(wnd->GetWidget());
}

template <class T> T* AsPlain(const CWnd* wnd) {
    return dynamic_cast<T*>(wnd->GetWidget());
}

QString Text(const char* s) {
    return QString::fromUtf8(s ? s : "");
}

} // namespace

int CButton::GetCheck() const {
    return kv::GetWidgetCheck(GetWidget());
}

void CButton::SetCheck(int nCheck) {
    kv::SetWidgetCheck(GetWidget(), nCheck);
}

UINT CButton::OnGetDlgCode() {
    return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
}

void CButton::OnKeyDown(UINT nChar, UINT, UINT nFlags) {
    if (nChar == VK_SPACE && !(nFlags & 0x4000u))
        m_bSpaceDown = true;
}

void CButton::OnKeyUp(UINT nChar, UINT, UINT nFlags) {
    // Only a Space pressed on this button clicks it, once however long it is held.
    if (nChar != VK_SPACE || !m_bSpaceDown || (nFlags & 0x4000u))
        return;
    m_bSpaceDown = false;
    SendMessage(BM_CLICK);
}

void CEdit::SetLimitText(UINT nMax) {
    if (auto* e = As<QLineEdit>(this))
        e->setMaxLength(nMax == 0 || nMax > 32767 ? 32767 : static_cast<int>(nMax));
}

UINT CEdit::GetLimitText() const {
    auto* e = As<QLineEdit>(this);
    return e ? static_cast<UINT>(e->maxLength()) : 0;
}

void CEdit::SetSel(int nStartChar, int nEndChar, BOOL) {
    auto* e = As<QLineEdit>(this);
    if (!e)
        return;
    if (nStartChar == -1) {
        e->deselect();
        return;
    }
    const int len = static_cast<int>(e->text().size());
    const int end = (nEndChar < 0 || nEndChar > len) ? len : nEndChar;
    const int start = std::min(std::max(nStartChar, 0), end);
    e->setSelection(start, end - start);
}

int CComboBox::AddString(const char* lpszString) {
    auto* c = As<QComboBox>(this);
    if (!c)
        return CB_ERR;
    const QSignalBlocker block(c);
    c->addItem(Text(lpszString));
    if (c->count() == 1)
        c->setCurrentIndex(-1);
    return c->count() - 1;
}

int CComboBox::InsertString(int nIndex, const char* lpszString) {
    auto* c = As<QComboBox>(this);
    if (!c || nIndex > c->count())
        return CB_ERR;
    const QSignalBlocker block(c);
    const int at = nIndex < 0 ? c->count() : nIndex;
    const int selected = c->currentIndex();
    c->insertItem(at, Text(lpszString));
    c->setCurrentIndex(selected >= at ? selected + 1 : selected);
    return at;
}

int CComboBox::DeleteString(UINT nIndex) {
    auto* c = As<QComboBox>(this);
    if (!c || nIndex >= static_cast<UINT>(c->count()))
        return CB_ERR;
    const QSignalBlocker block(c);
    c->removeItem(static_cast<int>(nIndex));
    return c->count();
}

void CComboBox::ResetContent() {
    if (auto* c = As<QComboBox>(this)) {
        const QSignalBlocker block(c);
        c->clear();
    }
}

int CComboBox::GetCount() const {
    auto* c = As<QComboBox>(this);
    return c ? c->count() : CB_ERR;
}

int CComboBox::GetCurSel() const {
    auto* c = As<QComboBox>(this);
    return c ? c->currentIndex() : CB_ERR;
}

int CComboBox::SetCurSel(int nSelect) {
    auto* c = As<QComboBox>(this);
    if (!c)
        return CB_ERR;
    const QSignalBlocker block(c);
    if (nSelect < 0 || nSelect >= c->count()) {
        c->setCurrentIndex(-1);
        return CB_ERR;
    }
    c->setCurrentIndex(nSelect);
    return nSelect;
}

int CComboBox::GetLBText(int nIndex, CString& rString) const {
    auto* c = As<QComboBox>(this);
    if (!c || nIndex < 0 || nIndex >= c->count()) {
        rString.Empty();
        return CB_ERR;
    }
    rString = c->itemText(nIndex).toUtf8().toStdString();
    return rString.GetLength();
}

int CComboBox::GetLBTextLen(int nIndex) const {
    CString s;
    return GetLBText(nIndex, s);
}

int CComboBox::FindString(int nStartAfter, const char* lpszString) const {
    auto* c = As<QComboBox>(this);
    if (!c || c->count() == 0)
        return CB_ERR;
    const QString prefix = Text(lpszString);
    const int n = c->count();
    const int start = (nStartAfter < -1 || nStartAfter >= n) ? -1 : nStartAfter;
    for (int k = 1; k <= n; ++k) {
        const int i = (start + k) % n;
        if (c->itemText(i).startsWith(prefix, Qt::CaseInsensitive))
            return i;
    }
    return CB_ERR;
}

int CComboBox::FindStringExact(int nIndexStart, const char* lpszFind) const {
    auto* c = As<QComboBox>(this);
    if (!c || c->count() == 0)
        return CB_ERR;
    const QString text = Text(lpszFind);
    const int n = c->count();
    const int start = (nIndexStart < -1 || nIndexStart >= n) ? -1 : nIndexStart;
    for (int k = 1; k <= n; ++k) {
        const int i = (start + k) % n;
        if (c->itemText(i).compare(text, Qt::CaseInsensitive) == 0)
            return i;
    }
    return CB_ERR;
}

int CComboBox::SelectString(int nStartAfter, const char* lpszString) {
    const int i = FindString(nStartAfter, lpszString);
    return i == CB_ERR ? CB_ERR : SetCurSel(i);
}

int CListBox::AddString(const char* lpszItem) {
    auto* l = As<QListWidget>(this);
    if (!l)
        return LB_ERR;
    l->addItem(Text(lpszItem));
    return l->count() - 1;
}

int CListBox::InsertString(int nIndex, const char* lpszItem) {
    auto* l = As<QListWidget>(this);
    if (!l || nIndex > l->count())
        return LB_ERR;
    const int at = nIndex < 0 ? l->count() : nIndex;
    l->insertItem(at, Text(lpszItem));
    return at;
}

int CListBox::DeleteString(UINT nIndex) {
    auto* l = As<QListWidget>(this);
    if (!l || nIndex >= static_cast<UINT>(l->count()))
        return LB_ERR;
    delete l->takeItem(static_cast<int>(nIndex));
    return l->count();
}

void CListBox::ResetContent() {
    if (auto* l = As<QListWidget>(this))
        l->clear();
}

int CListBox::GetCount() const {
    auto* l = As<QListWidget>(this);
    return l ? l->count() : LB_ERR;
}

int CListBox::GetCurSel() const {
    auto* l = As<QListWidget>(this);
    return l && l->currentRow() >= 0 ? l->currentRow() : LB_ERR;
}

int CListBox::SetCurSel(int nSelect) {
    auto* l = As<QListWidget>(this);
    if (!l)
        return LB_ERR;
    const QSignalBlocker block(l);
    if (nSelect < 0 || nSelect >= l->count()) {
        l->setCurrentRow(-1);
        return nSelect == -1 ? 0 : LB_ERR;
    }
    l->setCurrentRow(nSelect);
    return nSelect;
}

int CListBox::GetText(int nIndex, CString& rString) const {
    auto* l = As<QListWidget>(this);
    if (!l || nIndex < 0 || nIndex >= l->count()) {
        rString.Empty();
        return LB_ERR;
    }
    rString = l->item(nIndex)->text().toUtf8().toStdString();
    return rString.GetLength();
}

void CSliderCtrl::SetRange(int nMin, int nMax, BOOL) {
    if (auto* s = As<QSlider>(this)) {
        const QSignalBlocker block(s);
        s->setRange(nMin, nMax);
    }
}

void CSliderCtrl::SetRangeMin(int nMin, BOOL b) {
    SetRange(nMin, std::max(nMin, GetRangeMax()), b);
}

void CSliderCtrl::SetRangeMax(int nMax, BOOL b) {
    SetRange(std::min(nMax, GetRangeMin()), nMax, b);
}

int CSliderCtrl::GetRangeMin() const {
    auto* s = As<QSlider>(this);
    return s ? s->minimum() : 0;
}

int CSliderCtrl::GetRangeMax() const {
    auto* s = As<QSlider>(this);
    return s ? s->maximum() : 0;
}

void CSliderCtrl::SetPos(int nPos) {
    if (auto* s = As<QSlider>(this)) {
        const QSignalBlocker block(s);
        s->setValue(nPos);
    }
}

int CSliderCtrl::GetPos() const {
    auto* s = As<QSlider>(this);
    return s ? s->value() : 0;
}

void CSliderCtrl::SetTicFreq(int nFreq) {
    if (auto* s = As<QSlider>(this)) {
        s->setTickInterval(nFreq);
        s->setTickPosition(QSlider::TicksBelow);
    }
}

int CSliderCtrl::SetPageSize(int nSize) {
    auto* s = As<QSlider>(this);
    if (!s)
        return 0;
    const int previous = s->pageStep();
    s->setPageStep(nSize);
    return previous;
}

void CSpinButtonCtrl::SetRange32(int nLower, int nUpper) {
    if (auto* s = AsPlain<kv::SpinButton>(this)) {
        s->lower = nLower;
        s->upper = nUpper;
        const int lo = std::min(nLower, nUpper);
        const int hi = std::max(nLower, nUpper);
        s->pos = std::min(std::max(s->pos, lo), hi);
    }
}

void CSpinButtonCtrl::GetRange32(int& nLower, int& nUpper) const {
    auto* s = AsPlain<kv::SpinButton>(this);
    nLower = s ? s->lower : 0;
    nUpper = s ? s->upper : 0;
}

int CSpinButtonCtrl::SetPos(int nPos) {
    auto* s = AsPlain<kv::SpinButton>(this);
    if (!s)
        return 0;
    const int previous = s->pos;
    s->SetPos(nPos);
    return previous;
}

int CSpinButtonCtrl::GetPos() const {
    auto* s = AsPlain<kv::SpinButton>(this);
    return s ? s->pos : 0;
}

CWnd* CSpinButtonCtrl::SetBuddy(CWnd* pWndBuddy) {
    auto* s = AsPlain<kv::SpinButton>(this);
    if (!s)
        return nullptr;
    CWnd* previous = CWnd::FromWidget(s->buddy.data());
    s->buddy = pWndBuddy ? pWndBuddy->GetWidget() : nullptr;
    return previous;
}

int CTabCtrl::InsertItem(int nItem, const char* lpszItem) {
    auto* t = AsPlain<kv::TabControlWidget>(this);
    if (!t || nItem < 0)
        return -1;
    const QSignalBlocker block(t->tabs);
    const int at = t->tabs->insertTab(std::min(nItem, t->tabs->count()), Text(lpszItem));
    t->tabs->setVisible(true);
    return at;
}

BOOL CTabCtrl::DeleteAllItems() {
    auto* t = AsPlain<kv::TabControlWidget>(this);
    if (!t)
        return FALSE;
    const QSignalBlocker block(t->tabs);
    while (t->tabs->count() > 0)
        t->tabs->removeTab(0);
    t->tabs->setVisible(false);
    return TRUE;
}

int CTabCtrl::GetItemCount() const {
    auto* t = AsPlain<kv::TabControlWidget>(this);
    return t ? t->tabs->count() : 0;
}

int CTabCtrl::GetCurSel() const {
    auto* t = AsPlain<kv::TabControlWidget>(this);
    return t ? t->tabs->currentIndex() : -1;
}

int CTabCtrl::SetCurSel(int nItem) {
    auto* t = AsPlain<kv::TabControlWidget>(this);
    if (!t || nItem < 0 || nItem >= t->tabs->count())
        return -1;
    const int previous = t->tabs->currentIndex();
    const QSignalBlocker block(t->tabs);
    t->tabs->setCurrentIndex(nItem);
    return previous;
}
