#pragma once
// The narrow pane left of the task table that selects rows and resizes their height.

#include "corvane/framework/objects/qvtGanttObject.h"

#include <memory>
#include <string>

namespace corvane {

class TQVTTreeRowsResizePane : public TQVTGanttObject {
public:
    static constexpr const char* TypeID = "Vertical resize pane";

    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;
};

class TQVTTreeRowsResizePanePersistence : public TQVTPersistenceOf<TQVTTreeRowsResizePane> {
public:
    std::shared_ptr<TQVTGanttObject> doLoad(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
};

} // namespace corvane
