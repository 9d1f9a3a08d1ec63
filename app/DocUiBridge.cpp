#include "app/DocUiBridge.h"

#include "app/AutoSetupProgress.h"
#include "app/KelvaneView.h"
#include "app/MainFrame.h"
#include "app/MenuEx.h"
#include "engine/BitmapWriter.h"
#include "engine/KelvaneDoc.h"
#include "framework/WinApp.h"
#include "resources/Resource.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>

#include <string>

// The view's run/stop command: stops a running acquisition, starts a stopped one.
void CDocUiBridge::RunStopCommand() {
    CKelvaneDoc* doc = m_view.GetDocument();
    if (!doc)
        return;
    if (doc->m_bRunning)
        m_view.RunStop();
    else
        m_view.RunStart();
}

void CDocUiBridge::FactorySetup() {
    m_view.FactorySetup();
}

void CDocUiBridge::SetTimeBaseIndex(std::int16_t index) {
    m_view.SetTimeBaseIndex(index);
}

void CDocUiBridge::SetChannelVoltsPerDiv(int channel, std::int16_t index) {
    m_view.SetChannelVoltsPerDiv(index, static_cast<std::int16_t>(channel));
}

void CDocUiBridge::SelectSidePanelCombo(SidePanelCombo combo, int entry) {
    m_view.SelectSidePanelCombo(combo, entry);
}

void CDocUiBridge::UpdateChannelControls(bool ch1On, bool ch2On) {
    m_view.UpdateSidePanelChannels(ch1On, ch2On);
}

void CDocUiBridge::RepaintTimeBaseKnob() {
    m_view.RepaintSidePanelTimeKnob();
}

void CDocUiBridge::RecomputeMarkers() {
    m_view.Screen().UpdateMarkerPositions();
    m_view.ScreenPanel().Invalidate(FALSE);
}

void CDocUiBridge::RecomputeTriggerLevelReadout() {
    m_view.Screen().UpdateTriggerLevelVolts();
    m_view.ScreenPanel().Invalidate(FALSE);
}

void CDocUiBridge::RepaintView() {
    m_view.ScreenPanel().Invalidate(TRUE);
    m_view.ChannelInfoBar().Invalidate(TRUE);
    m_view.StatusStrip().Invalidate(TRUE);
}

bool CDocUiBridge::GetScreenOptions(ScreenOptions& options) {
    const CScopeScreen& screen = m_view.Screen();
    options.cursorSource = static_cast<std::uint16_t>(screen.GetCursorSource());
    options.cursorMode = static_cast<std::uint16_t>(screen.GetCursorMode());
    options.dotMode = static_cast<std::uint16_t>(screen.GetDotMode());
    options.gridOn = screen.IsGridOn();
    options.gridIntensity = static_cast<std::uint16_t>(screen.GetGridIntensity());
    options.waveformIntensity = static_cast<std::uint16_t>(screen.GetWaveformIntensity());
    return true;
}

void CDocUiBridge::SetScreenOptions(const ScreenOptions& options) {
    CScopeScreen& screen = m_view.Screen();
    // The source first: the cursors of the new mode read from it.
    screen.SetCursorSource(static_cast<std::int16_t>(options.cursorSource));
    screen.SetCursorMode(static_cast<std::int16_t>(options.cursorMode));
    screen.SetDotMode(static_cast<std::int16_t>(options.dotMode));
    screen.SetGridOn(options.gridOn);
    screen.SetGridIntensity(options.gridIntensity);
    screen.SetWaveformIntensity(options.waveformIntensity);
    m_view.ScreenPanel().Invalidate(FALSE);
}

CDocUiBridge::CDocUiBridge(CKelvaneView& view) : m_view(view) {}

CDocUiBridge::~CDocUiBridge() {
    CloseAutoSetupProgress();
}

void CDocUiBridge::ShowAutoSetupProgress() {
    // A progress window left from an auto-setup that never finished is replaced, not leaked.
    CloseAutoSetupProgress();
    auto progress = std::make_unique<CAutosetProgressDlg>(&m_view);
    CWnd* owner = AfxGetMainWnd() ? AfxGetMainWnd() : &m_view;
    if (!progress->Create(IDD_AUTOSET_PROGRESS, owner))
        return;
    progress->SetStep(0);
    progress->ShowWindow(SW_SHOW);
    progress->CenterWindow(&m_view.ScreenPanel());
    m_pProgress = std::move(progress);
}

void CDocUiBridge::SetAutoSetupProgressStep(int step) {
    if (m_pProgress)
        m_pProgress->SetStep(step);
}

void CDocUiBridge::CloseAutoSetupProgress() {
    if (!m_pProgress)
        return;
    m_pProgress->ShowWindow(SW_HIDE);
    m_pProgress->DestroyWindow();
    m_pProgress.reset();
}

void CDocUiBridge::MaximizeMainWindow(bool maximize) {
    if (CMainFrame* frame = m_view.GetMainFrame())
        frame->ShowWindow(maximize ? SW_MAXIMIZE : SW_RESTORE);
}

void CDocUiBridge::TranslateMenu(const CLanguageTable& language) {
    CMainFrame* frame = m_view.GetMainFrame();
    if (!frame)
        return;
    CMenuExLanguageMenu bar(&frame->m_menu);
    language.TranslateMenu(bar);
}

void CDocUiBridge::ApplyTexts() {
    m_view.ApplyPanelTexts();
}

void CDocUiBridge::SetMenuImages() {
    if (CMainFrame* frame = m_view.GetMainFrame())
        frame->SetMenuImages();
}

void CDocUiBridge::RedrawFrame() {
    if (CMainFrame* frame = m_view.GetMainFrame())
        frame->DrawMenuBar();
}

bool CDocUiBridge::EncodeImage(const CScreenImage& image, const char* format,
                               std::vector<std::uint8_t>& bytes) {
    bytes.clear();
    if (image.IsEmpty() || !format)
        return false;
    QImage picture(image.GetWidth(), image.GetHeight(), QImage::Format_RGB32);
    for (int y = 0; y < image.GetHeight(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < image.GetWidth(); ++x) {
            const COLORREF c = image.GetPixel(x, y);
            line[x] = qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
        }
    }
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    // A screen of thin lines and small text: a high JPEG quality keeps them readable.
    if (std::string(format) == "jpeg")
        writer.setQuality(95);
    if (!writer.write(picture))
        return false;
    const QByteArray& data = buffer.data();
    bytes.assign(data.begin(), data.end());
    return !bytes.empty();
}

void CDocUiBridge::MessageBox(const char* text, const char* caption) {
    kv::ShowMessageBox(AfxGetMainWnd(), text, caption && *caption ? caption : nullptr, MB_OK);
}
