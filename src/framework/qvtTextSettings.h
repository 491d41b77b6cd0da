#pragma once
// Font, background and alignment of a piece of text.

#include "framework/qvtGanttObject.h"

#include <memory>
#include <string>

namespace corvane {

// Abstract text settings: what text layout asks about a text.
class IQVTTextSettings : public TQVTGanttObject {
public:
    ~IQVTTextSettings() override = default;
};

// Text settings that are a document object of their own.
class TQVTTextSettings : public IQVTTextSettings {
public:
    static constexpr const char* TypeID = "Text Settings";

    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;
};

class TQVTTextSettingsPersistence : public TQVTPersistenceOf<TQVTTextSettings> {
public:
    std::shared_ptr<TQVTGanttObject> doLoad(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
};

} // namespace corvane
