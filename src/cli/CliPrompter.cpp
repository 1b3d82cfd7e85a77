#include "cli/CliPrompter.h"

#include "cli/CliCommand.h"
#include "cli/TerminalProgress.h"

namespace mendor::cli {

UnansweredPrompt::UnansweredPrompt(const QString& question, const QString& hint)
    : std::runtime_error(question.toStdString()), question_(question), hint_(hint) {}

CliPrompter& CliPrompter::assumeYes(bool yes) {
    assumeYes_ = yes;
    return *this;
}

CliPrompter& CliPrompter::addYesNoAnswer(bool yes) {
    yesNoAnswers_.push_back(yes);
    return *this;
}

CliPrompter& CliPrompter::addInputAnswer(const std::optional<QString>& reply) {
    inputAnswers_.push_back(reply);
    return *this;
}

void CliPrompter::message(const QString& text, const QString& title) {
    (void)title;
    ++messageCount_;
    TerminalProgress::clearLine();
    err() << text << Qt::endl;
}

bool CliPrompter::askYesNo(const QString& text, const QString& title) {
    (void)title;
    if (!yesNoAnswers_.empty()) {
        const bool yes = yesNoAnswers_.front();
        yesNoAnswers_.pop_front();
        return yes;
    }
    if (assumeYes_)
        return true;
    throw UnansweredPrompt(text, QStringLiteral("give --yes to answer Yes"));
}

std::optional<QString> CliPrompter::inputBox(const QString& prompt, const QString& title,
                                             const QString& defaultText) {
    (void)title;
    (void)defaultText;
    if (inputAnswers_.empty())
        throw UnansweredPrompt(prompt, QString());
    std::optional<QString> reply = inputAnswers_.front();
    inputAnswers_.pop_front();
    return reply;
}

} // namespace mendor::cli
