#include "renderCommand.h"

#include "corvane/framework/chart/qvtGanttDocument.h"
#include "corvane/framework/chart/qvtGanttTable.h"
#include "corvane/framework/interaction/qvtDataSource.h"
#include "corvane/framework/tasktable/qvtTreeGrid.h"
#include "corvane/framework/time/qvtCalendar.h"
#include "corvane/platform/DateUtils.h"
#include "corvane/widgets/qvtGanttGraph.h"

#include <QApplication>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <optional>
#include <regex>

namespace corvane::cli {

const char* const RenderUsage =
    "       corvane render DOC OUT.{png,jpg,bmp,pdf} [--width N] [--rows FIRST-LAST] [--from YYYY-MM-DD]\n"
    "                      [--to YYYY-MM-DD] [--zoom hour|day|week|month|quarter|year|decade]\n"
    "render paints the task table and the chart of rows FIRST..LAST (all rows by default) from --from\n"
    "(the document's start) to --to (as many time units as fit into --width pixels beside the task\n"
    "table, 1600 by default).\n";

namespace {

constexpr int ExitWritten = 0;
constexpr int ExitFailed = 2;
constexpr int ExitUsage = 64;

struct BadOption {
    std::string message;
};

struct RenderOptions {
    std::string output;
    int width = 1600;
    std::optional<std::pair<int, int>> rows;
    std::optional<TDateTime> from, to;
    std::optional<TQVTTimeMode> zoom;
};

int parseInt(const std::string& text, const std::string& option, int lo, int hi)
{
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || value < lo || value > hi)
        throw BadOption{option + " needs a whole number from " + std::to_string(lo) + " to " + std::to_string(hi)};
    return static_cast<int>(value);
}

TDateTime parseDate(const std::string& text, const std::string& option)
{
    static const std::regex form(R"((\d{4})-(\d{2})-(\d{2}))");
    std::smatch m;
    if (std::regex_match(text, m, form)) {
        const int year = std::stoi(m[1]), month = std::stoi(m[2]), day = std::stoi(m[3]);
        if (year >= 1900 && month >= 1 && month <= 12 && day >= 1 && day <= DaysInAMonth(year, month))
            return EncodeDate(year, month, day);
    }
    throw BadOption{option + " needs a date written YYYY-MM-DD"};
}

RenderOptions parseOptions(const std::vector<std::string>& args)
{
    static const std::map<std::string, TQVTTimeMode> zooms = {{"hour", tmHour},   {"day", tmDay},
                                                              {"week", tmWeek},   {"month", tmMonth},
                                                              {"quarter", tmQuarter}, {"year", tmYear},
                                                              {"decade", tmDecade}};
    RenderOptions options;
    if (args.size() < 2)
        throw BadOption{"render takes DOC and OUT"};
    options.output = args[1];
    const std::string ext = std::filesystem::path(options.output).extension().string();
    if (ext != ".png" && ext != ".jpg" && ext != ".jpeg" && ext != ".bmp" && ext != ".pdf")
        throw BadOption{"OUT must end in .png, .jpg, .bmp or .pdf"};
    for (std::size_t i = 2; i < args.size(); ++i) {
        const std::string& option = args[i];
        if (i + 1 >= args.size())
            throw BadOption{option.rfind("--", 0) == 0 ? option + " needs a value" : "unexpected " + option};
        const std::string& value = args[++i];
        if (option == "--width") {
            options.width = parseInt(value, option, 1, 100000);
        } else if (option == "--rows") {
            const auto dash = value.find('-');
            if (dash == std::string::npos)
                throw BadOption{"--rows needs FIRST-LAST"};
            const int first = parseInt(value.substr(0, dash), option, 0, 1 << 30);
            const int last = parseInt(value.substr(dash + 1), option, 0, 1 << 30);
            if (last < first)
                throw BadOption{"--rows needs FIRST not after LAST"};
            options.rows = {first, last};
        } else if (option == "--from") {
            options.from = parseDate(value, option);
        } else if (option == "--to") {
            options.to = parseDate(value, option);
        } else if (option == "--zoom") {
            const auto it = zooms.find(value);
            if (it == zooms.end())
                throw BadOption{"--zoom needs hour, day, week, month, quarter, year or decade"};
            options.zoom = it->second;
        } else {
            throw BadOption{"unknown option " + option};
        }
    }
    if (options.from && options.to && *options.to <= *options.from)
        throw BadOption{"--to must come after --from"};
    return options;
}

// Widgets need an application; without a display it paints offscreen.
std::unique_ptr<QApplication> makeApplication()
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM") && !qEnvironmentVariableIsSet("DISPLAY") &&
        !qEnvironmentVariableIsSet("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "corvane";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QApplication>(argc, argv);
}

} // namespace

int render(const std::vector<std::string>& args, const std::string& storage)
{
    RenderOptions options;
    try {
        options = parseOptions(args);
    } catch (const BadOption& e) {
        std::cerr << "corvane: " << e.message << '\n' << RenderUsage;
        return ExitUsage;
    }
    const auto app = makeApplication();
    TQVTDataSource dataSource;
    dataSource.setStorage(storage);
    if (dataSource.getStorage() != storage) {
        std::cerr << "corvane: " << args[0] << " did not load; nothing written\n";
        return ExitFailed;
    }
    TQVTGanttGraph graph;
    graph.setDataSource(&dataSource);
    TQVTGanttDocument* doc = dataSource.root();
    TQVTGanttTable* table = dataSource.GetTable();
    TQVTDocumentCalendar* calendar = doc->getCalendar();
    if (options.zoom && calendar)
        calendar->SetTimeMode(*options.zoom);
    const TDateTime from = options.from.value_or(doc->getStartDate());
    TDateTime to = from + 1;
    if (options.to) {
        to = *options.to;
    } else if (calendar) {
        // The picture holds the task table's columns and then as many whole units as fit.
        const int treeColumns = dataSource.GetTree() ? dataSource.GetTree()->getActualWidth() : 0;
        const int chartWidth = std::max(1, options.width - treeColumns - doc->getTreeStartX());
        to = calendar->Add(calendar->StartOfPeriod(from), std::max(1, chartWidth / std::max(1, table->GetColumnWidth())));
    }
    const int rowCount = table->countRows();
    const auto [first, last] = options.rows.value_or(std::pair{0, std::max(0, rowCount - 1)});
    try {
        const std::string ext = std::filesystem::path(options.output).extension().string();
        if (ext == ".pdf")
            graph.SaveToPdf(options.output, first, last, from, to);
        else if (ext == ".bmp")
            graph.SaveToBitmap(options.output, first, last, from, to);
        else if (ext == ".png")
            graph.SaveToPng(options.output, first, last, from, to);
        else
            graph.SaveToJpeg(options.output, first, last, from, to, 90);
    } catch (const std::exception& e) {
        std::cerr << "corvane: " << e.what() << '\n';
        return ExitFailed;
    }
    graph.setDataSource(nullptr);
    std::cout << options.output << '\n';
    return ExitWritten;
}

} // namespace corvane::cli
