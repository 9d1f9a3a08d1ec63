#pragma once
// The user interface of a document without a view. The view's setters become the document's
// own setters, the run/stop and Factory Setup commands act on the document alone, and every
// window call is skipped, so the engine runs the same road with or without windows.
#include <cstdint>

#include "engine/NullDocUi.h"

class CKelvaneDoc;

class CViewlessDocUi final : public CNullDocUi {
public:
    explicit CViewlessDocUi(CKelvaneDoc& doc) : m_doc(doc) {}

    bool HasView() const override { return false; }
    // Stops a running acquisition (saving what a stopped screen redraws from) or starts a
    // stopped one.
    void RunStopCommand() override;
    // Every default, sent to the instrument.
    void FactorySetup() override;
    void SetTimeBaseIndex(std::int16_t index) override;
    void SetChannelVoltsPerDiv(int channel, std::int16_t index) override;

private:
    CKelvaneDoc& m_doc;
};
