// Printing of the view: one test-report page with the settings, the graticule, the traces with
// their level markers, colour keys and ruled lines for a note. Acquisition stops while the
// page is produced.
#include "app/KelvaneView.h"

#include "display/Knob.h"
#include "display/ScopeScreen.h"
#include "engine/KelvaneDoc.h"
#include "engine/ModelCapabilities.h"
#include "framework/DC.h"
#include "framework/Print.h"
#include "resources/language/TextKeys.h"
#include "system/Clock.h"

namespace {

constexpr int kTextTitle = 4019;      // "Test Report"
constexpr int kTextDate = 4020;       // "Date"
constexpr int kTextSampleRate = 4021; // "Sample Rate"
constexpr int kTextCoupling = 4022;   // "Coupling"
constexpr int kTextNote = 4023;       // "Note"
constexpr const char* kPrintFace = "Arial Bold Italic";

// Page units: u = W / 1000 and v = H / 1000, positions truncated to whole pixels.
struct PageUnits {
    double u, v;
    int X(double k) const { return static_cast<int>(k * u); }
    int Y(double k) const { return static_cast<int>(k * v); }
};

void DrawFrameRect(CDC* pDC, int L, int T, int R, int B) {
    CPen pen(PS_SOLID, 1, RGB(0, 0, 0));
    CPen* old = pDC->SelectObject(&pen);
    pDC->MoveTo(L, T);
    pDC->LineTo(R, T);
    pDC->LineTo(R, B);
    pDC->LineTo(L, B);
    pDC->LineTo(L, T);
    pDC->SelectObject(old);
}

const CTrace* TraceOf(const CKelvaneDoc& doc, int channel) {
    switch (channel) {
    case 0:
        return &doc.m_ch1;
    case 1:
        return &doc.m_ch2;
    case 2:
        return &doc.m_math;
    case 3:
        return &doc.m_ref;
    default:
        return nullptr;
    }
}

} // namespace

BOOL CKelvaneView::OnPreparePrinting(CPrintInfo* pInfo) {
    return DoPreparePrinting(pInfo);
}

void CKelvaneView::OnBeginPrinting(CDC*, CPrintInfo*) {
    CKelvaneDoc* doc = GetDocument();
    if (doc && doc->m_bRunning) {
        m_bPrintStopped = 1;
        RunStop();
    } else {
        m_bPrintStopped = 0;
    }
}

void CKelvaneView::OnEndPrinting(CDC*, CPrintInfo*) {
    if (!m_bPrintStopped)
        return;
    m_bPrintStopped = 0;
    CKelvaneDoc* doc = GetDocument();
    if (doc && !doc->m_bRunning)
        RunStart();
}

void CKelvaneView::PrintPageFrame(CDC* pDC, int W, int H) {
    CKelvaneDoc* doc = GetDocument();
    if (!pDC || !doc)
        return;
    const PageUnits p{W / 1000.0, H / 1000.0};

    pDC->Rectangle(p.X(10), p.Y(30), W - p.X(10), H - p.Y(10));
    pDC->Rectangle(p.X(15), p.Y(35), W - p.X(15), H - p.Y(15));
    pDC->Rectangle(p.X(16), p.Y(36), W - p.X(16), H - p.Y(16));
    pDC->Rectangle(p.X(17), p.Y(37), W - p.X(17), H - p.Y(17));

    {
        CFont title;
        title.CreateFont(p.Y(50), 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, PROOF_QUALITY, 0,
                         kPrintFace);
        CFont* old = pDC->SelectObject(&title);
        CRect rc(p.X(20), p.Y(40), W - p.X(20), H - p.Y(20));
        pDC->DrawText(doc->GetText(kTextTitle), &rc, DT_CENTER | DT_TOP | DT_SINGLELINE);
        pDC->SelectObject(old);
    }
    {
        CFont label;
        label.CreateFont(p.Y(25), 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, PROOF_QUALITY, 0,
                         kPrintFace);
        CFont* old = pDC->SelectObject(&label);
        pDC->TextOut(p.X(700), p.Y(100), doc->GetModelName());
        const int y = p.Y(710);
        if (doc->m_ch1.IsOn())
            pDC->TextOut(p.X(50), y, CString("CH1 :"));
        if (doc->m_ch2.IsOn())
            pDC->TextOut(p.X(250), y, CString("CH2 :"));
        if (doc->m_math.IsOn())
            pDC->TextOut(p.X(500), y, CString("MATH :"));
        if (doc->m_ref.IsOn())
            pDC->TextOut(p.X(730), y, CString("REF :"));
        pDC->TextOut(p.X(50), p.Y(870), doc->GetText(kTextNote) + " :");
        pDC->SelectObject(old);
    }

    struct Key {
        const CTrace& trace;
        int x1, x2, y1, y2;
    };
    const Key keys[] = {{doc->m_ch1, 140, 240, 714, 731},
                        {doc->m_ch2, 340, 440, 713, 730},
                        {doc->m_math, 615, 715, 713, 730},
                        {doc->m_ref, 820, 920, 714, 731}};
    for (const Key& key : keys) {
        if (!key.trace.IsOn())
            continue;
        CBrush brush(key.trace.GetColor());
        CRect rc(p.X(key.x1), p.Y(key.y1), p.X(key.x2), p.Y(key.y2));
        pDC->FillRect(&rc, &brush);
    }

    pDC->MoveTo(p.X(200), p.Y(890));
    pDC->LineTo(p.X(950), p.Y(890));
    pDC->MoveTo(p.X(50), p.Y(930));
    pDC->LineTo(p.X(950), p.Y(930));
    pDC->MoveTo(p.X(50), p.Y(970));
    pDC->LineTo(p.X(950), p.Y(970));
}

