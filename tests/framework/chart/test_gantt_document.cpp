// The document's keys, load order and connection list, and its connection operations.
#include "corvane/framework/chart/qvtBarConnection.h"
#include "corvane/framework/chart/qvtConnectionOperations.h"
#include "corvane/framework/chart/qvtGanttDocument.h"
#include "corvane/framework/chart/qvtGanttRow.h"
#include "corvane/framework/chart/qvtGanttTable.h"
#include "corvane/framework/chart/qvtTaskBar.h"
#include "corvane/framework/interaction/qvtUndoRedoStack.h"
#include "corvane/framework/objects/qvtDataSourceIntf.h"
#include "corvane/framework/time/qvtCalendar.h"
#include "corvane/platform/DateUtils.h"

#include "support/DocumentFileTest.h"

#include <gtest/gtest.h>
#include <random>

using namespace corvane;
using namespace corvane::test;

namespace {

// Two rows with two task bars each and one connection A -> C.
const char* const TwoRows = "[root]\ntypeID=Document\nstartDate=45000.25\ntable=T\ncalendar=Cal\n"
                            "connections#count=1\nconnections#0=AC\n\n"
                            "[T]\ntypeID=Gantt Table\nrows#count=2\nrows#0=R0\nrows#1=R1\n\n"
                            "[R0]\ntypeID=Gantt Row\nbars#count=2\nbars#0=A\nbars#1=B\n\n"
                            "[R1]\ntypeID=Gantt Row\nbars#count=2\nbars#0=C\nbars#1=D\n\n"
                            "[A]\ntypeID=Task Bar\n\n[B]\ntypeID=Task Bar\n\n[C]\ntypeID=Task Bar\n\n"
                            "[D]\ntypeID=Task Bar\n\n"
                            "[AC]\ntypeID=Bar Connection\nfrom=A\nto=C\ntype=3\ndistance=2\n\n"
                            "[Cal]\ntypeID=Document Calendar\n";

class GanttDocument : public DocumentFileTest {
protected:
    std::shared_ptr<TQVTGanttDocument> load(const std::string& ini)
    {
        return std::dynamic_pointer_cast<TQVTGanttDocument>(loadFrom(ini));
    }
    static std::shared_ptr<TQVTGanttBar> bar(const TQVTGanttDocument& document, int row, int index)
    {
        return document.Ftable->FRows[static_cast<std::size_t>(row)]->FBarList[static_cast<std::size_t>(index)];
    }
};

struct Hooks : TQVTDataSourceIntf {};

} // namespace

TEST_F(GanttDocument, KeysRoundTripTheStartDateSnapsToTheCalendarsUnitAndHintsFallBackToTheTextBarSettings)
{
    const auto document = load("[root]\ntypeID=Document\nstartDate=45001.75\ndate range start=44000\n"
                               "date range end=46000.5\ntime scale under=1\ncalendar=Cal\n\n"
                               "[Cal]\ntypeID=Document Calendar\n");
    ASSERT_NE(document, nullptr);
    EXPECT_EQ(document->getStartDate(), 45001.75);
    EXPECT_EQ(document->FDateRangeStart, 44000);
    EXPECT_EQ(document->FDateRangeEnd, 46000.5);
    EXPECT_TRUE(document->FTimeScaleUnder);

    const auto again = load(readFile(saveToFile(document)));
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->getStartDate(), 45001.75);
    EXPECT_EQ(again->FDateRangeEnd, 46000.5);
    EXPECT_TRUE(again->FTimeScaleUnder);
    EXPECT_NE(again->Fcalendar, nullptr);

    const TDateTime wednesday = EncodeDate(2024, 5, 15) + 0.75;
    document->Fcalendar->SetTimeMode(tmWeek);
    document->setStartDate(wednesday);
    EXPECT_EQ(document->getStartDate(), EncodeDate(2024, 5, 13) + 0.75) << "the Monday, keeping the time of day";
    document->Fcalendar->SetTimeMode(tmDecade);
    document->setStartDate(EncodeDate(1987, 6, 3));
    EXPECT_EQ(document->getStartDate(), EncodeDate(1980, 1, 1));
    document->Fcalendar->SetTimeMode(tmQuarter);
    document->setStartDate(EncodeDate(2024, 8, 20) + 0.5);
    EXPECT_EQ(document->getStartDate(), EncodeDate(2024, 7, 1));

    // Hints fall back to the text bar settings; an empty scale list writes no key.
    const auto hinted = load("[root]\ntypeID=Document\ntext bar settings=TS\nhint text settings=Nowhere\n\n"
                             "[TS]\ntypeID=Text Settings\n");
    ASSERT_NE(hinted, nullptr);
    ASSERT_NE(hinted->FTextBarSettings, nullptr);
    EXPECT_EQ(hinted->FHintTextSettings, hinted->FTextBarSettings);
    EXPECT_EQ(hinted->getHintTextSettings(), hinted->getTextBarSettings());
    const auto saved = readFile(saveToFile(hinted));
    EXPECT_NE(saved.find("hint text settings=TS\n"), std::string::npos) << saved;
    EXPECT_EQ(saved.find("time scales"), std::string::npos);
    const auto reloaded = load(saved);
    ASSERT_NE(reloaded, nullptr);
    EXPECT_EQ(reloaded->FHintTextSettings, reloaded->FTextBarSettings);
}

