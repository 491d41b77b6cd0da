#pragma once
// The boxes of the PERT chart, their settings and their text sections.

#include "corvane/framework/chart/qvtGanttBar.h"

#include <memory>
#include <string>
#include <vector>

namespace corvane {

class TQVTTextSettings;

class TQVTPertBarSettings : public TQVTGanttObject {
public:
    static constexpr const char* TypeID = "Pert Bar Settings";

    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;
};

class TQVTPertBarSettingsPersistence : public TQVTPersistenceOf<TQVTPertBarSettings> {
public:
    std::shared_ptr<TQVTGanttObject> doLoad(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
};

class TQVTPertBarSection : public TQVTGanttObject {
public:
    static constexpr const char* TypeID = "Pert Bar Section";

    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;

    std::shared_ptr<TQVTTextSettings> FSettings;
};

class TQVTPertBarSectionPersistence : public TQVTPersistenceOf<TQVTPertBarSection> {
public:
    std::shared_ptr<TQVTGanttObject> doLoad(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
};

class TQVTPertBar : public TQVTGanttBar {
public:
    static constexpr const char* TypeID = "Pert Bar";

    /// Saved by its row: writes "pert bar" = its identifier into the row's section name, then its own section.
    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;

    std::shared_ptr<TQVTPertBarSettings> FSettings;
    std::shared_ptr<TQVTPertBarSection> FTopSection;
    std::shared_ptr<TQVTPertBarSection> FMainSection;
    std::shared_ptr<TQVTPertBarSection> FBottomSection;
    std::vector<std::shared_ptr<TQVTPertBarSection>> FAdditionalSections;
};

class TQVTPertBarPersistence : public TQVTPersistenceOf<TQVTPertBar, TQVTGanttBarPersistence> {
protected:
    std::shared_ptr<TQVTGanttBar> doLoadBar(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
};

} // namespace corvane
