#include "corvane/framework/media/qvtDefaultMedia.h"

#include <map>
#include <utility>

namespace corvane {

namespace {

using SectionKey = std::pair<std::string, std::string>;

const std::map<SectionKey, std::string>& defaultStrings()
{
    static const std::map<SectionKey, std::string> values = {
        {{"root", "typeID"}, "Document"},
        {{"root", "table"}, "Default Table"},
        {{"root", "tree"}, "Default Tree"},
        {{"root", "calendar"}, "Default Calendar"},
        {{"root", "task bar settings"}, "Default Task Bar Settings"},
        {{"root", "connection settings"}, "Default Connection Settings"},
        {{"root", "image bar settings"}, "Default Image Bar Settings"},
        {{"root", "progress bar settings"}, "Default Progress Bar Settings"},
        {{"root", "text bar settings"}, "Default Text Bar Settings"},
        {{"root", "textual halo settings"}, "Default Text Halo Settings"},
        {{"root", "hint text settings"}, "Default Hint Text settings"},
        {{"root", "legend"}, "Default Legend"},
        {{"Default Time Scale", "typeID"}, "Time Scale"},
        {{"Default Time Scale", "grid"}, "Default Table"},
        {{"Default Task Bar Settings", "typeID"}, "Task Bar Settings"},
        {{"Default Text Bar Settings", "typeID"}, "Text Settings"},
        {{"Default Text Halo Settings", "typeID"}, "Textual Halo Settings"},
        {{"Default Hint Text settings", "typeID"}, "Text Settings"},
        {{"Default Legend", "typeID"}, "Legend"},
        {{"Default Image Bar Settings", "typeID"}, "Image Bar Settings"},
        {{"Default Progress Bar Settings", "typeID"}, "Progress Bar Settings"},
        {{"Default Table", "typeID"}, "Gantt Table"},
        {{"Default Table", "default pert settings"}, "Default Pert Bar Settings"},
        {{"Default Pert Bar Settings", "typeID"}, "Pert Bar Settings"},
        {{"Default Gantt Row", "typeID"}, "Gantt Row"},
        {{"Default Tree", "typeID"}, "Tree Grid"},
        {{"Default Tree", "header"}, "Default Tree Header"},
        {{"Default Tree", "root node"}, "Default Tree Root"},
        {{"Default Tree", "vertical pane"}, "Default Vertical Pane"},
        {{"Default Tree", "default row settings"}, "Default Tree Row Settings"},
        {{"Default Tree", "default col settings"}, "Default Tree Column Settings"},
        {{"Default Calendar", "typeID"}, "Document Calendar"},
        {{"Weekends", "typeID"}, "Predefined Date Category"},
        {{"Weekends", "Color"}, "$027FFFFF"},
        {{"Holidays", "typeID"}, "Predefined Date Category"},
        {{"Holidays", "Color"}, "$023434FF"},
        {{"Default Tree Header", "typeID"}, "Tree Header"},
        {{"Default Tree Root", "typeID"}, "Tree Node"},
        {{"Default Tree Node", "typeID"}, "Tree Node"},
        {{"Default Tree Node", "row"}, "Default Tree Row"},
        {{"Default Tree Row", "typeID"}, "Tree Row"},
        {{"Default Tree Row", "settings"}, "Default Tree Row Settings"},
        {{"Default Tree Cell", "typeID"}, "Tree Auto Cell"},
        {{"Default Tree Cell", "rowSettings"}, "Default Tree Row Settings"},
        {{"Default Tree Cell", "colSettings"}, "Default Tree Column Settings"},
        {{"Default Tree Cell", "dataType"}, "Default AutoNumber Type"},
        {{"Default Tree Row Settings", "typeID"}, "Tree Row Settings"},
        {{"Default Vertical Pane", "typeID"}, "Vertical resize pane"},
        {{"Default Tree Header Cell", "typeID"}, "Tree Header Cell"},
        {{"Default Tree Header Cell", "settings"}, "Default Tree Column Settings"},
        {{"Default Tree Header Cell", "dataType"}, "Default AutoNumber Type"},
        {{"Default Tree Column Settings", "typeID"}, "Tree Column Settings"},
        {{"Default Connection Settings", "typeID"}, "Connection Settings"},
        {{"Default AutoNumber Type", "typeID"}, "Tree AutoCellType.Number"},
    };
    return values;
}

const std::map<SectionKey, std::vector<std::string>>& defaultStringArrays()
{
    static const std::map<SectionKey, std::vector<std::string>> values = {
        {{"root", "time scales"}, {"Default Time Scale"}},
        {{"Default Table", "rows"}, {"Default Gantt Row"}},
        {{"Default Calendar", "categories"}, {"Weekends", "Holidays"}},
        {{"Default Tree Header", "cells"}, {"Default Tree Header Cell"}},
        {{"Default Tree Root", "children"}, {"Default Tree Node"}},
        {{"Default Tree Row", "cells"}, {"Default Tree Cell"}},
    };
    return values;
}

} // namespace

bool TQVTDefaultMedia::getStrProperty(std::string_view section, std::string_view key, std::string_view def,
                                      std::string& value)
{
    const auto& values = defaultStrings();
    const auto it = values.find({std::string(section), std::string(key)});
    if (it == values.end())
        value.assign(def);
    else
        value = it->second;
    return true;
}

bool TQVTDefaultMedia::getStrArrayProperty(std::string_view section, std::string_view key,
                                           std::vector<std::string>& value)
{
    const auto& values = defaultStringArrays();
    const auto it = values.find({std::string(section), std::string(key)});
    value = it == values.end() ? std::vector<std::string>{} : it->second;
    return true;
}

} // namespace corvane
