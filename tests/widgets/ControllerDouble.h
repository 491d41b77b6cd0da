#pragma once
// Stands in for the chart control while an in-place editor is open: records what it is told and,
// on stopEditing, finishes the open editor, frees it at once (inside the editor's own call) and,
// given a data source, runs the edit through its history.

#include "corvane/framework/interaction/qvtDataSource.h"
#include "corvane/framework/objects/qvtGanttObject.h"

#include <QWidget>

#include <gtest/gtest.h>
#include <memory>
#include <tuple>
#include <vector>

namespace corvane::test {

using Told = std::tuple<mouseEvent, int, int>;

class ControllerDouble : public QWidget, public TQVTControllerIntf {
public:
    explicit ControllerDouble(QSize size, TQVTDataSource* source = nullptr) : source(source) { resize(size); }

    void Notify(mouseEvent event, int x, int y) override
    {
        told.emplace_back(event, x, y);
        if (event != stopEditing || !editor)
            return;
        const std::unique_ptr<TQVTObjectEditorIntf> finishing = std::move(editor);
        edit = finishing->FinishEditing();
        ++finished;
        performed = edit && source && source->doOperation(edit);
    }

    /// Opens obj's editor, which is not modal: its edit comes when it ends.
    void open(TQVTGanttObject& obj)
    {
        told.clear();
        edit.reset();
        performed = false;
        editor = obj.CreateEditor();
        editor->SetController(this);
        EXPECT_EQ(editor->edit(&obj), nullptr) << "not modal: the edit comes when it ends";
    }

    TQVTDataSource* source;
    std::unique_ptr<TQVTObjectEditorIntf> editor;
    std::vector<Told> told;
    TQVTOperationPtr edit;
    bool performed = false;
    int finished = 0;
};

} // namespace corvane::test
