// Whole charts as exported, compared pixel for pixel with tests/data/charts. To regenerate:
//   CORVANE_UPDATE_GALLERY=1 QT_QPA_PLATFORM=offscreen <build>/tests/test_chart_pictures
// and look at the new pictures before committing them.

#include "corvane/widgets/qvtGanttGraph.h"

#include "corvane/framework/chart/qvtGanttDocument.h"
#include "corvane/framework/chart/qvtGanttRow.h"
#include "corvane/framework/chart/qvtGanttTable.h"
#include "corvane/framework/chart/qvtSpecialBars.h"
#include "corvane/framework/interaction/qvtDataSource.h"
#include "corvane/framework/localization/qvtLocalization.h"
#include "corvane/framework/tasktable/qvtTreeGrid.h"
#include "corvane/framework/time/qvtCalendar.h"
#include "corvane/platform/DateUtils.h"
#include "corvane/platform/FormatSettings.h"

#include "support/ReferencePicture.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

using namespace corvane;
using namespace corvane::test;

namespace {

class ChartPictures : public ::testing::Test {
protected:
    void SetUp() override
    {
        CreateDefaultRessources_ENG();
        SetFormatSettings("en");
    }

    void open(const std::string& path)
    {
        ds.setStorage(path.empty() ? std::string() : "file://" + path);
        graph.setDataSource(&ds);
    }

    // A document that stores no start date opens at today. The pictures start at its first bar
    // instead, or at a fixed Monday without bars, so that they do not change with the day.
    TDateTime pinStart()
    {
        const TDateTime firstBar = ds.GetTable()->CalculateStartDate();
        ds.root()->setStartDate(firstBar != 0 ? std::trunc(firstBar) : EncodeDate(2026, 12, 7));
        return ds.root()->getStartDate();
    }

    void expectPicture(const std::string& name, int firstRow, int lastRow, TDateTime from, TDateTime to)
    {
        TBitmap picture;
        graph.PaintToBitmap(&picture, firstRow, lastRow, from, to);
        expectMatchesReference(picture, "charts/" + name + ".png");
    }

    // What a file does not hold: a text bar and an image bar, date lines, resource labels, row
    // labels, and the legend printed under the chart. (An export shows no focus or selection.)
    void decorate()
    {
        TQVTGanttDocument* doc = ds.root();
        TQVTGanttTable* table = ds.GetTable();
        const TDateTime start = doc->getStartDate();
        auto text = std::make_shared<TQVTTextBar>(start + 9, start + 13, 5);
        text->FText = "Review the plan with the customer";
        ASSERT_TRUE(ds.BarAdd(text, 5));
        auto image = std::make_shared<TQVTImageBar>(start + 16, start + 19, 5);
        image->FPictureResource = table->getRow(0)->getBarOfKind<TQVTMilestoneBar>(0)
                                      ? table->getRow(0)->getBarOfKind<TQVTMilestoneBar>(0)->FPictureResource
                                      : nullptr;
        ASSERT_TRUE(ds.BarAdd(image, 5));
        table->FDateLine.Visible = true;
        table->FDateLine.Date = start + 4;
        table->FDateLine.PenWidth = 3;
        table->FDateLine.Color = clRed;
        table->FDateLine.Caption = "Gate";
        table->FDateLine2.Visible = true;
        table->FDateLine2.Date = start + 11;
        table->FDateLine2.PenStyle = psDot;
        table->FDateLine2.Color = clNavy;
        table->getRow(2)->AddRessourceLabel(start + 1, start + 5, 0x00C0FFC0, clBlack, "Anna", "", 0);
        table->getRow(3)->AddRessourceLabel(start + 2, start + 8, 0x1FFFFFFF, clBlack, "Ben", "Carla", 1);
        table->getRow(4)->FRowLabelMode = 2;
        table->getRow(4)->FRowUpperLabel = "A";
        table->getRow(4)->FRowLowerLabel = "B";
        doc->FPrintLegend = true;
        doc->FPrintLegendUnder = true;
    }

    TQVTDataSource ds;
    TQVTGanttGraph graph;
};

TEST_F(ChartPictures, TheBuiltInDocumentAndEveryExample)
{
    open("");
    const TDateTime start = pinStart();
    expectPicture("built-in", 0, 0, start, start + 21);
    for (const auto& entry : std::filesystem::directory_iterator(std::string(CORVANE_SOURCE_DIR) + "/examples")) {
        if (entry.path().extension() != ".ini")
            continue;
        SCOPED_TRACE(entry.path().string());
        open(entry.path().string());
        const TDateTime exampleStart = pinStart();
        expectPicture("example-" + entry.path().stem().string(), 0, ds.GetTable()->countRows() - 1,
                      exampleStart, exampleStart + 21);
    }
}

TEST_F(ChartPictures, AGeneratedPlanInEveryTimeUnit)
{
    open(std::string(CORVANE_TEST_DATA) + "/charts/generated-plan.ini");
    decorate();
    const struct {
        TQVTTimeMode mode;
        const char* name;
        double span; // days shown
    } units[] = {{tmHour, "hours", 2},   {tmDay, "days", 28},      {tmWeek, "weeks", 120},  {tmMonth, "months", 420},
                 {tmQuarter, "quarters", 1100}, {tmYear, "years", 3000}, {tmDecade, "decades", 12000}};
    const TDateTime planStart = ds.root()->getStartDate();
    for (const auto& unit : units) {
        SCOPED_TRACE(unit.name);
        ds.root()->getCalendar()->SetTimeMode(unit.mode);
        expectPicture(std::string("generated-") + unit.name, 0, ds.GetTable()->countRows() - 1, planStart,
                      planStart + unit.span);
    }
}

} // namespace
