#include "app/main_window.h"

#include "app/drive_list_view.h"
#include "app/link_label.h"
#include "app/palette_follower.h"
#include "app/picture_strip.h"
#include "app/survey_list_sink.h"
#include "app/theme_colours.h"
#include "app/window_rules.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

// The pictures live in the window library; a static library's resources are registered by
// hand, since nothing else references them.
static void registerPictures() { Q_INIT_RESOURCE(app); }

namespace zv::app {

TForm1::TForm1(AppContext& context, bool noRefresh, actions::WebAddresses addresses)
    : m_context(context),
      m_noRefresh(noRefresh),
      m_survey(context.platform, context.pump),
      m_dispatcher([this](const std::string& message) {
          if (m_context.showError) m_context.showError(message);
      }),
      m_media(context.platform, context.messages, kMainWindowHandle),
      m_hiding(context.platform, context.messages, [this] { Refresh1Click(); }),
      m_shell(context.platform, kMainWindowHandle, kApplicationWindowHandle, std::move(addresses), [](bool busy) {
          if (busy)
              QApplication::setOverrideCursor(Qt::WaitCursor);
          else
              QApplication::restoreOverrideCursor();
      }) {
    registerPictures();
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Zorvane"));
    setWindowIcon(QIcon(QStringLiteral(":/zorvane/zorvane.png")));
    QFont windowFont(QStringLiteral("MS Sans Serif"));
    windowFont.setStyleHint(QFont::SansSerif);
    windowFont.setPointSize(8);
    setFont(windowFont);

    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    auto* strip = new PictureStrip(central);
    connect(strip->nameLabel(), &LinkLabel::clicked, this, [this] { m_dispatcher.run(Command::HomePage); });
    column->addWidget(strip);
    ListView1 = new DriveListView(central);
    ListView1->setDecimalSeparator(m_context.platform.system().GetLocaleSeparators().decimal);
    column->addWidget(ListView1, 1);
    auto* panel = new QWidget(central);
    buildBottomPanel(panel);
    column->addWidget(panel);
    setCentralWidget(central);
    m_sink = std::make_unique<SurveyListSinkImpl>(*ListView1, *Label5);

    buildToolBar();
    buildMenus();
    bindCommands();

    connect(ListView1, &QTreeWidget::itemDoubleClicked, this,
            [this] { m_dispatcher.run(Command::ExploreWithHourglass); });
    ListView1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ListView1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { m_listPopup->popup(ListView1->viewport()->mapToGlobal(at)); });

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(kRefreshIntervalMs);
    connect(Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);
    Timer1->start();

    FormCreate();
    updateCommandStates();
}

TForm1::~TForm1() {
    // Windows created for this one without a parent go with it.
    for (const auto& window : m_ownedWindows)
        if (window && !window->parent()) delete window.data();
}

void TForm1::FormCreate() {
    ToolBar1->setFixedWidth(kToolBarWidth);
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int screenWidth = screen ? screen->geometry().width() : 800;
    resize(mainWindowWidth(screenWidth), kMainWindowHeight);
    if (screen) move(screen->availableGeometry().center() - rect().center());
    m_skipAB = true;
    m_autoRefresh = true;
}

void TForm1::buildBottomPanel(QWidget* panel) {
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFixedHeight(63);
    panel->setAutoFillBackground(true);
    m_panel = panel;

    const auto boldLabel = [panel](const QString& text) {
        auto* label = new QLabel(text, panel);
        QFont font = label->font();
        font.setBold(true);
        label->setFont(font);
        label->setFixedWidth(50);
        return label;
    };
    const auto box = [panel](const char* name, const QString& text, bool checked) {
        auto* check = new QCheckBox(text, panel);
        check->setObjectName(QString::fromLatin1(name));
        check->setChecked(checked);
        return check;
    };

    CheckBox1 = box("CheckBox1", QStringLiteral("Local"), true);
    CheckBox2 = box("CheckBox2", QStringLiteral("CD/DVD"), true);
    CheckBox3 = box("CheckBox3", QStringLiteral("Removable"), true);
    CheckBox4 = box("CheckBox4", QStringLiteral("Network"), true);
    CheckBox5 = box("CheckBox5", QStringLiteral("Not mounted"), true);
    CheckBox8 = box("CheckBox8", QStringLiteral("Disconnected"), true);
    CheckBox6 = box("CheckBox6", QStringLiteral("Auto Refresh"), true);
    CheckBox7 = box("CheckBox7", QStringLiteral("Stay on top"), false);
    // Five filter boxes apply at once; "Disconnected" waits for the next survey.
    for (QCheckBox* filter : {CheckBox1, CheckBox2, CheckBox3, CheckBox4, CheckBox5})
        connect(filter, &QCheckBox::clicked, this, [this] { m_dispatcher.run(Command::Refresh); });
    connect(CheckBox6, &QCheckBox::clicked, this, &TForm1::CheckBox6Click);
    connect(CheckBox7, &QCheckBox::clicked, this, &TForm1::CheckBox7Click);

    Label5 = new QLabel(QStringLiteral("Refreshing ..."), panel);
    Label5->setObjectName(QStringLiteral("Label5"));
    auto* address = new LinkLabel(QStringLiteral("zorvane.example.org"), panel);
    address->setObjectName(QStringLiteral("Label3"));
    address->setFont(namedFont(QStringLiteral("Georgia"), 19, true));
    m_address = address;
    new PaletteFollower(*this, [this] { applyThemeColours(); });
    connect(address, &LinkLabel::clicked, this, [this] { m_dispatcher.run(Command::HomePage); });

    auto* show = new QHBoxLayout;
    show->addWidget(boldLabel(QStringLiteral("Show")));
    for (QCheckBox* filter : {CheckBox1, CheckBox2, CheckBox3, CheckBox4, CheckBox5, CheckBox8}) show->addWidget(filter);
    show->addStretch();
    auto* options = new QHBoxLayout;
    options->addWidget(boldLabel(QStringLiteral("Options")));
    options->addWidget(CheckBox6);
    options->addWidget(CheckBox7);
    options->addStretch();
    auto* rows = new QVBoxLayout;
    rows->setSpacing(0);
    rows->addLayout(show);
    rows->addLayout(options);
    rows->addWidget(Label5);
    auto* whole = new QHBoxLayout(panel);
    whole->setContentsMargins(6, 2, 10, 2);
    whole->addLayout(rows, 1);
    whole->addWidget(address, 0, Qt::AlignRight | Qt::AlignBottom);
}

