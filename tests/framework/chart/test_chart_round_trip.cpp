// A document with every bar, connection and PERT kind goes through a file twice unchanged.

#include "corvane/framework/chart/qvtResources.h"
#include "corvane/framework/chart/qvtSpecialBars.h"
#include "corvane/framework/chart/qvtTaskBar.h"
#include "corvane/framework/chart/qvtTextHalo.h"
#include "corvane/framework/rendering/qvtTextSettings.h"
#include "corvane/platform/Graphics.h"

#include "framework/chart/ChartFixture.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>

using namespace corvane;
using namespace corvane::test;

namespace {

std::unique_ptr<TBitmap> picture(int width, int height)
{
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetSize(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bitmap->SetPixel(x, y, static_cast<TColor>((x * 40) | (y * 40) << 8));
    return bitmap;
}

std::shared_ptr<TQVTPictureResource> resource(int width, int height)
{
    auto r = std::make_shared<TQVTPictureResource>("picture");
    r->setGraphic(picture(width, height));
    return r;
}

std::shared_ptr<TQVTPertBarSection> section(TQVTPertBar& box, const std::string& text)
{
    auto s = std::make_shared<TQVTPertBarSection>(std::make_shared<TQVTTextSettings>(), &box);
    s->FText = text;
    return s;
}

class ChartRoundTrip : public ChartFixture {
protected:
    // Rows: 0 group over 1 and 2; 1 dressed task and progress bars; 3 milestone, image, text; boxes on 1, 2, 4.
    void SetUp() override
    {
        auto task = std::make_shared<TQVTTaskBar>(203.25, 207, 0);
        task->FBufferTimeLeft = 0.5;
        task->FBufferTimeRight = 1;
        task->SetProgress(35);
        task->FFixed = true;
        auto& goodie = *task->GetSettings()->FVisualGoodie;
        goodie.FDrawStyle = dsDrawPattern;
        goodie.FPatternFillStyle = bsCross;
        goodie.FStartGlyph = resource(6, 6);
        goodie.FEndGlyph = resource(5, 4);
        task->FTextHalo->TextTop = "top";
        task->FTextHalo->TextCenter = "centre";
        task->FTextHalo->Hint = "hint";
        auto progress = std::make_shared<TQVTProgressBar>(203, 205.5, 0);
        auto milestone = std::make_shared<TQVTMilestoneBar>(210, 211, 0);
        milestone->FPictureResource = resource(9, 9);
        auto image = std::make_shared<TQVTImageBar>(212, 216, 0);
        image->FPictureResource = resource(12, 3);
        image->FAutoStretch = false;
        image->FSettings->borderThickness = 2;
        image->FSettings->borderColor = clRed;
        auto text = std::make_shared<TQVTTextBar>(217, 220, 0);
        text->FText = "A text, with \"quotes\" = and ; [brackets]";
        text->setHeight(33);
        build({{0, {std::make_shared<TQVTSummaryBar>()}},
               {1, {task, progress}, true},
               {1, {std::make_shared<TQVTTaskBar>(208, 209, 0)}, true},
               {0, {milestone, image, text}},
               {0, {std::make_shared<TQVTTaskBar>(221, 224, 0)}, true},
               {0, {std::make_shared<TQVTTaskBar>(225, 226, 0)}}});
        document->FConnectionSettings = std::make_shared<TQVTConnectionSettings>();
        document->FConnectionSettings->FColorSF = clMaroon;

        // Every kind, with distances and flags in several combinations.
        for (int kind = 0; kind < 4; ++kind) {
            auto c = connect(bar(1, 0), bar(4 + kind % 2, 0));
            c->setConnType(kind);
            c->FMinDistance = kind - 1;
            c->FDistanceFixed = kind % 2 == 0;
            c->FWorkingDays = kind < 2;
        }
        connect(bar(2, 0), bar(3, 0)); // to the milestone

        TQVTPertBar& first = *row(1).FPertBar;
        first.Fx = 40;
        first.Fy = 60;
        first.FUserDefinedNumber = "A-1"; // not stored: the file keeps only what it has keys for
        TQVTPertBarSettings looks;
        looks.setWidth(150);
        looks.FBorderColor = clNavy;
        first.applySettings(looks);
        first.FMainSection = section(first, "main");
        first.FTopSection = section(first, "top");
        first.FBottomSection = section(first, "bottom");
        first.FAdditionalSections = {section(first, "more 1"), section(first, "more 2")};
        TQVTPertBar& second = *row(2).FPertBar;
        second.SetPertType(qvtpbtNoTimeSpan);
        second.Fx = 300;
        second.Fy = -20;
        second.FMainSection = section(second, "second");
        row(4).FPertBar->Fx = 600;
        connectBoxes(1, 2);
        connectBoxes(2, 4)->setConnType(1);
        connectBoxes(1, 4);
        table().linkPertBars();
    }

    // What the file does not show directly: kind-specific values, connections, boxes, picture sizes.
    static std::string details(TQVTGanttDocument& d)
    {
        std::ostringstream out;
        const auto pictureSize = [&](const std::shared_ptr<TQVTPictureResource>& p) {
            if (!p)
                out << " -";
            else
                out << " " << p->getGraphic().Width() << "x" << p->getGraphic().Height()
                    << (p->isPlaceholder() ? " placeholder" : "");
        };
        for (const auto& r : d.Ftable->FRows) {
            for (const auto& b : r->FBarList) {
                out << b->ClassName();
                if (auto* t = dynamic_cast<TQVTTaskBar*>(b.get())) {
                    out << " buffers " << t->FBufferTimeLeft << "/" << t->FBufferTimeRight << " progress "
                        << t->getProgress() << " fixed " << t->FFixed << " duration " << t->getEffectiveDuration();
                    const TQVTVisualGoodie* g = t->GetSettings()->FVisualGoodie.get();
                    out << " style " << (g ? int{g->FDrawStyle} : -1) << " pattern "
                        << (g ? int{g->FPatternFillStyle} : -1);
                    if (g) {
                        pictureSize(g->FStartGlyph);
                        pictureSize(g->FEndGlyph);
                    }
                } else if (auto* i = dynamic_cast<TQVTImageBar*>(b.get())) {
                    out << " stretch " << i->FAutoStretch << " frame "
                        << (i->getSettings() ? i->getSettings()->borderThickness : -1);
                    pictureSize(i->FPictureResource);
                } else if (auto* x = dynamic_cast<TQVTTextBar*>(b.get())) {
                    out << " text \"" << x->FText << "\" height " << x->getHeight();
                } else if (auto* s = dynamic_cast<TQVTSummaryBar*>(b.get())) {
                    out << " rows " << s->GetStartRow() << ".." << s->getEndRow();
                }
                if (b->FTextHalo)
                    out << " halo " << b->FTextHalo->TextTop << "|" << b->FTextHalo->TextCenter << "|"
                        << b->FTextHalo->Hint;
                out << "\n";
            }
            if (const auto& box = r->FPertBar) {
                out << "box (" << box->Fx << ", " << box->Fy << ") type " << box->getPertType() << " size "
                    << box->effectiveSettings().FWidth << "x" << box->effectiveSettings().FHeight << " out "
                    << box->outgoingConnections().size() << " in " << box->incomingConnections().size() << ":";
                for (const auto* s : {box->FTopSection.get(), box->FMainSection.get(), box->FBottomSection.get()})
                    out << " [" << (s ? s->FText : "-") << "]";
                for (const auto& s : box->FAdditionalSections)
                    out << " +[" << s->FText << "]";
                out << "\n";
            }
        }
        for (const auto& c : d.connections)
            out << "connection type " << c->getConnType() << " distance " << c->FMinDistance << " fixed "
                << c->FDistanceFixed << " working " << c->FWorkingDays << "\n";
        for (const auto& c : d.Ftable->FPertBarConnections)
            out << "PERT connection type " << c->getConnType() << "\n";
        return out.str();
    }
};

TEST_F(ChartRoundTrip, SavingTheReloadedDocumentGivesTheSameFileAndModel)
{
    const std::string first = saveToFile(document);
    const std::string before = describe() + details(*document);
    capture.log.clear();

    auto loaded = std::dynamic_pointer_cast<TQVTGanttDocument>(loadFile(first));
    ASSERT_TRUE(loaded);
    EXPECT_TRUE(capture.messages.empty());
    // Nothing was repaired or left out on the way.
    for (const std::string& line : capture.log)
        for (const char* word : {"range", "dropped", "placeholder", "cannot", "circular", "twice"})
            EXPECT_EQ(line.find(word), std::string::npos) << line;
    document = loaded;
    const std::string second = saveToFile(document);
    EXPECT_EQ(readFile(second), readFile(first));
    EXPECT_EQ(describe() + details(*document), before);

    // The pictures came back from their side files, beside the document.
    int sideFiles = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        sideFiles += entry.path().extension() == ".bmp";
    EXPECT_EQ(sideFiles, 4);
    const std::string model = details(*document);
    EXPECT_EQ(model.find("placeholder"), std::string::npos) << model;
}

} // namespace
