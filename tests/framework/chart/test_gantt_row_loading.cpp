// A row's bar list as loaded: each bar once, in the order listed, whatever the file repeats.
#include "corvane/framework/chart/qvtGanttDocument.h"
#include "corvane/framework/chart/qvtGanttRow.h"
#include "corvane/framework/chart/qvtGanttTable.h"

#include "support/DocumentFileTest.h"

#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

namespace {

class GanttRowLoading : public DocumentFileTest {
protected:
    // One row listing the named bars; every name but "Lost" is a task bar section.
    std::shared_ptr<TQVTGanttRow> rowListing(const std::vector<std::string>& names)
    {
        std::string ini = "[root]\ntypeID=Document\ntable=T\ncalendar=Cal\n\n"
                          "[T]\ntypeID=Gantt Table\nrows#count=1\nrows#0=R\n\n"
                          "[R]\ntypeID=Gantt Row\nbars#count=" +
                          std::to_string(names.size()) + "\n";
        for (std::size_t i = 0; i < names.size(); ++i)
            ini += "bars#" + std::to_string(i) + "=" + names[i] + "\n";
        for (const std::string& name : names)
            if (name != "Lost")
                ini += "\n[" + name + "]\ntypeID=Task Bar\n";
        ini += "\n[Cal]\ntypeID=Document Calendar\n";
        const auto document = std::dynamic_pointer_cast<TQVTGanttDocument>(loadFrom(ini));
        if (!document || !document->Ftable || document->Ftable->FRows.size() != 1)
            return nullptr;
        keep = document;
        return document->Ftable->FRows[0];
    }

    static std::vector<std::string> namesOf(const TQVTGanttRow& row)
    {
        std::vector<std::string> names;
        for (const auto& bar : row.FBarList)
            names.push_back(bar->getUID());
        return names;
    }

    std::size_t repairs() const
    {
        std::size_t count = 0;
        for (const std::string& line : capture.log)
            count += line.find("leaves out a bar") != std::string::npos ? 1 : 0;
        return count;
    }

    std::shared_ptr<TQVTGanttDocument> keep;
};

} // namespace

// Short lists are searched, long ones (over 16 bars) go through a set: both ways are checked.
TEST_F(GanttRowLoading, ABarListedTwiceOrMissingIsLeftOut)
{
    std::vector<std::string> longList;
    for (int i = 0; i < 40; ++i)
        longList.push_back("Bar " + std::to_string(i));
    std::vector<std::string> longListed = longList;
    longListed.insert(longListed.begin() + 3, "Lost");
    longListed.push_back("Bar 7");
    longListed.push_back("bar 39");
    // "a" is "A": section names match without regard to case.
    const std::pair<std::vector<std::string>, std::vector<std::string>> cases[] = {
        {{"A", "B", "a", "Lost", "B"}, {"A", "B"}}, {longListed, longList}};
    for (const auto& [listed, kept] : cases) {
        SCOPED_TRACE(listed.size());
        capture.log.clear();
        const auto row = rowListing(listed);
        ASSERT_NE(row, nullptr);
        EXPECT_EQ(namesOf(*row), kept);
        EXPECT_EQ(repairs(), 3u);
    }
}
