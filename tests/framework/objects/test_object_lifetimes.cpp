// Back references, sharing and saving on structures that once dangled, repeated or recursed.
#include "corvane/framework/chart/qvtBarConnection.h"
#include "corvane/framework/chart/qvtGanttBar.h"
#include "corvane/framework/chart/qvtGanttDocument.h"
#include "corvane/framework/chart/qvtGanttRow.h"
#include "corvane/framework/media/qvtIniFileMedia.h"
#include "corvane/framework/objects/qvtEntityFactory.h"
#include "corvane/framework/tasktable/qvtTreeGrid.h"

#include "support/DocumentFileTest.h"
#include "support/HostileDocuments.h"

#include <gtest/gtest.h>
#include <utility>
#include <vector>

using namespace corvane;
using namespace corvane::test;

namespace {

class ObjectLifetimes : public DocumentFileTest {};

// The deepest chain of tree-node ownership below node, walked without recursion.
int ownershipDepth(const std::shared_ptr<TQVTTreeNode>& node)
{
    int deepest = 0;
    std::vector<std::pair<const TQVTTreeNode*, int>> open{{node.get(), 1}};
    while (!open.empty()) {
        const auto [current, depth] = open.back();
        open.pop_back();
        deepest = std::max(deepest, depth);
        for (const auto& child : current->Fchildren)
            if (child)
                open.emplace_back(child.get(), depth + 1);
    }
    return deepest;
}

std::shared_ptr<TQVTTreeNode> rootNodeOf(const std::shared_ptr<TQVTGanttObject>& root)
{
    const auto document = std::dynamic_pointer_cast<TQVTGanttDocument>(root);
    if (!document || !document->FTree)
        return nullptr;
    return document->FTree->FRootNode;
}

} // namespace

TEST_F(ObjectLifetimes, BackReferencesFollowFreeingAndReparentingAndNeverCycle)
{
    auto document = std::make_shared<TQVTGanttDocument>();
    auto parent = std::make_shared<TQVTGanttRow>();
    const auto child = std::make_shared<TQVTGanttObject>();
    parent->setParent(document.get());
    child->setParent(parent.get());
    EXPECT_EQ(child->GetDocumentSetup(), document.get());

    document.reset();
    EXPECT_EQ(parent->getParent(), nullptr);
    EXPECT_THROW(child->GetDocumentSetup(), EInvalidCast) << "the cached document is gone with the document";
    parent.reset();
    EXPECT_EQ(child->getParent(), nullptr);

    auto first = std::make_shared<TQVTGanttDocument>();
    const auto second = std::make_shared<TQVTGanttDocument>();
    const auto row = std::make_shared<TQVTGanttRow>();
    const auto bar = std::make_shared<TQVTGanttObject>();
    row->setParent(first.get());
    bar->setParent(row.get());
    ASSERT_EQ(bar->GetDocumentSetup(), first.get());

    // Moving an ancestor, not the object itself, must also refresh the object's answer.
    row->setParent(second.get());
    first.reset();
    EXPECT_EQ(bar->GetDocumentSetup(), second.get());
    bar->setParent(nullptr);
    EXPECT_THROW(bar->GetDocumentSetup(), EInvalidCast) << "a cached document is dropped on reparenting";

    const auto a = std::make_shared<TQVTGanttObject>();
    const auto b = std::make_shared<TQVTGanttObject>();
    b->setParent(a.get());
    EXPECT_THROW(a->setParent(b.get()), EInvalidOperation);
    EXPECT_THROW(a->setParent(a.get()), EInvalidOperation);
    EXPECT_EQ(a->getParent(), nullptr);
}

TEST_F(ObjectLifetimes, SavingARowLoadedAsTheTableReadsNoFreedMemory)
{
    // The table reference names a row, so only the loader keeps that row alive; its bar and the
    // connection to itself lie in no row of a table.
    const auto root = loadFrom("[root]\ntypeID=Document\ntable=X\nconnections#count=1\nconnections#0=C\n\n"
                               "[X]\ntypeID=Gantt Row\nbars#count=1\nbars#0=B\n\n[B]\ntypeID=Text Bar\n\n"
                               "[C]\ntypeID=Bar Connection\nfrom=B\nto=B\n");
    const auto document = std::dynamic_pointer_cast<TQVTGanttDocument>(root);
    ASSERT_NE(document, nullptr);
    EXPECT_EQ(document->Ftable, nullptr);
    EXPECT_TRUE(document->connections.empty()) << "a connection between bars of no table row is dropped";
    const auto path = saveToFile(root);
    EXPECT_NE(loadFile(path), nullptr);
}

