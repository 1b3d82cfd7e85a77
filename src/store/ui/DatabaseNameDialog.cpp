#include "store/ui/DatabaseNameDialog.h"

#include "store/DatabaseLifecycle.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QValidator>
#include <QVBoxLayout>

namespace mendor {

namespace {

/// Drops every character a database name cannot hold, keeping the cursor where it was.
class NameCharacterFilter : public QValidator {
public:
    using QValidator::QValidator;

    State validate(QString& input, int& position) const override {
        QString kept;
        kept.reserve(input.size());
        for (qsizetype i = 0; i < input.size(); ++i) {
            if (HasForbiddenNameCharacter(QString(input.at(i)))) {
                if (i < position)
                    --position;
            } else {
                kept.append(input.at(i));
            }
        }
        input = kept;
        return Acceptable;
    }
};

} // namespace

DatabaseNameDialog::DatabaseNameDialog(QWidget* parent) : QDialog(parent), text1_(new QLineEdit(this)) {
    setObjectName(QStringLiteral("frmFilename"));
    setWindowTitle(tr(" Name your Database"));
    text1_->setObjectName(QStringLiteral("Text1"));
    text1_->setValidator(new NameCharacterFilter(text1_));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("Enter a name for your new database"), this));
    layout->addWidget(text1_);
    layout->addWidget(new QLabel(tr("(Press ENTER when finished, or ESC to cancel)"), this));
    setMinimumWidth(320);
    connect(text1_, &QLineEdit::returnPressed, this, &QDialog::accept);
}

QString DatabaseNameDialog::name() const {
    return text1_->text();
}

void DatabaseNameDialog::reject() {
    text1_->clear();
    QDialog::reject();
}

void DatabaseNameDialog::closeEvent(QCloseEvent* event) {
    if (isVisible())
        QDialog::done(QDialog::Rejected);
    event->accept();
}

QString DatabaseNameDialog::AskDatabaseName(QWidget* parent) {
    DatabaseNameDialog dialog(parent);
    dialog.exec();
    return dialog.name();
}

} // namespace mendor