void CKelvaneView::PrintGrid(CDC* pDC, int L, int T, int R, int B) {
    if (!pDC)
        return;
    CPen pen(PS_SOLID, 1, RGB(0, 0, 0));
    CPen* old = pDC->SelectObject(&pen);
    Screen().DrawGraticuleInRect(pDC, L, T, R, B, RGB(0, 0, 0));
    pDC->SelectObject(old);
}

void CKelvaneView::PrintChannelTrace(CDC* pDC, int L, int T, int R, int B, int channel) {
    CKelvaneDoc* doc = GetDocument();
    const CTrace* trace = doc ? TraceOf(*doc, channel) : nullptr;
    if (!pDC || !trace)
        return;
    const double xStep = (R - L) / static_cast<double>(CTrace::kScreenPoints - 1);
    const double yScale = (B - T) / static_cast<double>(CTrace::kTopCode);
    const std::int16_t* values = trace->GetScreenTrace();
    const COLORREF color = trace->GetColor();
    {
        CPen pen(PS_SOLID, 1, color);
        CPen* old = pDC->SelectObject(&pen);
        bool penDown = false;
        for (int i = 0; i < CTrace::kScreenPoints; ++i) {
            const int value = values[i];
            // A gap (or any value off the screen's 0..511) would draw a line far off the page.
            if (value < 0 || value > CTrace::kTopCode) {
                penDown = false;
                continue;
            }
            const int x = static_cast<int>(L + i * xStep);
            const int y = static_cast<int>(T + (CTrace::kTopCode - value) * yScale);
            if (penDown)
                pDC->LineTo(x, y);
            else
                pDC->MoveTo(x, y);
            penDown = true;
        }
        pDC->SelectObject(old);
    }
    // Level marker: a triangle pointing right at the box's left edge.
    const int tipY = static_cast<int>(T + trace->GetPosition() * yScale);
    const int side = static_cast<int>(8 * xStep);
    const POINT corners[3] = {{L, tipY}, {L - side, tipY - side}, {L - side, tipY + side}};
    CRgn region;
    region.CreatePolygonRgn(corners, 3, ALTERNATE);
    CBrush brush(color);
    pDC->FillRgn(&region, &brush);
}

