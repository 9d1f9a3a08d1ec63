#include "framework/ToolBar.h"

#include "framework/FrameWnd.h"

#include <QAction>
#include <QHelpEvent>
#include <QIcon>
#include <QMainWindow>
#include <QPixmap>
#include <QPointer>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>

#include <cstring>
#include <map>

namespace {

std::map<UINT, std::vector<UINT>>& ToolBarResources() {
    static std::map<UINT, std::vector<UINT>> resources;
    return resources;
}

// Shows the frame's tooltip text when the pointer rests on a button.
class ToolTipFilter : public QObject {
public:
    ToolTipFilter(CToolBar* bar, int index, QObject* parent) : QObject(parent), m_bar(bar), m_index(index) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::ToolTip)
            return false;
        const CString text = m_bar->GetToolTipText(m_index);
        auto* help = static_cast<QHelpEvent*>(event);
        if (text.IsEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), QString::fromUtf8(text.GetString()));
        return true;
    }

private:
    CToolBar* m_bar;
    int m_index;
};

class ButtonCmdUI : public CCmdUI {
public:
    explicit ButtonCmdUI(QAction* action) : m_action(action) {}
    void Enable(BOOL on) override {
        CCmdUI::Enable(on);
        m_action->setEnabled(on != FALSE);
    }
    void SetCheck(int check) override {
        CCmdUI::SetCheck(check);
        m_action->setCheckable(true);
        m_action->setChecked(check != 0);
    }

private:
    QAction* m_action;
};

} // namespace

void RegisterToolBarResource(UINT resourceId, std::vector<UINT> buttons) {
    ToolBarResources()[resourceId] = std::move(buttons);
}

CImageList* CToolBarCtrl::SetImageList(CImageList* pImageList) {
    CImageList* previous = m_pBar->m_pImages[0];
    m_pBar->m_pImages[0] = pImageList;
    m_pBar->ApplyImages();
    return previous;
}

CImageList* CToolBarCtrl::SetDisabledImageList(CImageList* pImageList) {
    CImageList* previous = m_pBar->m_pImages[1];
    m_pBar->m_pImages[1] = pImageList;
    m_pBar->ApplyImages();
    return previous;
}

CImageList* CToolBarCtrl::SetHotImageList(CImageList* pImageList) {
    CImageList* previous = m_pBar->m_pImages[2];
    m_pBar->m_pImages[2] = pImageList;
    m_pBar->ApplyImages();
    return previous;
}

int CToolBarCtrl::GetButtonCount() const {
    int n = 0;
    for (int i = 0;; ++i) {
        const UINT id = m_pBar->GetItemID(i);
        if (id == static_cast<UINT>(-1))
            return n;
        ++n;
    }
}

CToolBar::CToolBar() : m_ctrl(this) {}

CToolBar::~CToolBar() = default;

QToolBar* CToolBar::Bar() const {
    return qobject_cast<QToolBar*>(GetWidget());
}

BOOL CToolBar::CreateEx(CWnd* pParentWnd, DWORD, DWORD dwStyle, CRect, UINT nID) {
    auto* win = pParentWnd ? qobject_cast<QMainWindow*>(pParentWnd->GetWidget()) : nullptr;
    if (!win || GetWidget())
        return FALSE;
    auto* bar = new QToolBar(win);
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setIconSize(QSize(20, 20));
    win->addToolBar((dwStyle & CBRS_ALIGN_BOTTOM) ? Qt::BottomToolBarArea : Qt::TopToolBarArea, bar);
    m_nID = nID;
    m_dwStyle = dwStyle;
    AttachWidget(bar, false);
    bar->setVisible((dwStyle & WS_VISIBLE) != 0);
    auto* timer = new QTimer(bar);
    // The bar outlives this object until its frame's deferred deletion; a tick in between
    // would otherwise run on a destroyed toolbar.
    QObject::connect(timer, &QTimer::timeout, bar, [this, bar] {
        if (CWnd::FromWidget(bar) == this)
            UpdateButtons();
    });
    timer->start(250);
    return TRUE;
}

