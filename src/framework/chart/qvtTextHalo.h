#pragma once
// The labels around a bar and the shareable choice of which of them are painted.

#include "corvane/framework/objects/qvtGanttObject.h"

#include <memory>
#include <string>

namespace corvane {

class TQVTTextSettings;
class TQVTTextHaloSettings;

class TQVTTextHalo : public TQVTGanttObject {
public:
    static constexpr const char* TypeID = "textual halo";

    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;

    std::shared_ptr<TQVTTextSettings> FTextSettings;
    std::shared_ptr<TQVTTextHaloSettings> FTextHaloSettings;
};

class TQVTTextHaloPersistence : public TQVTPersistenceOf<TQVTTextHalo> {
public:
    std::shared_ptr<TQVTGanttObject> doLoad(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
};

class TQVTTextHaloSettings : public TQVTGanttObject {
public:
    static constexpr const char* TypeID = "Textual Halo Settings";

    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;
};

class TQVTTextHaloSettingsPersistence : public TQVTPersistenceOf<TQVTTextHaloSettings> {
public:
    std::shared_ptr<TQVTGanttObject> doLoad(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
};

} // namespace corvane
