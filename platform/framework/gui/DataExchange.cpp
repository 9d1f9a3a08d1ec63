#include "framework/DataExchange.h"

#include "WidgetAccess.h"
#include "framework/DialogTemplate.h"
#include "framework/WinApp.h"
#include "system/NumberText.h"

#include <QComboBox>
#include <QListWidget>
#include <QSignalBlocker>
#include <QSlider>

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <string_view>

BOOL CWnd::UpdateData(BOOL bSaveAndValidate, BOOL bReportErrors) {
    if (!GetWidget())
        return FALSE;
    CDataExchange dx(this, bSaveAndValidate, bReportErrors);
    DoDataExchange(&dx);
    return dx.m_bFailed ? FALSE : TRUE;
}

void CWnd::DoDataExchange(CDataExchange*) {}

CWnd* CDataExchange::PrepareCtrl(int nIDC) {
    if (m_bFailed || !m_pDlgWnd)
        return nullptr;
    CWnd* ctrl = m_pDlgWnd->GetDlgItem(nIDC);
    if (!ctrl)
        m_bFailed = true;
    return ctrl;
}

void CDataExchange::Fail(const char* message) {
    if (m_bFailed)
        return;
    m_bFailed = true;
    if (m_bReportErrors && message)
        kv::ShowMessageBox(m_pDlgWnd, message, nullptr, MB_OK | MB_ICONWARNING);
}

namespace {

bool ReadText(CDataExchange* pDX, int nIDC, CString& text) {
    CWnd* ctrl = pDX->PrepareCtrl(nIDC);
    if (!ctrl)
        return false;
    ctrl->GetWindowText(text);
    text.Trim();
    return true;
}

void WriteText(CDataExchange* pDX, int nIDC, const char* text) {
    if (CWnd* ctrl = pDX->PrepareCtrl(nIDC))
        ctrl->SetWindowText(text);
}

// Reads a whole decimal integer within [lo, hi]; anything else fails the exchange.
bool ReadInteger(CDataExchange* pDX, int nIDC, long long lo, long long hi, long long& out) {
    CString text;
    if (!ReadText(pDX, nIDC, text))
        return false;
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(text.GetString(), &end, 10);
    if (text.IsEmpty() || !end || *end != '\0' || errno == ERANGE || v < lo || v > hi) {
        pDX->Fail("Please enter an integer.");
        return false;
    }
    out = v;
    return true;
}

bool ReadReal(CDataExchange* pDX, int nIDC, double& out) {
    CString text;
    if (!ReadText(pDX, nIDC, text))
        return false;
    // Read with "." as the decimal point whatever the user's locale, as every number is shown.
    double v = 0.0;
    std::string_view rest;
    if (!kv::ParseDouble(text.GetString(), v, &rest) || !rest.empty() || !std::isfinite(v)) {
        pDX->Fail("Please enter a number.");
        return false;
    }
    out = v;
    return true;
}

template <class T>
void ExchangeInteger(CDataExchange* pDX, int nIDC, T& value, long long lo, long long hi, const char* fmt) {
    if (pDX->m_bFailed)
        return;
    if (pDX->m_bSaveAndValidate) {
        long long v = 0;
        if (ReadInteger(pDX, nIDC, lo, hi, v))
            value = static_cast<T>(v);
    } else {
        CString s;
        s.Format(fmt, static_cast<long long>(value));
        WriteText(pDX, nIDC, s);
    }
}

} // namespace

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl) {
    if (rControl.GetWidget() || !pDX->m_pDlgWnd)
        return;
    if (!rControl.SubclassDlgItem(static_cast<UINT>(nIDC), pDX->m_pDlgWnd))
        pDX->m_bFailed = true;
}

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value) {
    if (pDX->m_bFailed)
        return;
    if (pDX->m_bSaveAndValidate) {
        if (CWnd* ctrl = pDX->PrepareCtrl(nIDC))
            ctrl->GetWindowText(value);
    } else {
        WriteText(pDX, nIDC, value);
    }
}

void DDX_Text(CDataExchange* pDX, int nIDC, int& value) {
    ExchangeInteger(pDX, nIDC, value, INT_MIN, INT_MAX, "%lld");
}

void DDX_Text(CDataExchange* pDX, int nIDC, UINT& value) {
    ExchangeInteger(pDX, nIDC, value, 0, UINT_MAX, "%lld");
}

void DDX_Text(CDataExchange* pDX, int nIDC, short& value) {
    ExchangeInteger(pDX, nIDC, value, SHRT_MIN, SHRT_MAX, "%lld");
}

void DDX_Text(CDataExchange* pDX, int nIDC, long& value) {
    ExchangeInteger(pDX, nIDC, value, LONG_MIN, LONG_MAX, "%lld");
}