BOOL CToolBar::LoadToolBar(UINT nIDResource) {
    auto it = ToolBarResources().find(nIDResource);
    if (it == ToolBarResources().end())
        return FALSE;
    return SetButtons(it->second.data(), static_cast<int>(it->second.size()));
}

BOOL CToolBar::SetButtons(const UINT* lpIDArray, int nIDCount) {
    QToolBar* bar = Bar();
    if (!bar || (!lpIDArray && nIDCount > 0) || nIDCount < 0)
        return FALSE;
    bar->clear();
    m_ids.assign(lpIDArray, lpIDArray + nIDCount);
    m_actions.assign(m_ids.size(), nullptr);
    QPointer<QWidget> frameWidget = GetParent() ? GetParent()->GetWidget() : nullptr;
    for (size_t i = 0; i < m_ids.size(); ++i) {
        if (m_ids[i] == 0) {
            bar->addSeparator();
            continue;
        }
        QAction* action = bar->addAction(QString());
        const UINT id = m_ids[i];
        QObject::connect(action, &QAction::triggered, bar, [frameWidget, id] {
            if (CWnd* frame = CWnd::FromWidget(frameWidget.data()))
                frame->ExecuteCommand(id);
        });
        m_actions[i] = action;
        if (QWidget* button = bar->widgetForAction(action))
            button->installEventFilter(new ToolTipFilter(this, static_cast<int>(i), button));
    }
    ApplyImages();
    return TRUE;
}

void CToolBar::ApplyImages() {
    int image = 0; // buttons take the images in order; separators take none
    for (size_t i = 0; i < m_actions.size(); ++i) {
        if (!m_actions[i])
            continue;
        QIcon icon;
        const QIcon::Mode modes[3] = {QIcon::Normal, QIcon::Disabled, QIcon::Active};
        for (int k = 0; k < 3; ++k)
            if (m_pImages[k] && image < m_pImages[k]->GetImageCount())
                icon.addPixmap(QPixmap::fromImage(m_pImages[k]->GetImage(image)), modes[k]);
        m_actions[i]->setIcon(icon);
        ++image;
    }
}

int CToolBar::CommandToIndex(UINT nIDFind) const {
    for (size_t i = 0; i < m_ids.size(); ++i)
        if (m_ids[i] == nIDFind)
            return static_cast<int>(i);
    return -1;
}

UINT CToolBar::GetItemID(int nIndex) const {
    if (nIndex < 0 || static_cast<size_t>(nIndex) >= m_ids.size())
        return static_cast<UINT>(-1);
    return m_ids[static_cast<size_t>(nIndex)];
}

CString CToolBar::GetToolTipText(int nIndex) {
    const UINT id = GetItemID(nIndex);
    auto* frame = dynamic_cast<CFrameWnd*>(GetParent());
    if (!frame || id == 0 || id == static_cast<UINT>(-1))
        return CString();
    TOOLTIPTEXT ttt;
    ttt.hdr.hwndFrom = this;
    ttt.hdr.idFrom = id;
    ttt.hdr.code = TTN_NEEDTEXT;
    LRESULT result = 0;
    frame->OnToolTipText(id, &ttt.hdr, &result);
    // A handler that filled all 80 bytes must not make us read past the buffer.
    ttt.szText[sizeof ttt.szText - 1] = '\0';
    return CString(ttt.szText);
}

void CToolBar::UpdateButtons() {
    CWnd* frame = GetParent();
    if (!frame)
        return;
    for (size_t i = 0; i < m_actions.size(); ++i) {
        if (!m_actions[i])
            continue;
        ButtonCmdUI ui(m_actions[i]);
        ui.m_nID = m_ids[i];
        ui.m_nIndex = static_cast<UINT>(i);
        if (!frame->OnCmdMsg(ui.m_nID, &ui))
            ui.Enable(frame->IsCommandHandled(ui.m_nID));
    }
}
