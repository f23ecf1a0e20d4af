// zkl-labeller-gui: the desktop program (docs/desktop.md). One optional argument, a sheet
// to open; --screenshot FILE saves the window as a picture and quits, for the docs.
#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>

#include "app/gui/main_window.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName("zkl-labeller-gui");
    QCommandLineParser parser;
    parser.setApplicationDescription("ZKL Labeller: annotates plant-design drawing sheets");
    parser.addHelpOption();
    parser.addPositionalArgument("sheet", "The sheet file to open (JSON)");
    QCommandLineOption screenshot("screenshot", "Save the window as a PNG picture and quit.", "FILE");
    parser.addOption(screenshot);
    parser.process(application);

    zkl::gui::MainWindow window;
    window.show();
    if (!parser.positionalArguments().isEmpty())
        window.OpenSheet(std::filesystem::path(parser.positionalArguments().first().toStdString()));
    if (parser.isSet(screenshot)) {
        const QString file = parser.value(screenshot);
        QTimer::singleShot(500, &window, [&window, file] {
            window.grab().save(file);
            QApplication::quit();
        });
    }
    return QApplication::exec();
}
