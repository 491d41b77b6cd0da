// Loads the built-in document through the installed package and paints it in the chart control.
#include <corvane/corvane.h>
#include <corvane/widgets/qvtGanttGraph.h>

#include <QApplication>
#include <QImage>

#include <iostream>

int main(int argc, char** argv)
{
    using namespace corvane;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    SetShowMessageHandler([](const std::string& text) { std::cerr << "message: " << text << '\n'; });
    auto media = TQVTMediaFactory::CreateMedia("");
    TQVTEntityFactory factory;
    auto root = factory.loadObject("root", *media, nullptr);
    auto* document = dynamic_cast<TQVTGanttDocument*>(root.get());
    if (!document) {
        std::cerr << "the built-in document did not load\n";
        return 1;
    }
    CreateDefaultRessources_ENG();
    TQVTDataSource source;
    TQVTGanttGraph chart;
    chart.resize(400, 200);
    chart.setDataSource(&source);
    const QImage picture = chart.grab().toImage();
    chart.setDataSource(nullptr);
    if (picture.width() != 400) {
        std::cerr << "the chart control did not paint\n";
        return 1;
    }
    std::cout << "loaded " << root->getUID() << "; " << GetRessourceValue("autonumbercolumn") << '\n';
    return 0;
}
