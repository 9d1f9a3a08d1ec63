// What the running program keeps between its parts: the acquisition state each channel takes
// when acquisition stops, the status strip's blink counter that the pump advances, and the
// screen panel's options that the setup file stores and restores through the view.
#include "RealViewSupport.h"

#include "engine/KelvaneDoc.h"
#include "engine/SettingsCodes.h"
#include "resources/ScaleLabels.h"

#include <fstream>
#include <iterator>

namespace {

using realview::RealView;

TEST_F(RealView, StopKeepsEachChannelsScaleAndPositionForTheStoppedDisplay) {
    Command(ID_CH1_VOLTDIV_FIRST + 6);
    Command(ID_CH2_VOLTDIV_FIRST + 3);
    doc->SetCh1Position(150.0f);
    doc->SetCh2Position(330.0f);
    Command(ID_ACQUIRE_STOP);
    EXPECT_EQ(doc->m_ch1.GetVoltsPerDivAtAcquisition(), 6);
    EXPECT_EQ(doc->m_ch2.GetVoltsPerDivAtAcquisition(), 3);
    EXPECT_FLOAT_EQ(doc->m_ch1.GetPositionAtAcquisition(), 150.0f);
    EXPECT_FLOAT_EQ(doc->m_ch2.GetPositionAtAcquisition(), 330.0f);
    // A stopped record shown at twice the volts/div is half as high about the zero line.
    std::fill_n(doc->m_ch2.GetWorkRecord(), 10240, std::int16_t{511 - 330 + 100});
    Command(ID_CH2_VOLTDIV_FIRST + 4);
    view->PumpTick();
    EXPECT_EQ(doc->m_ch2.GetScreenTrace()[250], 511 - 330 + 50);
}

TEST_F(RealView, PumpAdvancesTheBlinkCounterWhileWaitingOrAuto) {
    Command(ID_ACQUIRE_STOP); // the demo road then leaves the status alone
    for (const int status : {3, 4}) {
        doc->m_nRunStatus = static_cast<std::int16_t>(status);
        doc->m_nStatusTick = 37;
        view->PumpTick();
        EXPECT_EQ(doc->m_nStatusTick, 38);
        view->PumpTick();
        EXPECT_EQ(doc->m_nStatusTick, 39);
        view->PumpTick();
        EXPECT_EQ(doc->m_nStatusTick, 0);
    }
    doc->m_nRunStatus = 0;
    doc->m_nStatusTick = 12;
    view->PumpTick();
    EXPECT_EQ(doc->m_nStatusTick, 12);
}

// With an instrument (the simulated one): in demo mode the setup file keeps only its header.
class ConnectedView : public RealView {
protected:
    const char* Instruments() const override { return "1"; }
};

TEST_F(ConnectedView, SetupFileCarriesTheScreenOptionsOfTheView) {
    Command(ID_DISPLAY_DOTS);
    Command(ID_DISPLAY_GRID);
    view->Screen().SetGridIntensity(33);
    view->Screen().SetWaveformIntensity(211);
    const int gridOn = view->Screen().IsGridOn();
    const std::string path = kv::TempFolder() + "/kv-real-view-screen.set";
    ASSERT_EQ(doc->SaveSetupFile(path.c_str()), 1);
    std::ifstream in(path, std::ios::binary);
    const std::vector<unsigned char> b((std::istreambuf_iterator<char>(in)),
                                       std::istreambuf_iterator<char>());
    // The screen block follows the time-base block at offset 218: cursor source, cursor mode,
    // dot mode, grid on (32 bits), grid intensity, waveform intensity.
    ASSERT_GT(b.size(), 232u);
    auto u16 = [&b](std::size_t at) { return b[at] | b[at + 1] << 8; };
    EXPECT_EQ(u16(222), 1);
    EXPECT_EQ(u16(224), gridOn);
    EXPECT_EQ(u16(228), 33);
    EXPECT_EQ(u16(230), 211);
    Command(ID_DISPLAY_VECTORS);
    view->Screen().SetGridIntensity(100);
    view->Screen().SetWaveformIntensity(100);
    ASSERT_EQ(doc->LoadSetupFile(path.c_str()), 1);
    EXPECT_EQ(view->Screen().GetDotMode(), 1);
    EXPECT_EQ(view->Screen().GetGridIntensity(), 33);
    EXPECT_EQ(view->Screen().GetWaveformIntensity(), 211);
    EXPECT_EQ(Item(ID_DISPLAY_DOTS).check, 1);
    std::remove(path.c_str());
}

// The interpolation items: with an instrument, real-time sampling and a time base up to
// 40 ns/div; the choice goes to all four traces.
TEST_F(ConnectedView, InterpolationItemsUpTo40nsForAllFourTraces) {
    for (int index = 0; index <= 5; ++index) {
        Command(ID_TIMEDIV_FIRST + static_cast<UINT>(index));
        EXPECT_EQ(Item(ID_INTERP_STEP).enabled, index <= 4) << index;
    }
    Command(ID_TIMEDIV_FIRST + 4);
    Command(ID_INTERP_LINEAR);
    for (const CTrace* t :
         {static_cast<const CTrace*>(&doc->m_ch1), static_cast<const CTrace*>(&doc->m_ch2),
          static_cast<const CTrace*>(&doc->m_math), static_cast<const CTrace*>(&doc->m_ref)})
        EXPECT_EQ(t->GetInterpolation(), kInterpolationLinear);
    EXPECT_EQ(Item(ID_INTERP_LINEAR).check, 1);
    EXPECT_EQ(Item(ID_INTERP_STEP).check, 0);
    Command(ID_TIMEDIV_FIRST + 5);
    EXPECT_FALSE(Item(ID_INTERP_LINEAR).enabled);
    EXPECT_EQ(Item(ID_INTERP_LINEAR).check, 0);
}

// Equivalent-time sampling is offered with an instrument up to 200 ns/div only, and is taken
// from its item there.
TEST_F(ConnectedView, EtsItemUpTo200nsPerDivision) {
    const struct {
        UINT label; // entry of the time/div commands
        bool offered;
    } steps[] = {{4, true}, {6, true}, {7, false}, {10, false}};
    for (const auto& s : steps) {
        Command(ID_TIMEDIV_FIRST + s.label);
        SCOPED_TRACE(kv::kTimeDivLabels[s.label]);
        EXPECT_EQ(Item(ID_SAMPLING_ETS).enabled, s.offered);
        EXPECT_EQ(Item(ID_SAMPLING_ETS).check, 0);
    }
    Command(ID_TIMEDIV_FIRST + 6); // 200ns
    Command(ID_SAMPLING_ETS);
    EXPECT_EQ(doc->m_settings.GetSamplingMode(), kSamplingEts);
    EXPECT_EQ(Item(ID_SAMPLING_ETS).check, 1);
    EXPECT_EQ(Item(ID_SAMPLING_REALTIME).check, 0);
}

} // namespace
