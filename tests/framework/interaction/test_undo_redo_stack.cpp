// The history and groups of operations: order, grouping, refusals and failures, events, log.
#include "corvane/framework/interaction/qvtUndoRedoStack.h"
#include "corvane/framework/objects/qvtOperation.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

using namespace corvane;

namespace {

// Appends its name to a shared journal on perform and removes it on undo; can be told to refuse.
class Step : public TQVTOperation {
public:
    Step(std::vector<std::string>& journal, std::string name)
        : TQVTOperation(nullptr), journal(journal), name(std::move(name)) {}

    bool perform() override
    {
        if (refusePerform)
            return false;
        journal.push_back(name);
        return true;
    }
    bool undo() override
    {
        if (refuseUndo || journal.empty() || journal.back() != name)
            return false;
        journal.pop_back();
        return true;
    }

    bool refusePerform = false;
    bool refuseUndo = false;

private:
    std::vector<std::string>& journal;
    std::string name;
};

class History : public ::testing::Test {
protected:
    std::shared_ptr<Step> step(const std::string& name) { return std::make_shared<Step>(journal, name); }
    // Performs and records a new step.
    std::shared_ptr<Step> run(const std::string& name)
    {
        auto op = step(name);
        EXPECT_TRUE(history.doOperation(op));
        return op;
    }

    std::vector<std::string> journal;
    TQVTUndoRedoStack history;
};

using Journal = std::vector<std::string>;

} // namespace

TEST_F(History, DoingOrRefusingAfterAnUndoDropsWhatCouldBeRedone)
{
    run("A");
    run("B");
    ASSERT_TRUE(history.undo());
    run("C");
    EXPECT_EQ(journal, (Journal{"A", "C"}));
    EXPECT_EQ(history.GetRedoOperationCount(), 0);
    EXPECT_FALSE(history.redo());
    ASSERT_TRUE(history.undo());
    ASSERT_TRUE(history.undo());
    EXPECT_TRUE(journal.empty());
    EXPECT_FALSE(history.undo()) << "nothing left";
    ASSERT_TRUE(history.redo());
    ASSERT_TRUE(history.redo());
    EXPECT_EQ(journal, (Journal{"A", "C"}));

    // A refused operation is not recorded but still empties the redo stack.
    ASSERT_TRUE(history.undo());
    auto refusing = step("X");
    refusing->refusePerform = true;
    EXPECT_FALSE(history.doOperation(refusing));
    EXPECT_FALSE(history.doOperation(nullptr));
    EXPECT_EQ(history.GetUndoOperationCount(), 1);
    EXPECT_EQ(history.GetRedoOperationCount(), 0);
    EXPECT_EQ(journal, (Journal{"A"}));
}

TEST_F(History, AGroupIsOneEntryUndoneInReverseAndRedoBypassesAnOpenGroup)
{
    run("A");
    history.startGrouping();
    history.endGrouping();
    EXPECT_EQ(history.GetUndoOperationCount(), 1);

    history.startGrouping();
    run("B");
    run("C");
    run("D");
    EXPECT_EQ(history.GetUndoOperationCount(), 4);
    history.endGrouping();
    EXPECT_EQ(history.GetUndoOperationCount(), 2);
    ASSERT_TRUE(history.undo());
    EXPECT_EQ(journal, (Journal{"A"})) << "the step's undo checks that it is undone last-first";
    ASSERT_TRUE(history.redo());
    EXPECT_EQ(journal, (Journal{"A", "B", "C", "D"}));

    // Redo bypasses an open group; undo closes it.
    ASSERT_TRUE(history.undo());
    run("E");
    ASSERT_TRUE(history.undo());
    history.startGrouping();
    ASSERT_TRUE(history.redo()) << "redo goes onto the undo stack, outside the group";
    run("F");
    EXPECT_EQ(history.GetUndoOperationCount(), 3);
    ASSERT_TRUE(history.undo()) << "closes the group and undoes it";
    EXPECT_EQ(journal, (Journal{"A", "E"}));
    ASSERT_TRUE(history.undo());
    EXPECT_EQ(journal, (Journal{"A"}));
}