// A row's PERT box and the bar of a row only the z-order names lie outside the table's rows;
// a bar listed by a second row stays with the first.
TEST_F(GanttDocument, LoadingDropsConnectionsToBarsOutsideTheTablesRowsAndKeepsKindAndDistance)
{
    std::string ini = TwoRows;
    const auto replace = [&ini](const std::string& from, const std::string& to) {
        ASSERT_NE(ini.find(from), std::string::npos) << from;
        ini.replace(ini.find(from), from.size(), to);
    };
    replace("connections#count=1\nconnections#0=AC\n", "connections#count=6\nconnections#0=AP\nconnections#1=AC\n"
                                                       "connections#2=ZC\nconnections#3=CA\nconnections#4=AC\n"
                                                       "connections#5=ZC\n");
    replace("rows#1=R1\n", "rows#1=R1\nrowszorder#count=1\nrowszorder#0=RZ\n");
    replace("bars#0=A\nbars#1=B\n", "bars#0=A\nbars#1=B\npert bar=P\n");
    replace("bars#count=2\nbars#0=C\nbars#1=D\n", "bars#count=3\nbars#0=C\nbars#1=D\nbars#2=A\n");
    ini += "\n[P]\ntypeID=Pert Bar\n\n[RZ]\ntypeID=Gantt Row\nbars#count=1\nbars#0=Z\n\n[Z]\ntypeID=Task Bar\n\n"
           "[AP]\ntypeID=Bar Connection\nfrom=A\nto=P\n\n[ZC]\ntypeID=Bar Connection\nfrom=Z\nto=C\n\n"
           "[CA]\ntypeID=Bar Connection\nfrom=C\nto=A\n";
    const auto document = load(ini);
    ASSERT_NE(document, nullptr);
    ASSERT_EQ(document->Ftable->FRows[1]->FBarList.size(), 2u);
    ASSERT_EQ(document->connections.size(), 2u);
    EXPECT_EQ(document->connections[0]->getUID(), "AC");
    EXPECT_EQ(document->connections[1]->getUID(), "CA");
    EXPECT_EQ(document->connections[1]->barTo, bar(*document, 0, 0));
    std::vector<std::string> dropped;
    for (const std::string& line : capture.log)
        if (line.find("Connection \"") != std::string::npos)
            dropped.push_back(line);
    const std::string why = "\" does not join two bars of the table's rows; dropped";
    EXPECT_EQ(dropped,
              (std::vector<std::string>{"Connection \"AP" + why, "Connection \"ZC" + why, "Connection \"ZC" + why}));

    // Kind and distance survive a save; absent keys load the distance as fixed.
    const TQVTBarConnection* ac = document->getConnection(0);
    EXPECT_EQ(ac->getConnType(), TQVTBarConnection::StartToStart);
    EXPECT_EQ(ac->FMinDistance, 2);
    EXPECT_TRUE(ac->FDistanceFixed);
    EXPECT_EQ(document->getConnection(2), nullptr);
    EXPECT_EQ(document->getConnection(-1), nullptr);
    const auto again = load(readFile(saveToFile(document)));
    ASSERT_EQ(again->countConnections(), 2);
    EXPECT_EQ(again->getConnection(0)->getConnType(), TQVTBarConnection::StartToStart);
    EXPECT_EQ(again->getConnection(0)->FMinDistance, 2);
}

