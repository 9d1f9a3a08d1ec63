// The screen panel as it is on the screen after commands a person runs: the plot stays black
// when the Pass/Fail panel opens and is shaded outside the mask only once a mask is made; a
// loaded reference stays drawn after Load CSV.
#include "ShownAppSupport.h"

#include "app/KelvaneView.h"
#include "engine/KelvaneDoc.h"
#include "framework/CommonDialogs.h"
#include "framework/Dialog.h"

#include <fstream>

using namespace apptest;

namespace {

const QColor kBlack(0, 0, 0);
const QColor kMask(150, 128, 0); // the mask's shading
const QColor kRef(0, 255, 255);  // REF's default colour

class ScreenPictures : public ShownApp {
protected:
    void SetUp() override {
        Start(std::string(), Simulator());
        ProcessEventsFor(100);
    }
    void TearDown() override {
        CFileDialog::SetHook(nullptr);
        ShownApp::TearDown();
    }
    // Points of the plot between the grid dots, in its top and bottom bands, away from the
    // demo traces: fractions of a minor step (W/50 across, H/32 down) off every dot.
    std::vector<QPoint> BackgroundPoints() const {
        const QRect p = Plot();
        std::vector<QPoint> points;
        for (double sx : {3.5, 12.5, 21.5, 33.5, 46.5})
            for (double sy : {1.5, 30.5})
                points.emplace_back(p.left() + static_cast<int>(sx * p.width() / 50.0),
                                    p.top() + static_cast<int>(sy * p.height() / 32.0));
        return points;
    }
    int CountAt(const QImage& image, const std::vector<QPoint>& points, QColor c) const {
        int n = 0;
        for (const QPoint& at : points)
            n += image.pixelColor(at) == c;
        return n;
    }
    // The next file dialog chooses `path`.
    static void AnswerFileDialog(const std::string& path) {
        CFileDialog::SetHook([path](CFileDialog& dlg) -> INT_PTR {
            dlg.SetChosenPath(path.c_str());
            return IDOK;
        });
    }
    // Demo mode here; the instrument variant below runs a simulated instrument.
    virtual const char* Simulator() const { return ""; }
    void ReferenceSurvivesLoadCsv();
    ScratchFolder scratch{"screen-pictures"};
};

class ScreenPicturesWithInstrument : public ScreenPictures {
protected:
    const char* Simulator() const override { return "1"; }
};

CDialog* PassFailPanel() {
    for (QWidget* w : QApplication::allWidgets())
        if (auto* dlg = dynamic_cast<CDialog*>(CWnd::FromWidget(w)))
            if (dlg->m_nIDTemplate == IDD_PASSFAIL && dlg->GetSafeHwnd())
                return dlg;
    return nullptr;
}

TEST_F(ScreenPictures, OpeningPassFailLeavesThePlotBlackUntilAMaskIsCreated) {
    const std::vector<QPoint> points = BackgroundPoints();
    ASSERT_EQ(CountAt(ScreenPicture(), points, kBlack), static_cast<int>(points.size()));

    ASSERT_TRUE(app->GetMainFrame()->ExecuteCommand(ID_UTILITY_PASSFAIL));
    ProcessEventsFor(100);
    CDialog* panel = PassFailPanel();
    ASSERT_NE(panel, nullptr);
    ASSERT_TRUE(doc->m_passFail.m_nState1);
    QImage picture = ScreenPicture();
    EXPECT_EQ(CountAt(picture, points, kBlack), static_cast<int>(points.size()));
    EXPECT_EQ(Count(picture, kMask, Plot()), 0);

    // Create: the areas above and below the mask are shaded, the trace's band is not.
    QWidget* create = panel->GetDlgItem(IDC_PF_CREATE)->GetWidget();
    QTest::mouseClick(create, Qt::LeftButton);
    ProcessEventsFor(100);
    picture = ScreenPicture();
    EXPECT_EQ(CountAt(picture, points, kMask), static_cast<int>(points.size()));
    const int shaded = Count(picture, kMask, Plot());
    EXPECT_GT(shaded, Plot().width() * Plot().height() / 3);
    EXPECT_LT(shaded, Plot().width() * Plot().height());

    // Closed, the panel takes the shading with it.
    Click(*panel, IDCANCEL);
    ProcessEventsFor(100);
    picture = ScreenPicture();
    EXPECT_EQ(CountAt(picture, points, kBlack), static_cast<int>(points.size()));
    EXPECT_EQ(Count(picture, kMask, Plot()), 0);
}

void ScreenPictures::ReferenceSurvivesLoadCsv() {
    // A reference of CH1 as it is now, loaded through Reference > Turn On (it asks for a file).
    const std::string rfc = scratch.File("ch1.rfc");
    ASSERT_TRUE(doc->SaveReferenceFile(rfc.c_str()));
    AnswerFileDialog(rfc);
    ASSERT_TRUE(app->GetMainFrame()->ExecuteCommand(ID_REF_ONOFF));
    ProcessEventsFor(100);
    ASSERT_TRUE(doc->m_ref.IsOn());
    const int before = Count(ScreenPicture(), kRef, Plot());
    ASSERT_GT(before, 300);

    // A CSV the program wrote, loaded back; then a longer one that changes the record length.
    const std::string own = scratch.File("own.csv");
    ASSERT_TRUE(doc->SaveCsvFile(own.c_str()));
    const std::string longer = scratch.File("longer.csv");
    {
        std::ofstream out(longer);
        out << "#CLOCK=0.000040000\n#SIZE=14336\n";
        for (int i = 0; i < 14336; ++i)
            out << (i % 700) * 0.004 - 1.4 << ",0,0\n";
    }
    for (const std::string& csv : {own, longer}) {
        AnswerFileDialog(csv);
        ASSERT_TRUE(app->GetMainFrame()->ExecuteCommand(ID_FILE_LOAD_CSV));
        ProcessEventsFor(100);
        EXPECT_EQ(doc->m_bRunning, 0) << csv;
        EXPECT_TRUE(doc->m_ref.IsOn()) << csv;
        EXPECT_GT(Count(ScreenPicture(), kRef, Plot()), 300) << csv;
    }
}

TEST_F(ScreenPictures, ALoadedReferenceStaysDrawnAfterLoadCsv) {
    ReferenceSurvivesLoadCsv();
}

TEST_F(ScreenPicturesWithInstrument, ALoadedReferenceStaysDrawnAfterLoadCsv) {
    ReferenceSurvivesLoadCsv();
}

} // namespace
