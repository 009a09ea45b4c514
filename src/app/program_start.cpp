#include "app/program_start.h"

#include "actions/subst_commands.h"
#include "app/about_box.h"
#include "app/settings_dialog.h"
#include "app/smart_info_form.h"
#include "app/subst_dialog.h"
#include "app/tool_windows.h"
#include "app/window_rules.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace zv::app {

actions::WebAddresses programWebAddresses() {
    actions::WebAddresses addresses;
    addresses.homePage = "https://zorvane.example.org/";
    addresses.donationPage = "https://zorvane.example.org/donate";
    addresses.productPage = "https://zorvane.example.org/zorvane";
    // The user guide beside an installed program, or in the source tree of a build.
    const QString programDir = QCoreApplication::applicationDirPath();
    for (const QString& candidate : {programDir + QStringLiteral("/../share/doc/zorvane/user-guide.html"),
                                     programDir + QStringLiteral("/../../docs/user-guide.html"),
                                     programDir + QStringLiteral("/../docs/user-guide.html")}) {
        const QFileInfo guide(candidate);
        if (guide.isFile()) {
            addresses.productPage = QUrl::fromLocalFile(guide.canonicalFilePath()).toString().toStdString();
            break;
        }
    }
    return addresses;
}

ProgramWindows createProgramWindows(AppContext& context, const QStringList& arguments) {
    std::vector<std::string> args;
    for (const QString& argument : arguments) args.push_back(argument.toStdString());

    ProgramWindows windows;
    windows.form1 = std::make_unique<TForm1>(context, suppressesInitialSurvey(args), programWebAddresses());
    TForm1* form1 = windows.form1.get();
    context.mainWindow = form1;

    windows.aboutBox = new TAboutBox(form1, [form1] { form1->dispatcher().run(Command::HomePage); });
    platform::Platform& platform = context.platform;
    windows.substDialog = new TFrmSubstDialog(form1, [&platform](const std::string&, std::string* path) {
        return actions::browseForSubstFolder(platform, kMainWindowHandle, path);
    });
    windows.settings = new TfrmSettings(form1);
    windows.form5 = new TForm5(form1);

    CompanionWindows companions;
    companions.aboutBox = windows.aboutBox;
    companions.substDialog = windows.substDialog;
    companions.settings = windows.settings;
    companions.toolWindows[Command::ClusterFiguresWindow] = createClusterFiguresWindow(context);
    companions.toolWindows[Command::VolumesWindow] = createVolumesWindow(context);
    companions.toolWindows[Command::BenchmarkWindow] = createBenchmarkWindow(context);
    companions.toolWindows[Command::CheckDiskWindow] = createCheckDiskWindow(context);
    companions.toolWindows[Command::OpticalInfoWindow] = createOpticalInfoWindow(context);
    companions.toolWindows[Command::SmartWindow] = createSmartWindow(context);
    companions.toolWindows[Command::DiskInfoWindow] = createDiskInfoWindow(context);
    companions.toolWindows[Command::UsbDrivesWindow] = createUsbDrivesWindow(context);
    form1->setCompanions(std::move(companions));
    return windows;
}

}  // namespace zv::app