void CKelvaneView::OnPrint(CDC* pDC, CPrintInfo*) {
    CKelvaneDoc* doc = GetDocument();
    if (!pDC || !doc)
        return;
    const int W = pDC->GetDeviceCaps(HORZRES);
    const int H = pDC->GetDeviceCaps(VERTRES);
    PrintPageFrame(pDC, W, H);

    // The body lines stand 0.02 H apart. On a short page (landscape) the 10-point default font
    // is taller than that, and each line's opaque background would cut off the descenders of
    // the line above: the body font then shrinks to the line pitch.
    CFont bodyFont;
    CFont* oldFont = nullptr;
    const int pitch = static_cast<int>(0.02 * H);
    if (pitch > 0 && pDC->GetTextExtent("Ag", 2).cy > pitch) {
        LOGFONT lf;
        if (::GetObject(::GetCurrentObject(pDC->GetSafeHdc(), OBJ_FONT), sizeof lf, &lf) ==
            static_cast<int>(sizeof lf)) {
            lf.lfHeight = pitch; // a positive height is the whole cell
            lf.lfWidth = 0;
            if (bodyFont.CreateFontIndirect(&lf))
                oldFont = pDC->SelectObject(&bodyFont);
        }
    }

    const kv::LocalTime now = kv::GetLocalTime();
    CString line = doc->GetText(kTextDate);
    line.AppendFormat(" = %02d-%02d-%4d", now.day, now.month, now.year);
    line += "     ";
    line += doc->GetText(kv::kTextTime);
    line.AppendFormat(" = %02d:%02d:%02d", now.hour, now.minute, now.second);
    pDC->TextOut(static_cast<int>(0.05 * W), static_cast<int>(0.13 * H), line);

    const std::int16_t index = doc->m_settings.GetTimeBaseIndex();
    const std::int16_t* state = doc->m_usb.GetStateBlock();
    CString rate;
    bool haveRate = true;
    switch (CapabilitiesOfModel(doc->m_nModel).printedSampleRate) {
    case PrintedSampleRate::kPlain:
        rate = doc->m_settings.SampleRateText(index, state);
        break;
    case PrintedSampleRate::kEts:
        rate = doc->m_settings.SampleRateTextEts(index, state);
        break;
    case PrintedSampleRate::kAlt:
        rate = doc->m_settings.SampleRateTextAlt(index, state);
        break;
    case PrintedSampleRate::kNone:
        haveRate = false;
        break;
    }
    if (haveRate)
        pDC->TextOut(static_cast<int>(0.05 * W), static_cast<int>(0.74 * H),
                     doc->GetText(kTextSampleRate) + " = " + rate);
    pDC->TextOut(static_cast<int>(0.5 * W), static_cast<int>(0.74 * H),
                 doc->GetText(kv::kTextTime) + "/DIV = " + CKnob::TimeDivLabel(index, doc->m_nModel) +
                     "/div");

    const int x1 = static_cast<int>(0.05 * W);
    const int x2 = static_cast<int>(0.5 * W);
    if (doc->m_ch1.IsOn()) {
        const int y = static_cast<int>(0.76 * H);
        pDC->TextOut(x1, y, "CH1  VOLT DIV = " + doc->m_ch1.GetProbeVoltDivText() + "/div");
        pDC->TextOut(x2, y, doc->GetText(kTextCoupling) + " = " + doc->m_ch1.GetCouplingText());
    }
    if (doc->m_ch2.IsOn()) {
        const int y = static_cast<int>(0.78 * H);
        pDC->TextOut(x1, y, "CH2  VOLT DIV = " + doc->m_ch2.GetProbeVoltDivText() + "/div");
        pDC->TextOut(x2, y, doc->GetText(kTextCoupling) + " = " + doc->m_ch2.GetCouplingText());
    }
    if (doc->m_math.IsOn()) {
        const int y = static_cast<int>(0.80 * H);
        pDC->TextOut(x1, y, "MATH  VOLT DIV = " + doc->m_math.GetProbeVoltDivText() + "/div");
        pDC->TextOut(x2, y, doc->m_math.GetLabel());
    }
    if (doc->m_ref.IsOn())
        pDC->TextOut(x1, static_cast<int>(0.82 * H),
                     "REF  VOLT DIV = " + doc->m_ref.GetVoltDivText() + "/div");
    if (oldFont)
        pDC->SelectObject(oldFont);

    const int L = static_cast<int>(0.05 * W);
    const int T = static_cast<int>(0.152 * H);
    const int R = static_cast<int>(0.95 * W);
    const int B = static_cast<int>(0.70 * H);
    PrintGrid(pDC, L, T, R, B);
    for (int channel = 0; channel < 4; ++channel)
        if (const CTrace* trace = TraceOf(*doc, channel); trace && trace->IsOn())
            PrintChannelTrace(pDC, L, T, R, B, channel);
    DrawFrameRect(pDC, L, T, R, B);
}
