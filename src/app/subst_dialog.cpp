#include "app/subst_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QToolButton>
#include <QVBoxLayout>

namespace zv::app {

namespace {

// The letter box takes one letter and shows it in upper case.
class UpperCaseLetter final : public QRegularExpressionValidator {
public:
    explicit UpperCaseLetter(QObject* parent)
        : QRegularExpressionValidator(QRegularExpression(QStringLiteral("[A-Za-z]?")), parent) {}
    State validate(QString& input, int& position) const override {
        input = input.toUpper();
        return QRegularExpressionValidator::validate(input, position);
    }
};

}  // namespace

TFrmSubstDialog::TFrmSubstDialog(QWidget* parent, std::function<bool(const std::string&, std::string*)> browse)
    : QDialog(parent), m_browse(std::move(browse)) {
    setObjectName(QStringLiteral("FrmSubstDialog"));
    setWindowTitle(QStringLiteral("Substitute Drive"));
    setModal(true);
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);

    auto* heading = new QLabel(QStringLiteral("Select drive letter and path for the new drive"), this);
    heading->setObjectName(QStringLiteral("Label1"));
    QFont bigger = heading->font();
    bigger.setBold(true);
    bigger.setPointSizeF(bigger.pointSizeF() * 1.2);
    heading->setFont(bigger);
    auto* letterCaption = new QLabel(QStringLiteral("Drive Letter"), this);
    letterCaption->setObjectName(QStringLiteral("Label2"));
    Edit2 = new QLineEdit(this);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    Edit2->setMaxLength(1);
    Edit2->setValidator(new UpperCaseLetter(Edit2));
    Edit2->setFixedWidth(40);
    auto* pathCaption = new QLabel(QStringLiteral("Path"), this);
    pathCaption->setObjectName(QStringLiteral("Label3"));
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setMinimumWidth(260);
    SpeedButton1 = new QToolButton(this);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setIcon(QIcon(QStringLiteral(":/zorvane/folder.png")));
    SpeedButton1->setToolTip(QStringLiteral("Select Directory"));
    CheckBox1 = new QCheckBox(QStringLiteral("Add to startup"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QDialogButtonBox::Ok);
    ok->setObjectName(QStringLiteral("BitBtn2"));
    QPushButton* cancel = buttons->addButton(QDialogButtonBox::Cancel);
    cancel->setObjectName(QStringLiteral("BitBtn1"));
    connect(buttons, &QDialogButtonBox::accepted, this, &TFrmSubstDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(SpeedButton1, &QToolButton::clicked, this, &TFrmSubstDialog::SpeedButton1Click);

    auto* grid = new QGridLayout;
    grid->addWidget(letterCaption, 0, 0);
    grid->addWidget(Edit2, 0, 1, Qt::AlignLeft);
    grid->addWidget(pathCaption, 1, 0);
    grid->addWidget(Edit1, 1, 1);
    grid->addWidget(SpeedButton1, 1, 2);
    grid->addWidget(CheckBox1, 2, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addLayout(grid);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

actions::SubstEntry TFrmSubstDialog::entry() const {
    return {Edit2->text().toUpper().toStdString(), Edit1->text().toStdString(), CheckBox1->isChecked()};
}

bool TFrmSubstDialog::execute(actions::SubstEntry* entry) {
    if (parentWidget()) move(parentWidget()->geometry().center() - rect().center());
    const bool accepted = exec() == QDialog::Accepted;
    if (entry) *entry = this->entry();
    return accepted;
}

void TFrmSubstDialog::accept() {
    // OK with an unusable letter stays in the dialog and says why.
    if (const std::string problem = actions::substEntryProblem(entry()); !problem.empty()) {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Warning"), QString::fromStdString(problem),
                        QMessageBox::Ok, this);
        box.setObjectName(QStringLiteral("messageDialog"));
        box.exec();
        Edit2->setFocus();
        return;
    }
    QDialog::accept();
}

void TFrmSubstDialog::SpeedButton1Click() {
    std::string path;
    if (m_browse && m_browse("Select Directory", &path)) Edit1->setText(QString::fromStdString(path));
}

}  // namespace zv::app
