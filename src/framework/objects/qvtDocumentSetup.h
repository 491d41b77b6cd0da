#pragma once
// The abstract document: what every object reaches through GetDocumentSetup.

#include "corvane/framework/objects/qvtGanttObject.h"

namespace corvane {

class TQVTDocumentSetup : public TQVTGanttObject {
public:
    ~TQVTDocumentSetup() override = default;

    virtual TDateTime getStartDate() = 0;
    // Snaps the date to the calendar's time unit and stores it.
    virtual void setStartDate(TDateTime value) = 0;
    virtual TDateTime getEndDate() = 0;
    virtual void setEndDate(TDateTime value) = 0;
};

// The document above obj, or none when obj does not belong to one.
TQVTDocumentSetup* FindDocumentSetup(TQVTGanttObject* obj);

} // namespace corvane
