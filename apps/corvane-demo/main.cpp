// corvane-demo: the Gantt chart control on a schedule, to look at, scroll, zoom and export.
//   corvane-demo [FILE.ini] [--screenshot OUT.png]
// Without a file the built-in schedule is shown. --screenshot saves a picture of the window
// after it was laid out and quits.

#include "DemoWindow.h"

#include "corvane/platform/Dialogs.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QTimer>

#include <iostream>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    std::string storage;
    QString screenshot;
    const QStringList args = QApplication::arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--screenshot") && i + 1 < args.size()) {
            screenshot = args[++i];
        } else if (args[i].startsWith(QLatin1Char('-'))) {
            std::cerr << "usage: corvane-demo [FILE.ini] [--screenshot OUT.png]\n";
            return 64;
        } else {
            storage = "file://" + QFileInfo(args[i]).absoluteFilePath().toStdString();
        }
    }
    corvane::SetShowMessageHandler([screenshot](const std::string& text) {
        if (screenshot.isEmpty())
            QMessageBox::information(nullptr, QStringLiteral("Corvane"), QString::fromStdString(text));
        else
            std::cerr << text << '\n';
    });
    DemoWindow window(storage);
    window.show();
    if (!screenshot.isEmpty()) {
        QTimer::singleShot(200, &window, [&window, screenshot] {
            const bool saved = window.grab().save(screenshot);
            std::cout << (saved ? "wrote " : "could not write ") << screenshot.toStdString() << '\n';
            QApplication::exit(saved ? 0 : 1);
        });
    }
    return QApplication::exec();
}
