#include "corvane/framework/tasktable/qvtTreeGrid.h"

#include "corvane/framework/media/qvtMedia.h"
#include "corvane/framework/objects/qvtEntityFactory.h"
#include "corvane/framework/tasktable/qvtTreeHeader.h"
#include "corvane/framework/tasktable/qvtTreeResizePane.h"
#include "corvane/framework/tasktable/qvtTreeRow.h"

namespace corvane {

void TQVTTreeNode::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory)
{
    media.setStrProperty(name, "typeID", TypeID);
    if (FRow)
        factory.saveChild(name, "row", FRow.get(), media);
    else
        media.setStrProperty(name, "row", EmptyRow);
    factory.saveObjectList(name, "children", media, Fchildren);
}

std::shared_ptr<TQVTGanttObject> TQVTTreeNodePersistence::doLoad(const std::string& name, IQVTMedia& media,
                                                                 TQVTEntityFactory& factory)
{
    auto node = std::make_shared<TQVTTreeNode>();
    std::string rowName;
    media.getStrProperty(name, "row", {}, rowName);
    // The root node's marker names no section: loading it would report a broken document.
    if (rowName != TQVTTreeNode::EmptyRow)
        node->FRow = loadChildAs<TQVTTreeRow>("row", media, factory, node.get());
    node->Fchildren = factory.loadObjectListAs<TQVTTreeNode>(name, "children", media, node.get());
    return node;
}

void TQVTTreeGrid::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory)
{
    const std::string uid = getUID();
    media.setStrProperty(name, "tree", uid);
    // Stored documents carry this spelling; keys are matched without regard to case.
    media.setStrProperty(uid, "TypeID", TypeID);
    factory.saveChild(uid, "header", FHeader.get(), media);
    factory.saveChild(uid, "root node", FRootNode.get(), media);
    media.setColorProperty(uid, "row selected color", FSelectedRowColor);
    media.setColorProperty(uid, "row selected font color", FSelectedRowFontColor);
    media.setColorProperty(uid, "row focused color", FFocusedRowColor);
    media.setColorProperty(uid, "row focused font color", FFocusedRowFontColor);
    factory.saveChild(uid, "vertical pane", FRowsResizePane.get(), media);
    factory.saveChild(uid, "default row settings", FDefaultRowSettings.get(), media);
    factory.saveChild(uid, "default col settings", FDefaultColSettings.get(), media);
}

std::shared_ptr<TQVTGanttObject> TQVTTreeGridPersistence::doLoad(const std::string& name, IQVTMedia& media,
                                                                 TQVTEntityFactory& factory)
{
    auto grid = std::make_shared<TQVTTreeGrid>();
    grid->FHeader = loadChildAs<TQVTTreeHeader>("header", media, factory, grid.get());
    grid->FRootNode = loadChildAs<TQVTTreeNode>("root node", media, factory, grid.get());
    // A missing key keeps the colour the grid is built with.
    media.getColorProperty(name, "row selected color", grid->FSelectedRowColor, grid->FSelectedRowColor);
    media.getColorProperty(name, "row selected font color", grid->FSelectedRowFontColor, grid->FSelectedRowFontColor);
    media.getColorProperty(name, "row focused color", grid->FFocusedRowColor, grid->FFocusedRowColor);
    media.getColorProperty(name, "row focused font color", grid->FFocusedRowFontColor, grid->FFocusedRowFontColor);
    grid->FRowsResizePane = loadChildAs<TQVTTreeRowsResizePane>("vertical pane", media, factory, grid.get());
    grid->FDefaultRowSettings = loadChildAs<TQVTTreeRowSettings>("default row settings", media, factory, grid.get());
    grid->FDefaultColSettings = loadChildAs<TQVTTreeColSettings>("default col settings", media, factory, grid.get());
    return grid;
}

} // namespace corvane
