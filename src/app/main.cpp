// zorvane: the window program. Chooses the machine (the real one, or the simulated machine
// named by ZORVANE_MACHINE), creates the windows once and runs until the main window closes.
#include "app/desktop_dialogs.h"
#include "app/information_options.h"
#include "app/program_start.h"
#include "app/qt_event_pump.h"
#include "app/qt_messages.h"
#include "common/error_box.h"
#include "platform/platform_factory.h"
#include "platform/sim/machine_file_error.h"

#include <QApplication>

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

namespace {

bool isSet(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}

// Qt aborts when it finds no display; say what to do instead.
bool displayAvailable() {
    return isSet("DISPLAY") || isSet("WAYLAND_DISPLAY") || isSet("QT_QPA_PLATFORM");
}

}  // namespace

int main(int argc, char* argv[]) {
    const std::vector<std::string> arguments(argv + std::min(argc, 1), argv + argc);
    if (const auto status = zv::app::answerInformationOptions(arguments, std::cout)) {
        std::cout.flush();
        return *status;
    }

    std::unique_ptr<zv::platform::Platform> platform;
    try {
        platform = zv::platform::createPlatform();
    } catch (const zv::sim::MachineFileError& error) {
        std::cerr << "zorvane: " << error.what() << "\n";
        return 2;
    } catch (const std::exception& error) {
        std::cerr << "zorvane: " << error.what() << "\n";
        return 1;
    }

    if (!displayAvailable()) {
        std::cerr << "zorvane: no display is available (neither DISPLAY nor WAYLAND_DISPLAY is set).\n"
                     "Start it from a desktop session, or list the drives on the command line with: "
                     "zorvane-cli list\n";
        return 1;
    }

    QApplication application(argc, argv);
    const std::string title = zv::applicationTitle(argc > 0 ? argv[0] : "zorvane");
    QApplication::setApplicationName(QString::fromStdString(title));
    // The desktop entry's name: lets Wayland compositors and task bars show its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.zorvane.Zorvane"));

    zv::app::QtMessages messages(QString::fromStdString(title));
    zv::app::QtEventPump pump;
    zv::app::AppContext context{*platform, messages, pump, nullptr,
                                [&messages](const std::string& message) { messages.showError(message); }};
    zv::app::QtDesktopDialogs dialogs(*platform, [&context] { return context.mainWindow; });
    platform->setDesktopDialogs(&dialogs);

    int status = 0;
    {
        zv::app::ProgramWindows windows =
            zv::app::createProgramWindows(context, QApplication::arguments().mid(1));
        messages.setParent(windows.form1.get());
        windows.form1->show();
        status = QApplication::exec();
        messages.setParent(nullptr);
        context.mainWindow = nullptr;
    }
    platform->setDesktopDialogs(nullptr);
    return status;
}
