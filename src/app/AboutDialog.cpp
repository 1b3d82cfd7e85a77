#include "app/AboutDialog.h"

#include "shell/ProgramFolder.h"
#include "shell/Prompter.h"
#include "shell/ui/ImageLibrary.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace mendor {

const QString AboutDialog::kSupportAddress = QStringLiteral("https://www.mendorpro.example/support");

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("About %1").arg(kProgramTitle));
    setModal(true);

    auto* picture = new QLabel(this);
    picture->setPixmap(ImageLibrary::icon(QStringLiteral("mendor")).pixmap(64, 64));

    auto* title = new QLabel(kProgramTitle, this);
    QFont titleFont = title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.6);
    titleFont.setBold(true);
    title->setFont(titleFont);

    auto* version = new QLabel(tr("Version %1").arg(QStringLiteral(MENDOR_VERSION)), this);
    auto* released = new QLabel(tr("Released December 2026"), this);
    auto* link = new QLabel(QStringLiteral("<a href=\"%1\">%1</a>").arg(kSupportAddress), this);
    link->setTextFormat(Qt::RichText);
    link->setTextInteractionFlags(Qt::TextBrowserInteraction);
    link->setOpenExternalLinks(true);

    command1_ = new QPushButton(tr("&Help"), this);
    command1_->setDefault(true);
    connect(command1_, &QPushButton::clicked, this, &AboutDialog::openHelp);

    auto* text = new QVBoxLayout;
    text->addWidget(title);
    text->addWidget(version);
    text->addWidget(released);
    text->addSpacing(8);
    text->addWidget(link);
    auto* top = new QHBoxLayout;
    top->addWidget(picture, 0, Qt::AlignTop);
    top->addSpacing(16);
    top->addLayout(text, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(command1_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
}

QString AboutDialog::helpPagePath() {
    return InstallFile(QStringLiteral("help/default.htm"));
}

void AboutDialog::openHelp() {
    QDesktopServices::openUrl(QUrl::fromLocalFile(helpPagePath()));
    accept();
}

} // namespace mendor
