#pragma once
// The abstract document: what every object reaches through GetDocumentSetup.

#include "framework/qvtGanttObject.h"

namespace corvane {

class TQVTDocumentSetup : public TQVTGanttObject {
public:
    ~TQVTDocumentSetup() override = default;
};

} // namespace corvane
