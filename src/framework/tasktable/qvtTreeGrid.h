#pragma once
// The task table: a tree of nodes, one tree row per task.

#include "corvane/framework/objects/qvtGanttObject.h"
#include "corvane/platform/Colors.h"

#include <memory>
#include <string>
#include <vector>

namespace corvane {

class TQVTTreeColSettings;
class TQVTTreeHeader;
class TQVTTreeRow;
class TQVTTreeRowSettings;
class TQVTTreeRowsResizePane;

/// One node of the task tree; the invisible root has no row.
class TQVTTreeNode : public TQVTGanttObject {
public:
    static constexpr const char* TypeID = "Tree Node";
    /// Stands for the missing row of the root node in a saved document.
    static constexpr const char* EmptyRow = "empty";

    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;

    std::shared_ptr<TQVTTreeRow> FRow;
    std::vector<std::shared_ptr<TQVTTreeNode>> Fchildren;
};

class TQVTTreeNodePersistence : public TQVTPersistenceOf<TQVTTreeNode> {
public:
    std::shared_ptr<TQVTGanttObject> doLoad(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
};

class TQVTTreeGrid : public TQVTGanttObject {
public:
    static constexpr const char* TypeID = "Tree Grid";

    /// Saved by the document with the document's section name: writes "tree" there, then
    /// its own section under its identifier.
    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;

    std::shared_ptr<TQVTTreeHeader> FHeader;
    std::shared_ptr<TQVTTreeNode> FRootNode;
    std::shared_ptr<TQVTTreeRowsResizePane> FRowsResizePane;
    std::shared_ptr<TQVTTreeRowSettings> FDefaultRowSettings;
    std::shared_ptr<TQVTTreeColSettings> FDefaultColSettings;
    /// Background and text colours of selected and focused rows.
    TColor FSelectedRowColor = 0xC56AC5;
    TColor FSelectedRowFontColor = clWhite;
    TColor FFocusedRowColor = 0x808080;
    TColor FFocusedRowFontColor = 0xFFFFFF;
};

class TQVTTreeGridPersistence : public TQVTPersistenceOf<TQVTTreeGrid> {
public:
    std::shared_ptr<TQVTGanttObject> doLoad(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
};

} // namespace corvane
