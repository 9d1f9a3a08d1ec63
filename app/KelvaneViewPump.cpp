// The view's timers: the 32 ms acquisition pump with the first tick's menu set-up, and the
// one-shot Save Image capture.
#include "app/KelvaneView.h"

#include "app/MainFrame.h"
#include "app/MenuEx.h"
#include "engine/BitmapWriter.h"
#include "engine/KelvaneDoc.h"
#include "engine/ModelCapabilities.h"
#include "framework/Menu.h"
#include "framework/WinApp.h"
#include "resources/Resource.h"

#include <QImage>
#include <QPixmap>
#include <QWidget>

namespace {

constexpr int kTextSearchDevice = 4009; // "Search Device......"
constexpr int kTextRunInDemo = 4010;    // "Run in demo"
constexpr int kTextConnected = 4011;    // "Connected"

} // namespace

void CKelvaneView::OnTimer(UINT_PTR nIDEvent) {
    if (nIDEvent == m_nPumpTimer && m_nPumpTimer != 0) {
        PumpTick();
    } else if (nIDEvent == m_nImageTimer && m_nImageTimer != 0) {
        KillTimer(m_nImageTimer);
        m_nImageTimer = 0;
        CaptureMainWindow();
        if (m_pDoc)
            m_pDoc->SaveImageFile(m_strImagePath.GetString(), m_pCapturedImage.get());
    }
    CFormView::OnTimer(nIDEvent);
}

void CKelvaneView::CaptureMainWindow() {
    CWnd* mainWnd = AfxGetMainWnd() ? AfxGetMainWnd() : GetParentFrame();
    QWidget* widget = mainWnd ? mainWnd->GetWidget() : nullptr;
    // The previous capture is released whether or not this one succeeds.
    m_pCapturedImage.reset();
    if (!widget)
        return;
    const QImage image = widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
    auto capture = std::make_unique<CScreenImage>(image.width(), image.height(), 24);
    if (capture->IsEmpty())
        return;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            capture->SetPixel(x, y, RGB(qRed(line[x]), qGreen(line[x]), qBlue(line[x])));
    }
    m_pCapturedImage = std::move(capture);
}

void CKelvaneView::PumpTick() {
    if (!m_pDoc)
        return;
    CKelvaneDoc& doc = *m_pDoc;

    // 1. The first tick finishes the menus and shows the main window.
    if (m_bFirstTick) {
        m_bFirstTick = 0;
        SetupMenusForModel();
    }

    // 2. An instrument that stopped answering: say so and do nothing else.
    const bool demo = doc.IsDemoMode() != 0;
    if (!demo && !doc.m_usb.IsDevicePresent()) {
        doc.m_usb.SetSettingsSent(0);
        StatusText(kTextSearchDevice);
        return;
    }

    // 3. First tick with the instrument back: it gets every setting again.
    if (!doc.m_usb.IsSettingsSent()) {
        doc.ApplySettingsToDevice();
        doc.m_usb.SetSettingsSent(1);
    }

    // 4. One step of work. Calibration and auto-setup run their own steps; their progress
    //    windows, not the pump, repaint while they run.
    const std::int32_t autoState = doc.m_nAutoSetupState;
    const bool calibrating = doc.IsCalibrating() && !demo;
    if (calibrating)
        doc.CalibrationStep();
    else if (autoState == CKelvaneDoc::kIdle)
        doc.AcquireTick();
    else if (autoState == 4)
        doc.FinishAutoSetup();
    else
        doc.AutoSetupStep();

    // 5, 6. Pass/fail count and the FFT panel's read-outs.
    PumpPassFail();
    PumpFft();

    // 7. The status strip's blink counter.
    doc.AdvanceStatusTick();

    // 8. Repaint after a normal acquisition tick. The bars are repainted only when what they
    //    show changed; an unchanged bar keeps its picture on the screen.
    if (!calibrating && autoState == CKelvaneDoc::kIdle) {
        m_screenPanel.Invalidate(TRUE);
        m_channelInfo.RepaintIfChanged();
        m_statusStrip.RepaintIfChanged();
    }

    // 9. Status text, cursor readouts and clock.
    if (demo)
        StatusText(kTextRunInDemo);
    else if (doc.m_usb.GetDeviceCount() != 0)
        StatusText(kTextConnected);
}

void CKelvaneView::StatusText(int textId) {
    if (CMainFrame* frame = GetMainFrame())
        frame->UpdateStatusBar(m_pDoc ? m_pDoc->GetText(textId).GetString() : "");
}

// ---------------------------------------------------------------------------------------------
// First-tick menu set-up

int CKelvaneView::BuildLanguageMenu() {
    if (!m_pDoc)
        return 0;
    m_pDoc->m_language.ScanLanguageFiles();
    const int count = m_pDoc->m_language.GetLanguageCount();
    CMainFrame* frame = GetMainFrame();
    // Utility > Language, the submenu that holds "Default".
    CMenuEx* language = frame ? frame->m_menu.FindMenuHolding(ID_LANGUAGE_DEFAULT) : nullptr;
    if (!language)
        return count;
    for (int i = 0; i < count; ++i)
        language->AppendItem(0, ID_LANGUAGE_FIRST + static_cast<UINT>(i),
                             m_pDoc->m_language.GetLanguageName(i).GetString());
    return count;
}

void CKelvaneView::PruneMenusForModel(CMenuEx* bar) {
    if (!bar || !m_pDoc)
        return;
    for (unsigned id : MenuCommandsNotOffered(m_pDoc->m_nModel))
        bar->DeleteCommand(id);
    if (!m_pDoc->IsDemoMode())
        bar->DeleteCommand(ID_DEMO_SETTING);
}

void CKelvaneView::SetupMenusForModel() {
    if (!m_pDoc)
        return;
    BuildLanguageMenu();
    CMainFrame* frame = GetMainFrame();
    PruneMenusForModel(frame ? &frame->m_menu : nullptr);
    m_pDoc->SelectLanguage(m_pDoc->GetLanguageIndex());
    if (frame) {
        frame->ShowWindow(SW_SHOW);
        frame->DrawMenuBar();
    }
    // In demo mode the demo source's panel opens by itself over the screen panel; the person did
    // not ask for it, so the main window keeps the keyboard.
    if (m_pDoc->IsDemoMode())
        ShowPanel(Panel::DemoSetting, SW_SHOWNOACTIVATE);
}
