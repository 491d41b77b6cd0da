#pragma once
// The base of every bar kind and of the bar loaders.

#include "corvane/framework/objects/qvtGanttObject.h"

#include <memory>
#include <string>

namespace corvane {

class TQVTGanttDocument;
class TQVTTextHalo;

class TQVTGanttBar : public TQVTGanttObject {
public:
    std::shared_ptr<TQVTTextHalo> FTextHalo;

protected:
    /// The document the bar belongs to; none while the bar is in none.
    TQVTGanttDocument* findDocument();
};

/// Loads a bar through the kind's doLoadBar, then its "text halo".
class TQVTGanttBarPersistence : public TQVTPersistence {
public:
    std::shared_ptr<TQVTGanttObject> doLoad(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) final;

protected:
    virtual std::shared_ptr<TQVTGanttBar> doLoadBar(const std::string& name, IQVTMedia& media,
                                                    TQVTEntityFactory& factory) = 0;
};

} // namespace corvane
