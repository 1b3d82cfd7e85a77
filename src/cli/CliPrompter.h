#pragma once
// The prompter of mendor-cli. A command knows its answers before it starts: Yes/No questions are
// answered from a queue or, with --yes, all with Yes; input boxes are answered from a queue of
// values taken from the command line. Messages go to standard error. A question that nothing
// answers raises UnansweredPrompt, which abandons the operation (its transaction rolls back);
// the command runner turns that into a message and a non-zero exit.
#include "shell/Prompter.h"

#include <deque>
#include <optional>
#include <QString>
#include <stdexcept>

namespace mendor::cli {

class UnansweredPrompt : public std::runtime_error {
public:
    /// hint says how the command line could have answered it; may be empty.
    UnansweredPrompt(const QString& question, const QString& hint);
    const QString& question() const { return question_; }
    const QString& hint() const { return hint_; }

private:
    QString question_;
    QString hint_;
};

class CliPrompter : public Prompter {
public:
    /// Every Yes/No question that the queue does not answer gets Yes.
    CliPrompter& assumeYes(bool yes = true);
    CliPrompter& addYesNoAnswer(bool yes);
    /// std::nullopt answers like the Cancel button.
    CliPrompter& addInputAnswer(const std::optional<QString>& reply);

    void message(const QString& text, const QString& title = {}) override;
    bool askYesNo(const QString& text, const QString& title) override;
    std::optional<QString> inputBox(const QString& prompt, const QString& title,
                                    const QString& defaultText) override;

    /// How many messages were shown: a command whose operation reported a failure exits non-zero.
    int messageCount() const { return messageCount_; }

private:
    bool assumeYes_ = false;
    std::deque<bool> yesNoAnswers_;
    std::deque<std::optional<QString>> inputAnswers_;
    int messageCount_ = 0;
};

} // namespace mendor::cli