void DDX_Text(CDataExchange* pDX, int nIDC, double& value) {
    if (pDX->m_bFailed)
        return;
    if (pDX->m_bSaveAndValidate) {
        double v = 0;
        if (ReadReal(pDX, nIDC, v))
            value = v;
    } else {
        CString s;
        s.Format("%.15g", value);
        WriteText(pDX, nIDC, s);
    }
}

void DDX_Text(CDataExchange* pDX, int nIDC, float& value) {
    if (pDX->m_bFailed)
        return;
    if (pDX->m_bSaveAndValidate) {
        double v = 0;
        if (ReadReal(pDX, nIDC, v)) {
            // A value beyond float's range would become infinity.
            if (std::fabs(v) > 3.4028234663852886e38) {
                pDX->Fail("Please enter a number.");
                return;
            }
            value = static_cast<float>(v);
        }
    } else {
        CString s;
        s.Format("%.6g", static_cast<double>(value));
        WriteText(pDX, nIDC, s);
    }
}

void DDX_Check(CDataExchange* pDX, int nIDC, int& value) {
    CWnd* ctrl = pDX->m_bFailed ? nullptr : pDX->PrepareCtrl(nIDC);
    if (!ctrl)
        return;
    if (pDX->m_bSaveAndValidate)
        value = kv::GetWidgetCheck(ctrl->GetWidget());
    else
        kv::SetWidgetCheck(ctrl->GetWidget(), value);
}

void DDX_Radio(CDataExchange* pDX, int nIDC, int& value) {
    if (pDX->m_bFailed)
        return;
    const DialogTemplate* tmpl = kv::TemplateOf(pDX->m_pDlgWnd);
    if (!tmpl || !pDX->PrepareCtrl(nIDC))
        return;
    size_t first = tmpl->controls.size();
    for (size_t i = 0; i < tmpl->controls.size(); ++i)
        if (tmpl->controls[i].id == static_cast<UINT>(nIDC)) {
            first = i;
            break;
        }
    if (pDX->m_bSaveAndValidate)
        value = -1;
    int index = 0;
    for (size_t i = first; i < tmpl->controls.size(); ++i, ++index) {
        const DialogControlTemplate& c = tmpl->controls[i];
        if (c.kind != ControlKind::RadioButton || (i != first && (c.style & WS_GROUP)))
            break;
        CWnd* ctrl = pDX->m_pDlgWnd->GetDlgItem(static_cast<int>(c.id));
        if (!ctrl)
            continue;
        if (pDX->m_bSaveAndValidate) {
            if (kv::GetWidgetCheck(ctrl->GetWidget()) && value == -1)
                value = index;
        } else {
            kv::SetWidgetCheck(ctrl->GetWidget(), index == value ? BST_CHECKED : BST_UNCHECKED);
        }
    }
}

namespace {

// The control nIDC as a widget of type W, or null when the exchange already failed, the control
// is missing or it is another kind of control.
template <class W> W* ExchangeWidget(CDataExchange* pDX, int nIDC) {
    CWnd* ctrl = pDX->m_bFailed ? nullptr : pDX->PrepareCtrl(nIDC);
    return ctrl ? qobject_cast<W*>(ctrl->GetWidget()) : nullptr;
}

} // namespace

void DDX_CBIndex(CDataExchange* pDX, int nIDC, int& index) {
    auto* combo = ExchangeWidget<QComboBox>(pDX, nIDC);
    if (!combo)
        return;
    const QSignalBlocker block(combo);
    if (pDX->m_bSaveAndValidate)
        index = combo->currentIndex();
    else
        combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
}

void DDX_CBString(CDataExchange* pDX, int nIDC, CString& value) {
    auto* combo = ExchangeWidget<QComboBox>(pDX, nIDC);
    if (!combo)
        return;
    const QSignalBlocker block(combo);
    if (pDX->m_bSaveAndValidate) {
        value = combo->currentIndex() >= 0 ? combo->currentText().toUtf8().toStdString() : std::string();
    } else {
        int found = -1;
        for (int i = 0; i < combo->count() && found < 0; ++i)
            if (combo->itemText(i).startsWith(QString::fromUtf8(value.GetString()), Qt::CaseInsensitive))
                found = i;
        combo->setCurrentIndex(found);
    }
}

void DDX_LBIndex(CDataExchange* pDX, int nIDC, int& index) {
    auto* list = ExchangeWidget<QListWidget>(pDX, nIDC);
    if (!list)
        return;
    const QSignalBlocker block(list);
    if (pDX->m_bSaveAndValidate)
        index = list->currentRow();
    else
        list->setCurrentRow(index >= 0 && index < list->count() ? index : -1);
}

void DDX_Slider(CDataExchange* pDX, int nIDC, int& value) {
    auto* slider = ExchangeWidget<QSlider>(pDX, nIDC);
    if (!slider)
        return;
    const QSignalBlocker block(slider);
    if (pDX->m_bSaveAndValidate)
        value = slider->value();
    else
        slider->setValue(value);
}
