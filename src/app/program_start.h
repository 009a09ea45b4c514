// Program start: the windows created once, in their fixed order, and wired together.
#pragma once

#include "app/app_context.h"
#include "app/main_window.h"

#include <QStringList>

#include <memory>

namespace zv::app {

class TAboutBox;
class TFrmSubstDialog;
class TfrmSettings;
class TForm5;

struct ProgramWindows {
    std::unique_ptr<TForm1> form1;
    TAboutBox* aboutBox = nullptr;
    TFrmSubstDialog* substDialog = nullptr;
    TfrmSettings* settings = nullptr;
    TForm5* form5 = nullptr;
};

// The web addresses of the program: the maker's site, the product page (the user guide
// installed with the program where it is found) and the donation page.
actions::WebAddresses programWebAddresses();

// Creates the main window, the About box, the substitute dialog, the settings dialog, the
// empty "S.M.A.R.T. Info" form and the tool windows, in that order. `arguments` are the
// program's arguments without the program name. Sets context.mainWindow.
ProgramWindows createProgramWindows(AppContext& context, const QStringList& arguments);

}  // namespace zv::app
