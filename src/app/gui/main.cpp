// zkl-labeller-gui: the desktop program (docs/desktop.md). One optional argument, a sheet
// to open; --screenshot FILE saves the screen (the window and the labeller's dialog) as a
// picture and quits; --check shows the layout findings with the first one selected and
// --update runs Update Annotation with the first label it changed selected, for the docs.
#include <QApplication>
#include <QCommandLineParser>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include "app/gui/main_window.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setOrganizationName("ZKL");
    QApplication::setApplicationName("zkl-labeller-gui");
    QCommandLineParser parser;
    parser.setApplicationDescription("ZKL Labeller: annotates plant-design drawing sheets");
    parser.addHelpOption();
    parser.addPositionalArgument("sheet", "The sheet file to open (JSON)");
    QCommandLineOption screenshot("screenshot", "Save the screen as a PNG picture and quit.", "FILE");
    parser.addOption(screenshot);
    QCommandLineOption advanced("advanced", "Open the labeller's dialog in its advanced form.");
    parser.addOption(advanced);
    QCommandLineOption check("check", "Check the layout once the sheet is open and show the first finding.");
    parser.addOption(check);
    QCommandLineOption update("update", "Update the annotation once the sheet is open and show the first label changed.");
    parser.addOption(update);
    parser.process(application);

    zkl::gui::MainWindow window;
    window.move(0, 0);
    window.show();
    if (!parser.positionalArguments().isEmpty())
        window.OpenSheet(std::filesystem::path(parser.positionalArguments().first().toStdString()));
    if (parser.isSet(advanced)) {
        if (auto* toggle = qobject_cast<QPushButton*>(window.MainDialog()->ControlWidget("togFormMode")))
            toggle->click();
    }
    if (parser.isSet(check)) {
        window.checkLayoutAction->trigger();
        QTreeWidget* findings = window.Findings()->List();
        // Once the dock has its room, so the first finding is shown in the canvas it leaves.
        QTimer::singleShot(0, &window, [findings] {
            if (findings->topLevelItemCount() > 0) findings->setCurrentItem(findings->topLevelItem(0));
        });
    }
    if (parser.isSet(update)) {
        window.updateAnnotationAction->trigger();
        QTreeWidget* changes = window.Changes()->List();
        // A label that stands shows more than the mark of a removed one.
        QTimer::singleShot(0, &window, [changes] {
            for (int i = 0; i < changes->topLevelItemCount(); ++i)
                if (changes->topLevelItem(i)->text(0) != "removed")
                    return changes->setCurrentItem(changes->topLevelItem(i));
        });
    }
    if (parser.isSet(screenshot)) {
        const QString file = parser.value(screenshot);
        QTimer::singleShot(1000, &window, [&window, file] {
            // The whole screen, so the dialog's own window is in the picture; a platform
            // without one (offscreen) gives the main window alone.
            QRect shown = window.frameGeometry();
            if (window.MainDialog()->isVisible()) shown |= window.MainDialog()->frameGeometry();
            QPixmap picture = QGuiApplication::primaryScreen()->grabWindow(0, shown.x(), shown.y(),
                                                                           shown.width(), shown.height());
            if (picture.isNull() || QGuiApplication::platformName() != "xcb") picture = window.grab();
            if (!picture.save(file)) {
                qWarning("zkl-labeller-gui: cannot write the picture %s", qPrintable(file));
                return QApplication::exit(1);
            }
            QApplication::quit();
        });
    }
    return QApplication::exec();
}
