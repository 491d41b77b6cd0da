#pragma once
// Dependencies between two bars and the colours they are drawn in.

#include "corvane/framework/objects/qvtGanttObject.h"

#include <memory>
#include <string>

namespace corvane {

class TQVTGanttBar;

class TQVTBarConnection : public TQVTGanttObject {
public:
    static constexpr const char* TypeID = "Bar Connection";

    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;

    std::shared_ptr<TQVTGanttBar> barFrom;
    std::shared_ptr<TQVTGanttBar> barTo;
};

class TQVTBarConnectionPersistence : public TQVTPersistenceOf<TQVTBarConnection> {
public:
    std::shared_ptr<TQVTGanttObject> doLoad(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
};

class TQVTConnectionSettings : public TQVTGanttObject {
public:
    static constexpr const char* TypeID = "Connection Settings";

    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;
};

class TQVTConnectionSettingsPersistence : public TQVTPersistenceOf<TQVTConnectionSettings> {
public:
    std::shared_ptr<TQVTGanttObject> doLoad(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
};

} // namespace corvane