TEST_F(GanttDocument, TheListAndItsOperationsTakeAConnectionOnceAskTheHooksAndUndoExactly)
{
    const auto document = load(TwoRows);
    ASSERT_NE(document, nullptr);
    // The list takes a connection once and finds it both ways only when asked.
    auto* const barA = bar(*document, 0, 0).get();
    auto* const barC = bar(*document, 1, 0).get();
    const TQVTBarConnection* listed = document->getConnection(0);
    EXPECT_EQ(document->findConnection(barC, barA, -1), listed);
    EXPECT_EQ(document->findConnection(barC, barA, 3), nullptr);
    EXPECT_EQ(document->findConnection(barA, barC, 3), listed);
    EXPECT_EQ(document->findConnection(barA, barC, 4), listed);
    EXPECT_EQ(document->findConnection(barA, barC, 1), nullptr);

    const auto bd = std::make_shared<TQVTBarConnection>(bar(*document, 0, 1), bar(*document, 1, 1), 1);
    EXPECT_TRUE(document->addConnection(bd, 0));
    EXPECT_FALSE(document->addConnection(bd));
    EXPECT_EQ(document->getConnectionIndex(bd.get()), 0);
    EXPECT_EQ(bd->getParent(), document.get());
    EXPECT_EQ(document->removeConnection(bd.get()), 0);
    EXPECT_EQ(document->removeConnection(bd.get()), -1);
    EXPECT_EQ(bd->getParent(), nullptr);

    const std::string original = readFile(saveToFile(document));
    Hooks hooks;
    TQVTUndoRedoStack history;
    const auto ac = document->connections[0];
    // A second connection between the same bars: undoing its add must leave AC alone.
    const auto again = std::make_shared<TQVTBarConnection>(ac->barFrom, ac->barTo, 1);

    bool veto = true;
    hooks.OnBeforeConnectionAdd = [&](TQVTBarConnection*, bool& cancel) { cancel = veto; };
    EXPECT_FALSE(history.doOperation(std::make_shared<TQVTConnectionAddOperation>(&hooks, document.get(), again)));
    EXPECT_EQ(history.GetUndoOperationCount(), 0);
    EXPECT_EQ(document->countConnections(), 1);

    veto = false;
    std::vector<TQVTBarConnection*> added;
    hooks.OnAfterConnectionAdd = [&](TQVTBarConnection* c) { added.push_back(c); };
    ASSERT_TRUE(history.doOperation(std::make_shared<TQVTConnectionAddOperation>(&hooks, document.get(), again)));
    EXPECT_EQ(added, std::vector<TQVTBarConnection*>{again.get()});
    EXPECT_FALSE(history.doOperation(std::make_shared<TQVTConnectionAddOperation>(&hooks, document.get(), again)))
        << "an add that changes nothing is refused";

    ASSERT_TRUE(history.doOperation(std::make_shared<TQVTConnectionDeleteOperation>(&hooks, document.get(), ac)));
    EXPECT_EQ(document->connections, std::vector<std::shared_ptr<TQVTBarConnection>>{again});
    ASSERT_TRUE(history.undo());
    EXPECT_EQ(document->getConnectionIndex(ac.get()), 0) << "back at the index it had";
    ASSERT_TRUE(history.undo());
    EXPECT_EQ(document->connections, std::vector<std::shared_ptr<TQVTBarConnection>>{ac});
    EXPECT_EQ(readFile(saveToFile(document)), original);
}

