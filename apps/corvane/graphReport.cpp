#include "graphReport.h"

#include "corvane/framework/objects/qvtCommon.h"
#include "corvane/platform/Dialogs.h"

#include "json.h"

namespace corvane::cli {

namespace {

std::string statusOf(TQVTReferenceEvent::Kind kind)
{
    switch (kind) {
    case TQVTReferenceEvent::Shared:
        return "shared";
    case TQVTReferenceEvent::Circular:
        return "circular";
    case TQVTReferenceEvent::Missing:
        return "missing";
    case TQVTReferenceEvent::TooDeep:
        return "too deep";
    default:
        return "loaded";
    }
}

std::string referenceLabel(const ReferenceNode& node)
{
    if (node.key.empty())
        return {};
    return node.index >= 0 ? node.key + "[" + std::to_string(node.index) + "]" : node.key;
}

void printNode(std::ostream& out, const ReferenceNode& node, int depth)
{
    out << std::string(static_cast<std::size_t>(depth) * 2, ' ');
    const std::string label = referenceLabel(node);
    if (!label.empty())
        out << label << " -> ";
    if (node.status == "missing") {
        out << "(missing)\n";
        return;
    }
    out << '"' << node.section << '"';
    if (!node.typeID.empty())
        out << "  typeID \"" << node.typeID << '"';
    if (!node.className.empty())
        out << "  " << node.className;
    if (node.status != "loaded")
        out << "  (" << node.status << ")";
    out << '\n';
    for (const auto& child : node.children)
        printNode(out, *child, depth + 1);
}

void printJsonNode(std::ostream& out, const ReferenceNode& node, int depth)
{
    const std::string pad(static_cast<std::size_t>(depth) * 2, ' ');
    out << pad << "{\"key\": " << jsonString(node.key) << ", \"index\": " << node.index
        << ", \"section\": " << jsonString(node.section) << ", \"typeID\": " << jsonString(node.typeID)
        << ", \"class\": " << jsonString(node.className) << ", \"status\": " << jsonString(node.status)
        << ", \"children\": [";
    if (!node.children.empty()) {
        out << '\n';
        for (std::size_t i = 0; i < node.children.size(); ++i) {
            printJsonNode(out, *node.children[i], depth + 1);
            out << (i + 1 < node.children.size() ? ",\n" : "\n");
        }
        out << pad;
    }
    out << "]}";
}

} // namespace

GraphReport::GraphReport(TQVTEntityFactory& factory)
{
    factory.OnReference = [this](const TQVTReferenceEvent& event) { onReference(event); };
    SetShowMessageHandler([this](const std::string& text) { messages.push_back(text); });
    SetLogObserver([this](const std::string& line) { logLines.push_back(line); });
}

GraphReport::~GraphReport()
{
    SetShowMessageHandler(nullptr);
    SetLogObserver(nullptr);
}

void GraphReport::onReference(const TQVTReferenceEvent& event)
{
    if (event.kind == TQVTReferenceEvent::Leave) {
        if (open.empty())
            return;
        ReferenceNode* node = open.back();
        open.pop_back();
        if (event.object)
            node->className = event.object->ClassName();
        else
            node->status = "failed";
        return;
    }
    auto node = std::make_unique<ReferenceNode>();
    node->key = event.key;
    node->index = event.index;
    node->section = event.name;
    node->typeID = event.typeID;
    node->status = statusOf(event.kind);
    if (event.object)
        node->className = event.object->ClassName();
    ReferenceNode* raw = node.get();
    if (open.empty())
        roots.push_back(std::move(node));
    else
        open.back()->children.push_back(std::move(node));
    if (event.kind == TQVTReferenceEvent::Enter)
        open.push_back(raw);
}

void GraphReport::printText(std::ostream& out) const
{
    for (const auto& root : roots)
        printNode(out, *root, 0);
    out << "\nMessages (" << messages.size() << "):\n";
    for (const auto& message : messages)
        out << "  " << message << '\n';
    out << "\nLog (" << logLines.size() << "):\n";
    for (const auto& line : logLines)
        out << "  " << line << '\n';
}

void GraphReport::printJson(std::ostream& out, bool rootLoaded, const std::string& extraMembers) const
{
    out << "{\n\"loaded\": " << (rootLoaded ? "true" : "false") << ",\n";
    if (!extraMembers.empty())
        out << extraMembers << ",\n";
    out << "\"graph\": [\n";
    for (std::size_t i = 0; i < roots.size(); ++i) {
        printJsonNode(out, *roots[i], 1);
        out << (i + 1 < roots.size() ? ",\n" : "\n");
    }
    out << "],\n\"messages\": " << jsonStrings(messages) << ",\n\"log\": " << jsonStrings(logLines) << "\n}\n";
}

} // namespace corvane::cli
