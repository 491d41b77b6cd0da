#pragma once
// Task bars, progress bars and their settings.

#include "corvane/framework/chart/qvtGanttBar.h"

#include <memory>
#include <string>

namespace corvane {

class TQVTVisualGoodie;

class TQVTTaskBarSettings : public TQVTGanttObject {
public:
    static constexpr const char* TypeID = "Task Bar Settings";

    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;

    std::shared_ptr<TQVTVisualGoodie> FVisualGoodie;
};

class TQVTTaskBarSettingsPersistence : public TQVTPersistenceOf<TQVTTaskBarSettings> {
public:
    std::shared_ptr<TQVTGanttObject> doLoad(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
};

class TQVTTaskBar : public TQVTGanttBar {
public:
    static constexpr const char* TypeID = "Task Bar";

    using TQVTGanttBar::TQVTGanttBar;

    bool isSummarizable() const override { return true; }
    bool acceptConnections() const override { return true; }

    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;

    std::shared_ptr<TQVTTaskBarSettings> FSettings;
};

class TQVTTaskBarPersistence : public TQVTPersistenceOf<TQVTTaskBar, TQVTGanttBarPersistence> {
protected:
    std::shared_ptr<TQVTGanttBar> doLoadBar(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
};

class TQVTProgressBarSettings : public TQVTGanttObject {
public:
    static constexpr const char* TypeID = "Progress Bar Settings";

    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;
};

class TQVTProgressBarSettingsPersistence : public TQVTPersistenceOf<TQVTProgressBarSettings> {
public:
    std::shared_ptr<TQVTGanttObject> doLoad(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
};

class TQVTProgressBar : public TQVTGanttBar {
public:
    static constexpr const char* TypeID = "progress bar";

    using TQVTGanttBar::TQVTGanttBar;

    bool isSummarizable() const override { return true; }

    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;

    /// None means the document's default progress bar settings.
    std::shared_ptr<TQVTProgressBarSettings> FSettings;
};

class TQVTProgressBarPersistence : public TQVTPersistenceOf<TQVTProgressBar, TQVTGanttBarPersistence> {
protected:
    std::shared_ptr<TQVTGanttBar> doLoadBar(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
};

} // namespace corvane
