// corvane: inspect and convert schedule documents from the command line.

#include "corvane/framework/media/qvtIniFileMedia.h"
#include "corvane/framework/media/qvtMedia.h"
#include "corvane/framework/objects/qvtEntityFactory.h"

#include "calendarReport.h"
#include "documentReport.h"
#include "graphReport.h"
#include "renderCommand.h"

#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

using namespace corvane;

namespace {

constexpr int ExitLoaded = 0;
constexpr int ExitNotLoaded = 2;
constexpr int ExitUsage = 64;

const char* const Usage =
    "usage: corvane info [--json] [STORAGE]\n"
    "       corvane convert SRC DST\n"
    "STORAGE, SRC and DST are storage strings (\"file:///path/plan.ini\", \"default\") or plain paths;\n"
    "without STORAGE, info shows the built-in document.\n";

struct UsageError {
    std::string message;
};

// A plain path means the document file protocol.
std::string toStorage(const std::string& argument)
{
    if (argument.empty() || argument == "default" || argument.find("://") != std::string::npos)
        return argument;
    std::error_code ec;
    const auto absolute = std::filesystem::absolute(argument, ec);
    return "file://" + (ec ? argument : absolute.string());
}

// The document file named by a "file" storage string must exist to be read.
void requireReadableSource(const std::string& storage)
{
    if (TQVTMediaFactory::GetProtocol(storage) != "file")
        return;
    const std::string path = TQVTMediaFactory::GetPath(storage);
    std::error_code ec;
    if (!std::filesystem::exists(path, ec))
        throw EFileError("cannot read \"" + path + "\": no such file");
}

std::shared_ptr<TQVTGanttObject> loadRoot(TQVTEntityFactory& factory, IQVTMedia& media)
{
    return factory.loadObject("root", media, nullptr);
}

int info(const std::vector<std::string>& args)
{
    bool json = false;
    std::vector<std::string> rest;
    for (const auto& arg : args) {
        if (arg == "--json")
            json = true;
        else if (arg.size() > 1 && arg[0] == '-')
            throw UsageError{"unknown option " + arg};
        else
            rest.push_back(arg);
    }
    if (rest.size() > 1)
        throw UsageError{"info takes at most one storage"};
    const std::string storage = toStorage(rest.empty() ? std::string() : rest.front());
    requireReadableSource(storage);
    IQVTMediaPtr media = TQVTMediaFactory::CreateMedia(storage);
    TQVTEntityFactory factory;
    cli::GraphReport report(factory);
    const auto root = loadRoot(factory, *media);
    cli::CalendarSummary calendar;
    const bool hasCalendar = cli::summarizeCalendar(root.get(), calendar);
    cli::DocumentSummary document;
    const bool isDocument = cli::summarizeDocument(root.get(), document);
    if (json) {
        std::string members = isDocument ? cli::documentJsonMember(document) : std::string();
        if (hasCalendar)
            members += (members.empty() ? "" : ",\n") + cli::calendarJsonMember(calendar);
        report.printJson(std::cout, root != nullptr, members);
    } else {
        report.printText(std::cout);
        if (isDocument)
            cli::printDocumentText(std::cout, document);
        if (hasCalendar)
            cli::printCalendarText(std::cout, calendar);
    }
    return root ? ExitLoaded : ExitNotLoaded;
}

int convert(const std::vector<std::string>& args)
{
    if (args.size() != 2)
        throw UsageError{"convert takes SRC and DST"};
    const std::string source = toStorage(args[0]);
    const std::string target = toStorage(args[1]);
    requireReadableSource(source);
    IQVTMediaPtr sourceMedia = TQVTMediaFactory::CreateMedia(source);
    TQVTEntityFactory factory;
    cli::GraphReport report(factory);
    const auto root = loadRoot(factory, *sourceMedia);
    if (!root) {
        report.printText(std::cerr);
        std::cerr << "corvane: the root of " << args[0] << " did not load; nothing written\n";
        return ExitNotLoaded;
    }
    IQVTMediaPtr targetMedia = TQVTMediaFactory::CreateMedia(target);
    auto* targetFile = dynamic_cast<TQVTINIFIle*>(targetMedia.get());
    if (!targetFile)
        throw UsageError{"DST must name an INI document file (.ini)"};
    // The copy holds the source's document only: nothing of an older DST survives. The old
    // DST is replaced by the flush alone, so a save that fails leaves it as it was.
    targetFile->clear();
    factory.saveObject("root", *targetFile, root.get());
    targetFile->flush();
    return ExitLoaded;
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    try {
        if (args.empty())
            throw UsageError{"no command"};
        const std::string& command = args.front();
        const std::vector<std::string> rest(args.begin() + 1, args.end());
        if (command == "info")
            return info(rest);
        if (command == "convert")
            return convert(rest);
        if (command == "render") {
            if (rest.empty())
                throw UsageError{"render takes DOC and OUT"};
            const std::string storage = toStorage(rest.front());
            requireReadableSource(storage);
            return cli::render(rest, storage);
        }
        if (command == "--help" || command == "-h") {
            std::cout << Usage << cli::RenderUsage;
            return 0;
        }
        throw UsageError{"unknown command " + command};
    } catch (const UsageError& e) {
        std::cerr << "corvane: " << e.message << '\n' << Usage << cli::RenderUsage;
        return ExitUsage;
    } catch (const std::exception& e) {
        std::cerr << "corvane: " << e.what() << '\n';
        return ExitNotLoaded;
    }
}
