// Loads the built-in document through the installed package.
#include <corvane/corvane.h>
#include <iostream>

int main()
{
    using namespace corvane;
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
    std::cout << "loaded " << root->getUID() << "; " << GetRessourceValue("autonumbercolumn") << '\n';
    return 0;
}
