// The view's timers: the 32 ms acquisition pump with the first tick's menu set-up, and the
// one-shot Save Image capture.
#include "app/KelvaneView.h"

#include "app/MainFrame.h"
#include "app/MenuEx.h"
#include "engine/BitmapWriter.h"
#include "engine/KelvaneDoc.h"
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

// Top-level positions of the main menu.
constexpr UINT kMenuChannel = 2;
constexpr UINT kMenuTrigger = 3;
constexpr UINT kMenuHorizontal = 4;
constexpr UINT kMenuAcquire = 8;
constexpr UINT kMenuUtility = 9;

CMenuEx* Sub(CMenuEx* menu, int position) {
    return menu ? menu->GetSubMenuEx(position) : nullptr;
}

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
    CMenuEx* language = Sub(Sub(frame ? &frame->m_menu : nullptr, kMenuUtility), 8);
    if (!language)
        return count;
    for (int i = 0; i < count; ++i)
        language->AppendItem(0, ID_LANGUAGE_FIRST + static_cast<UINT>(i),
                             m_pDoc->m_language.GetLanguageName(i).GetString());
    return count;
}

void CKelvaneView::DeleteByPosition(CMenuEx* menu, UINT position) {
    if (menu)
        menu->DeleteItem(position);
}

void CKelvaneView::PruneMenusForModel(CMenuEx* bar) {
    if (!bar || !m_pDoc)
        return;
    const int model = m_pDoc->m_nModel;
    CMenuEx* channel = Sub(bar, kMenuChannel);
    CMenuEx* trigger = Sub(bar, kMenuTrigger);
    CMenuEx* acquire = Sub(bar, kMenuAcquire);

    if (model != 4 && model != 5) {
        DeleteByPosition(Sub(Sub(channel, 0), 1), 9);                   // CH1 > Volt/DIV "10.0V"
        DeleteByPosition(Sub(Sub(channel, 1), 1), 9);                   // CH2 > Volt/DIV
        DeleteByPosition(Sub(Sub(channel, 2), 5), 9);                   // MATH > Volt/DIV
        DeleteByPosition(Sub(Sub(channel, 3), 1), 9);                   // Reference > Volt/DIV
        DeleteByPosition(Sub(trigger, 0), 1);                           // Trigger > Mode "Pulse"
        DeleteByPosition(Sub(Sub(Sub(bar, kMenuHorizontal), 0), 0), 0); // nS "2.00nS"
        DeleteByPosition(Sub(acquire, 7), 1);                           // Sampling "ETS"
    }
    if (model == 0 || model == 4)
        DeleteByPosition(Sub(trigger, 2), 4); // Source "EXT/10"

    CMenuEx* bufferSize = Sub(acquire, 9);
    switch (model) {
    case 0:
    case 1:
        for (UINT position : {1u, 1u, 3u, 3u})
            DeleteByPosition(bufferSize, position);
        break;
    case 2:
    case 5:
        for (int i = 0; i < 4; ++i)
            DeleteByPosition(bufferSize, 1);
        break;
    case 4:
        for (int i = 0; i < 4; ++i)
            DeleteByPosition(bufferSize, 3);
        break;
    default:
        break;
    }

    DeleteByPosition(Sub(acquire, 8), 2); // Acquisition "Peak Detect"
    if (!m_pDoc->IsDemoMode())
        DeleteByPosition(acquire, 13); // "Demo Setting"
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
