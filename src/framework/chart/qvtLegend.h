#pragma once
// The table of explanatory texts painted below the chart.

#include "corvane/framework/tasktable/qvtTreeCells.h"

#include <memory>
#include <string>
#include <vector>

namespace corvane {

class TQVTTextSettings;

class TQVTLegendCell : public TQVTCell {
public:
    static constexpr const char* TypeID = "Legend Cell";

    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;

    std::shared_ptr<TQVTTextSettings> FTextSettings;
};

class TQVTLegendCellPersistence : public TQVTPersistenceOf<TQVTLegendCell> {
public:
    std::shared_ptr<TQVTGanttObject> doLoad(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
};

class TqvtLegendRow : public TQVTGanttObject {
public:
    static constexpr const char* TypeID = "Legend Row";

    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;

    std::vector<std::shared_ptr<TQVTLegendCell>> FCells;
};

class TqvtLegendRowPersistence : public TQVTPersistenceOf<TqvtLegendRow> {
public:
    std::shared_ptr<TQVTGanttObject> doLoad(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
};

class TQVTLegendBorder : public TQVTCell {
public:
    static constexpr const char* TypeID = "Custom Legend Border";

    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;
};

class TQVTLegendBorderPersistence : public TQVTPersistenceOf<TQVTLegendBorder> {
public:
    std::shared_ptr<TQVTGanttObject> doLoad(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
};

class TQVTLegend : public TQVTGanttObject {
public:
    static constexpr const char* TypeID = "Legend";

    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;

    std::vector<std::shared_ptr<TqvtLegendRow>> FRows;
    std::shared_ptr<TQVTTextSettings> FDefaultCellSettings;
    std::vector<std::shared_ptr<TQVTLegendBorder>> FBorders;
};

class TQVTLegendPersistence : public TQVTPersistenceOf<TQVTLegend> {
public:
    std::shared_ptr<TQVTGanttObject> doLoad(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
};

} // namespace corvane
