#pragma once
// Summary, image, milestone and text bars, and the settings of image bars.

#include "corvane/framework/chart/qvtGanttBar.h"

#include <memory>
#include <string>

namespace corvane {

class IQVTTextSettings;
class TQVTPictureResource;

class TQVTSummaryBar : public TQVTGanttBar {
public:
    static constexpr const char* TypeID = "Summary Bar";

    bool isSummarizable() const override { return true; }
    /// As the table's SummaryBarConnectable says.
    bool acceptConnections() const override;
    bool canMoveVertically() const override { return false; }

    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;
};

class TQVTSummaryBarPersistence : public TQVTPersistenceOf<TQVTSummaryBar, TQVTGanttBarPersistence> {
protected:
    std::shared_ptr<TQVTGanttBar> doLoadBar(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
};

class TQVTImageBarSettings : public TQVTGanttObject {
public:
    static constexpr const char* TypeID = "Image Bar Settings";

    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;
};

class TQVTImageBarSettingsPersistence : public TQVTPersistenceOf<TQVTImageBarSettings> {
public:
    std::shared_ptr<TQVTGanttObject> doLoad(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
};

class TQVTImageBar : public TQVTGanttBar {
public:
    static constexpr const char* TypeID = "Image Bar";

    using TQVTGanttBar::TQVTGanttBar;

    bool canResizeVertically() const override { return true; }

    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;

    std::shared_ptr<TQVTPictureResource> FPictureResource;
    /// None means the document's image bar settings.
    std::shared_ptr<TQVTImageBarSettings> FSettings;

protected:
    /// Image and milestone bars store the same keys under their own identifiers.
    void saveImageBar(const std::string& name, const char* typeID, IQVTMedia& media, TQVTEntityFactory& factory);
};

class TQVTImageBarPersistence : public TQVTPersistenceOf<TQVTImageBar, TQVTGanttBarPersistence> {
protected:
    std::shared_ptr<TQVTGanttBar> doLoadBar(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) final;
    virtual std::shared_ptr<TQVTImageBar> createBar() const;
};

class TQVTMilestoneBar : public TQVTImageBar {
public:
    static constexpr const char* TypeID = "Milestone Bar";

    using TQVTImageBar::TQVTImageBar;

    bool isSummarizable() const override { return true; }
    bool acceptConnections() const override { return true; }

    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;
};

class TQVTMilestoneBarPersistence : public TQVTPersistenceOf<TQVTMilestoneBar, TQVTImageBarPersistence> {
protected:
    std::shared_ptr<TQVTImageBar> createBar() const override;
};

class TQVTTextBar : public TQVTGanttBar {
public:
    static constexpr const char* TypeID = "Text Bar";

    using TQVTGanttBar::TQVTGanttBar;

    bool canResizeVertically() const override { return true; }

    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;

    /// None means the document's text bar settings.
    std::shared_ptr<IQVTTextSettings> FSettings;
};

class TQVTTextBarPersistence : public TQVTPersistenceOf<TQVTTextBar, TQVTGanttBarPersistence> {
protected:
    std::shared_ptr<TQVTGanttBar> doLoadBar(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
};

} // namespace corvane