TEST_F(History, AFailedUndoOrRedoDropsItsWholeStack)
{
    run("A");
    auto b = run("B");
    b->refuseUndo = true;
    EXPECT_FALSE(history.undo());
    EXPECT_EQ(history.GetUndoOperationCount(), 0);
    EXPECT_EQ(history.GetRedoOperationCount(), 0);

    run("C");
    auto d = run("D");
    ASSERT_TRUE(history.undo());
    ASSERT_TRUE(history.undo());
    d->refusePerform = true;
    ASSERT_TRUE(history.redo());
    EXPECT_FALSE(history.redo());
    EXPECT_EQ(history.GetRedoOperationCount(), 0);
    EXPECT_EQ(history.GetUndoOperationCount(), 1);
}

TEST_F(History, EventsSeeEachOperationAtTheirMomentAndTheDumpListsTheStack)
{
    std::vector<std::string> events;
    history.setOnChange([&](TQVTOperation*) { events.push_back("change"); });
    history.setOnUndo([&](TQVTOperation*) { events.push_back("undo"); });
    history.setOnRedo([&](TQVTOperation*) { events.push_back("redo"); });
    run("A");
    auto b = step("B");
    ASSERT_TRUE(b->perform());
    history.addOperation(b);
    ASSERT_TRUE(history.undo());
    ASSERT_TRUE(history.redo());
    EXPECT_EQ(events, (Journal{"change", "change", "undo", "change", "redo", "change"}));

    // The dump lists the undo stack top first.
    corvane::test::Capture capture;
    history.startGrouping();
    run("B");
    history.endGrouping();
    capture.log.clear();
    history.dumpUndoStack();
    EXPECT_EQ(capture.log, (Journal{"--------- Undo stack entries ----------", "TQVTMultipleOperations", "Step", "Step",
                                    "--------- Undo stack entries ----------"}));
    capture.log.clear();
    ASSERT_TRUE(history.undo());
    ASSERT_FALSE(capture.log.empty());
    EXPECT_EQ(capture.log.front(), "[undoing operation]");
}

TEST(MultipleOperations, ARefusingPartTakesBackThePartsBeforeIt)
{
    Journal journal;
    TQVTMultipleOperations group;
    auto first = std::make_shared<Step>(journal, "first");
    auto second = std::make_shared<Step>(journal, "second");
    group.addOperation(first);
    group.addOperation(nullptr);
    group.addOperation(second);
    EXPECT_EQ(group.count(), 2);
    second->refusePerform = true;
    EXPECT_FALSE(group.perform());
    EXPECT_TRUE(journal.empty()) << "never half done";

    second->refusePerform = false;
    ASSERT_TRUE(group.perform());
    first->refuseUndo = true;
    EXPECT_FALSE(group.undo());
    EXPECT_EQ(journal, (Journal{"first", "second"})) << "a failed undo leaves the group performed";

    group.Disable();
    EXPECT_TRUE(group.empty());
    EXPECT_FALSE(group.perform());
    group.addOperation(first);
    EXPECT_TRUE(group.empty());
}

TEST(HistoryObservers, AreToldEveryChangeButNotARefusalAndOnceMoreWhenTheHistoryGoes)
{
    Journal journal;
    std::vector<std::string> told;
    auto history = std::make_unique<TQVTUndoRedoStack>();
    const int first = history->addObserver([&](bool gone) { told.push_back(gone ? "first gone" : "first"); });
    history->addObserver([&](bool gone) { told.push_back(gone ? "second gone" : "second"); });
    auto refused = std::make_shared<Step>(journal, "refused");
    refused->refusePerform = true;
    EXPECT_FALSE(history->doOperation(refused));
    EXPECT_TRUE(told.empty());
    ASSERT_TRUE(history->doOperation(std::make_shared<Step>(journal, "a")));
    ASSERT_TRUE(history->undo());
    ASSERT_TRUE(history->redo());
    EXPECT_EQ(told.size(), 6u);
    told.clear();
    history->removeObserver(first);
    history->removeObserver(12345);
    history->clear();
    history.reset();
    EXPECT_EQ(told, (std::vector<std::string>{"second", "second gone"}));
}
