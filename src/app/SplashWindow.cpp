#include "app/SplashWindow.h"

#include "shell/Prompter.h"
#include "shell/ui/ImageLibrary.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace mendor {

SplashWindow::SplashWindow(QWidget* parent) : QFrame(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setFrameShape(QFrame::Box);
    setLineWidth(1);
    setAttribute(Qt::WA_DeleteOnClose, false);

    auto* picture = new QLabel(this);
    picture->setPixmap(ImageLibrary::icon(QStringLiteral("mendor")).pixmap(64, 64));

    auto* title = new QLabel(kProgramTitle, this);
    QFont titleFont = title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 2);
    titleFont.setBold(true);
    title->setFont(titleFont);

    auto* subtitle = new QLabel(tr("Disk cataloguer, version 3"), this);
    status_ = new QLabel(this);
    status_->setMinimumWidth(260);

    auto* text = new QVBoxLayout;
    text->addWidget(title);
    text->addWidget(subtitle);
    text->addStretch();
    text->addWidget(status_);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(24, 24, 24, 24);
    layout->setSpacing(20);
    layout->addWidget(picture, 0, Qt::AlignTop);
    layout->addLayout(text);
}

void SplashWindow::setStatus(const QString& text) {
    status_->setText(text);
    emit statusChanged(text);
}

QString SplashWindow::status() const {
    return status_->text();
}

} // namespace mendor
