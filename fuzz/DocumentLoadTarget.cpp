#include "DocumentLoadTarget.h"

#include "corvane/framework/chart/qvtGanttBar.h"
#include "corvane/framework/chart/qvtGanttDocument.h"
#include "corvane/framework/chart/qvtGanttRow.h"
#include "corvane/framework/media/qvtIniFileMedia.h"
#include "corvane/framework/objects/qvtEntityFactory.h"
#include "corvane/framework/time/qvtCalendar.h"
#include "corvane/platform/DiagnosticLog.h"
#include "corvane/platform/Dialogs.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

namespace corvane::fuzz {

namespace {

namespace fs = std::filesystem;

// One folder per process for the input and the saved files (and their pictures).
const fs::path& scratchFolder()
{
    static const fs::path folder = [] {
        std::string pattern = (fs::temp_directory_path() / "corvane-fuzz-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            throw std::runtime_error("cannot make a scratch folder in " + fs::temp_directory_path().string());
        return fs::path(pattern);
    }();
    return folder;
}

std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::shared_ptr<TQVTGanttObject> load(TQVTEntityFactory& factory, const fs::path& path)
{
    TQVTINIFIle media(path.string());
    return factory.loadObject("root", media, nullptr);
}

void save(TQVTEntityFactory& factory, TQVTGanttObject* root, const fs::path& path)
{
    TQVTINIFIle media(path.string());
    media.clear();
    factory.saveObject("root", media, root);
    media.flush();
}

// The dates a schedule's questions start from: the document's first date, the bars' dates of
// the first rows, and a few fixed ones (a weekday, far past and future).
std::vector<TDateTime> probeDates(TQVTGanttDocument& document)
{
    std::vector<TDateTime> dates{0, 45000.5, -693593, 2958465, document.getStartDate()};
    if (TQVTGanttTable* table = document.Ftable.get())
        for (std::size_t r = 0; r < table->FRows.size() && r < 8; ++r)
            for (const auto& bar : table->FRows[r]->FBarList)
                dates.push_back(bar->getStartDate());
    return dates;
}

std::string askCalendar(TQVTGanttDocument& document)
{
    IQVTCalendar* calendar = document.getCalendar();
    if (!calendar)
        return {};
    for (const TDateTime date : probeDates(document)) {
        if (!std::isfinite(date))
            continue;
        const TDateTime first = calendar->findFirstEffective(date);
        const TDateTime later = calendar->addEffective(date, 3.5, true);
        calendar->substrEffective(date, 2.25);
        if (calendar->diffEffective(date, date + 10) < 0)
            return "the working time from a date to a later one is negative";
        if (std::isfinite(first) && std::isfinite(later) && first < date)
            return "the first working moment from a date lies before it";
    }
    return {};
}

} // namespace

std::string runDocumentLoad(const std::uint8_t* data, std::size_t size)
{
    // Messages and log lines of broken input go nowhere; only the outcome counts.
    SetShowMessageHandler([](const std::string&) {});
    SetLogObserver(nullptr);
    const fs::path input = scratchFolder() / "input.ini";
    const fs::path first = scratchFolder() / "first.ini";
    const fs::path second = scratchFolder() / "second.ini";
    {
        std::ofstream out(input, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    TQVTEntityFactory factory;
    const auto root = load(factory, input);
    auto* document = dynamic_cast<TQVTGanttDocument*>(root.get());
    if (!document)
        return {};
    if (std::string fault = askCalendar(*document); !fault.empty())
        return fault;
    save(factory, root.get(), first);
    TQVTEntityFactory again;
    const auto reloaded = load(again, first);
    auto* copy = dynamic_cast<TQVTGanttDocument*>(reloaded.get());
    if (!copy)
        return "the saved document does not load back";
    save(again, reloaded.get(), second);
    if (readFile(first) != readFile(second))
        return "the saved document, loaded and saved again, differs";
    return askCalendar(*copy);
}

} // namespace corvane::fuzz