TEST_F(GanttDocument, DistanceViolationsMoveEachBarOnceAndOnlyThroughConnectionsTheChangedBarReaches)
{
    const auto document = load(TwoRows); // A -> C start-to-start, distance 2
    ASSERT_NE(document, nullptr);
    const auto a = bar(*document, 0, 0);
    const auto b = bar(*document, 0, 1);
    const auto c = bar(*document, 1, 0);
    const auto d = bar(*document, 1, 1);
    // Each connected bar moves once, and the moves undo as one.
    a->setPeriod(45000, 45002);
    c->setPeriod(45001, 45003);
    d->setPeriod(44000, 44001);
    ASSERT_EQ(document->connections[0]->findViolationOffset(), 1);

    const auto moves = document->resolveDistanceViolations(a.get());
    ASSERT_EQ(moves->count(), 1);
    EXPECT_EQ(c->getStartDate(), 45002);
    EXPECT_EQ(document->connections[0]->findViolationOffset(), 0);
    EXPECT_TRUE(document->resolveDistanceViolations(a.get())->empty()) << "nothing left to resolve";

    ASSERT_TRUE(moves->undo());
    EXPECT_EQ(c->getStartDate(), 45001);

    // A range taken by another bar of the row is never moved into.
    d->setPeriod(45002, 45004);
    EXPECT_TRUE(document->resolveDistanceViolations(a.get())->empty());
    EXPECT_EQ(c->getStartDate(), 45001);

    EXPECT_EQ(document->connectionsAt(a.get()), std::vector<TQVTBarConnection*>{document->connections[0].get()});
    a->setPeriod(45000, 45002);
    c->setPeriod(45001, 45003);
    b->setPeriod(45010, 45012);
    d->setPeriod(45020, 45022);

    // B -> D is added, then re-filed under another end while in the list, then removed.
    const auto bd = std::make_shared<TQVTBarConnection>(b, d, TQVTBarConnection::FinishToStart);
    ASSERT_TRUE(document->addConnection(bd));
    EXPECT_EQ(document->connectionsAt(d.get()), std::vector<TQVTBarConnection*>{bd.get()});
    bd->barTo = c;
    ASSERT_EQ(document->removeConnection(bd.get()), 1);
    EXPECT_TRUE(document->connectionsAt(b.get()).empty());
    EXPECT_TRUE(document->connectionsAt(d.get()).empty());
    EXPECT_EQ(document->connectionsAt(c.get()).size(), 1u);

    // A violated connection between B and D is not D's change when only D's neighbour A moved.
    bd->barTo = d;
    bd->FMinDistance = 30;
    ASSERT_TRUE(document->addConnection(bd));
    ASSERT_NE(bd->findViolationOffset(), 0);
    EXPECT_EQ(document->resolveDistanceViolations(a.get())->count(), 1) << "C follows A";
    EXPECT_EQ(d->getStartDate(), 45020) << "D does not move for a change of A";
    EXPECT_FALSE(document->resolveDistanceViolations(b.get())->empty()) << "a change of B moves D";
}

// Random changes over enough bars that the index grows: each bar's list follows, in order.
TEST_F(GanttDocument, TheIndexOfConnectionsByBarFollowsEveryChangeOfTheList)
{
    const auto document = load(TwoRows);
    ASSERT_NE(document, nullptr);
    std::vector<std::shared_ptr<TQVTGanttBar>> bars;
    for (int i = 0; i < 120; ++i)
        bars.push_back(std::make_shared<TQVTTaskBar>());
    struct Filed {
        std::shared_ptr<TQVTBarConnection> connection;
        const TQVTGanttBar* from;
        const TQVTGanttBar* to;
    };
    std::vector<Filed> filed;
    for (const auto& c : document->connections)
        filed.push_back({c, c->barFrom.get(), c->barTo.get()});
    std::vector<std::shared_ptr<TQVTBarConnection>> removed;
    ASSERT_EQ(document->connectionsAt(bars[0].get()).size(), 0u);
    std::mt19937 random(7);
    const auto pick = [&random](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(random); };
    for (int step = 0; step < 3000; ++step) {
        const std::size_t action = pick(10);
        if (action < 5 || filed.empty()) {
            // A bar joined to itself now and then.
            const auto& from = bars[pick(bars.size())];
            const auto& to = pick(8) == 0 ? from : bars[pick(bars.size())];
            std::shared_ptr<TQVTBarConnection> c;
            if (!removed.empty() && pick(2) == 0) {
                c = removed.back();
                removed.pop_back();
            } else {
                c = std::make_shared<TQVTBarConnection>(from, to, TQVTBarConnection::FinishToStart);
            }
            ASSERT_TRUE(document->addConnection(c, static_cast<int>(pick(filed.size() + 1))));
            filed.push_back({c, c->barFrom.get(), c->barTo.get()});
        } else if (action < 8) {
            const std::size_t k = pick(filed.size());
            ASSERT_GE(document->removeConnection(filed[k].connection.get()), 0);
            removed.push_back(filed[k].connection);
            filed.erase(filed.begin() + static_cast<long>(k));
        } else {
            // A replaced end leaves the connection filed where it was until it leaves the list.
            filed[pick(filed.size())].connection->barTo = bars[pick(bars.size())];
        }
        const auto& probe = bars[pick(bars.size())];
        std::vector<TQVTBarConnection*> expected;
        for (const Filed& f : filed)
            if (f.from == probe.get() || f.to == probe.get())
                expected.push_back(f.connection.get());
        ASSERT_EQ(document->connectionsAt(probe.get()), expected) << "step " << step;
    }
}