survey::SurveyOptions TForm1::surveyOptions() const {
    survey::SurveyOptions options;
    options.skipAB = m_skipAB;
    options.local = CheckBox1->isChecked();
    options.cdDvd = CheckBox2->isChecked();
    options.removable = CheckBox3->isChecked();
    options.network = CheckBox4->isChecked();
    options.notMounted = CheckBox5->isChecked();
    options.disconnected = CheckBox8->isChecked();
    return options;
}

std::optional<std::string> TForm1::selectedCaption() const { return ListView1->selectedCaption(); }

std::optional<char> TForm1::selectedLetter() const {
    const auto caption = selectedCaption();
    if (!caption || caption->empty()) return std::nullopt;
    return caption->front();
}

QAction* TForm1::action(const QString& objectName) const {
    const auto found = m_actions.find(objectName);
    return found == m_actions.end() ? nullptr : found->second;
}

void TForm1::Refresh1Click() {
    // A refresh asked for while a survey lets messages run (a tick, a click, a key) never
    // starts a survey inside it; it is carried out once when the running one has ended, so
    // that the list ends up matching the boxes as they are now.
    if (m_survey.running()) {
        m_refreshPending = true;
        return;
    }
    do {
        m_refreshPending = false;
        if (m_survey.run(surveyOptions(), *m_sink)) ++m_surveysRun;
    } while (m_refreshPending);
}

void TForm1::Timer1Timer() {
    if (m_autoRefresh) m_dispatcher.run(Command::Refresh);
}

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (m_shown) return;
    m_shown = true;
    // The design height includes the window frame.
    const int frame = frameGeometry().height() - geometry().height();
    if (frame > 0 && frame < kMainWindowHeight / 2) resize(width(), kMainWindowHeight - frame);
    FormShow();
}

void TForm1::FormShow() {
    if (!m_noRefresh) m_dispatcher.run(Command::Refresh);
}

void TForm1::applyThemeColours() {
    if (!m_panel || !m_address) return;
    const QPalette window = palette();
    QPalette panel = m_panel->palette();
    panel.setColor(QPalette::Window, bottomPanelColour(window));
    m_panel->setPalette(panel);
    m_address->setStyleSheet(QStringLiteral("color: %1;").arg(addressColour(window).name()));
}

void TForm1::closeEvent(QCloseEvent* event) {
    event->accept();
    m_context.pump.processPendingMessages();
    QCoreApplication::quit();
}

void TForm1::AutoRefresh1Click() {
    m_autoRefresh = !m_autoRefresh;
    setChecks(Command::AutoRefresh, m_autoRefresh);
    CheckBox6->setChecked(m_autoRefresh);
}

void TForm1::CheckBox6Click(bool checked) {
    m_autoRefresh = checked;
    setChecks(Command::AutoRefresh, checked);
}

void TForm1::Stayontop2Click() {
    m_stayOnTop = !m_stayOnTop;
    setChecks(Command::StayOnTop, m_stayOnTop);
    CheckBox7->setChecked(m_stayOnTop);
    applyStayOnTop(m_stayOnTop);
}

void TForm1::CheckBox7Click(bool checked) {
    m_stayOnTop = checked;
    setChecks(Command::StayOnTop, checked);
    applyStayOnTop(checked);
}

void TForm1::applyStayOnTop(bool onTop) {
    if (windowFlags().testFlag(Qt::WindowStaysOnTopHint) == onTop) return;
    const bool visible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    // Changing the flags hides the window.
    if (visible) show();
}

void TForm1::SkipAandBdrives1Click() {
    m_skipAB = !m_skipAB;
    setChecks(Command::SkipAB, m_skipAB);
}

void TForm1::Bold1Click() {
    m_bold = !m_bold;
    setChecks(Command::Bold, m_bold);
    ListView1->setBold(m_bold);
}

void TForm1::Minimize1Click() {
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible() && window->isWindow()) window->showMinimized();
}

void TForm1::About1Click() {
    if (m_companions.aboutBox) m_companions.aboutBox->exec();
}

void TForm1::setChecks(Command command, bool checked) {
    const auto [first, last] = m_actionsByCommand.equal_range(command);
    for (auto it = first; it != last; ++it)
        if (it->second->isCheckable()) it->second->setChecked(checked);
}

}  // namespace zv::app