TEST_F(ObjectLifetimes, ASharedSubtreeIsWrittenOncePerSave)
{
    // Saved once per path this would write 2^40 sections.
    const auto root = loadFrom(sharedSubtreeDocument(40));
    ASSERT_NE(root, nullptr);
    const auto saved = readFile(saveToFile(root));
    std::size_t nodes = 0;
    for (auto at = saved.find("typeID=Tree Node"); at != std::string::npos; at = saved.find("typeID=Tree Node", at + 1))
        ++nodes;
    EXPECT_EQ(nodes, 41u);
    // The next save writes everything again.
    EXPECT_EQ(readFile(saveToFile(root)), saved);
}

TEST_F(ObjectLifetimes, SharingNeverNestsOwnershipPastTheCapAndCaseVariantsAreOneObject)
{
    const auto chainsRoot = loadFrom(sharedChainsDocument(20));
    const auto chains = rootNodeOf(chainsRoot);
    ASSERT_NE(chains, nullptr);
    EXPECT_LE(ownershipDepth(chains), TQVTEntityFactory::MaxLoadDepth);
    EXPECT_FALSE(capture.messages.empty()) << "the refused references are reported";

    const auto variantsRoot = loadFrom(caseVariantsDocument(64));
    const auto variants = rootNodeOf(variantsRoot);
    ASSERT_NE(variants, nullptr);
    for (const auto& child : variants->Fchildren)
        EXPECT_EQ(child, nullptr) << "every variant names the node itself, which is still loading";
}

TEST_F(ObjectLifetimes, AReferenceCallbackThatLoadsLeavesTheSharedReferenceIntact)
{
    std::string text = "[root]\ntypeID=Tree Node\nrow=empty\nchildren#count=2\nchildren#0=A\nchildren#1=A\n\n"
                       "[A]\ntypeID=Tree Node\nrow=empty\n";
    for (int i = 0; i < 200; ++i)
        text += "\n[X" + std::to_string(i) + "]\ntypeID=Tree Node\nrow=empty\n";
    const auto path = dir.file("callback.ini");
    writeFile(path, text);
    TQVTINIFIle media(path);
    TQVTEntityFactory factory;
    int loaded = 0;
    factory.OnReference = [&](const TQVTReferenceEvent& event) {
        // Loading more sections from the callback grows the factory's list of loaded sections.
        if (event.kind == TQVTReferenceEvent::Shared)
            while (loaded < 200)
                factory.loadObject("X" + std::to_string(loaded++), media, nullptr);
    };
    const auto tree = std::dynamic_pointer_cast<TQVTTreeNode>(factory.loadObject("root", media, nullptr));
    ASSERT_NE(tree, nullptr);
    ASSERT_EQ(tree->Fchildren.size(), 2u);
    EXPECT_NE(tree->Fchildren[1], nullptr);
    EXPECT_EQ(tree->Fchildren[0], tree->Fchildren[1]);
}

TEST_F(ObjectLifetimes, ARemovedPartStaysRemovedWhenTheDocumentIsSavedOverItsOwnFile)
{
    const auto path = dir.file("own.ini");
    writeFile(path, "[root]\ntypeID=Document\ncalendar=Cal\nlegend=L\n\n[Cal]\ntypeID=Document Calendar\n\n"
                    "[L]\ntypeID=Legend\n");
    const auto document = std::dynamic_pointer_cast<TQVTGanttDocument>(loadFile(path));
    ASSERT_NE(document, nullptr);
    ASSERT_NE(document->Fcalendar, nullptr);
    ASSERT_NE(document->FLegend, nullptr);
    document->Fcalendar.reset();
    document->FLegend.reset();
    {
        auto media = TQVTMediaFactory::CreateMedia("file://" + path);
        TQVTEntityFactory factory;
        factory.saveObject("root", *media, document.get());
        media->flush();
    }
    const auto reloaded = std::dynamic_pointer_cast<TQVTGanttDocument>(loadFile(path));
    ASSERT_NE(reloaded, nullptr);
    EXPECT_EQ(reloaded->Fcalendar, nullptr);
    EXPECT_EQ(reloaded->FLegend, nullptr);
}
