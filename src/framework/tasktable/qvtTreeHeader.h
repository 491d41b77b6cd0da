#pragma once
// The column header of the task table.

#include "corvane/framework/objects/qvtGanttObject.h"

#include <memory>
#include <string>
#include <vector>

namespace corvane {

class TQVTTreeCellType;
class TQVTTreeColSettings;

/// Title, settings and data type of one column.
class TQVTTreeHeaderCell : public TQVTGanttObject {
public:
    static constexpr const char* TypeID = "Tree Header Cell";

    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;

    std::shared_ptr<TQVTTreeColSettings> FSettings;
    std::shared_ptr<TQVTTreeCellType> FDataType;
};

class TQVTTreeHeaderCellPersistence : public TQVTPersistenceOf<TQVTTreeHeaderCell> {
public:
    std::shared_ptr<TQVTGanttObject> doLoad(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
};

class TQVTTreeHeader : public TQVTGanttObject {
public:
    static constexpr const char* TypeID = "Tree Header";

    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;

    std::vector<std::shared_ptr<TQVTTreeHeaderCell>> FCells;
};

class TQVTTreeHeaderPersistence : public TQVTPersistenceOf<TQVTTreeHeader> {
public:
    std::shared_ptr<TQVTGanttObject> doLoad(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
};

} // namespace corvane
