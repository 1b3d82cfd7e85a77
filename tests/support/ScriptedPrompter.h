#pragma once
// A Prompter for tests: every prompt is recorded, and each one must be met by the next scripted
// answer of the same kind. A prompt nobody scripted, a prompt of another kind than the next
// answer, a text or title other than the one the answer expects, and answers left over when the
// prompter is destroyed all fail the running test.
#include "shell/Prompter.h"

#include <deque>
#include <optional>
#include <QString>
#include <QStringList>
#include <vector>

namespace mendor::test {

class ScriptedPrompter : public Prompter {
public:
    enum class Kind { Message, YesNo, Input };

    struct Prompt {
        Kind kind;
        QString text;
        QString title;
        QString defaultText; ///< input boxes only
    };

    ScriptedPrompter() = default;
    ~ScriptedPrompter() override;
    ScriptedPrompter(const ScriptedPrompter&) = delete;
    ScriptedPrompter& operator=(const ScriptedPrompter&) = delete;

    /// Script the next prompt. An expected text or title that is given (not null) must match
    /// the prompt exactly.
    ScriptedPrompter& expectMessage(const QString& text = {}, const QString& title = {}) {
        return script({Kind::Message, text, title, false, std::nullopt});
    }
    ScriptedPrompter& answerYes(const QString& text = {}, const QString& title = {}) {
        return script({Kind::YesNo, text, title, true, std::nullopt});
    }
    ScriptedPrompter& answerNo(const QString& text = {}, const QString& title = {}) {
        return script({Kind::YesNo, text, title, false, std::nullopt});
    }
    ScriptedPrompter& answerInput(const QString& reply, const QString& text = {}, const QString& title = {}) {
        return script({Kind::Input, text, title, false, reply});
    }
    ScriptedPrompter& cancelInput(const QString& text = {}, const QString& title = {}) {
        return script({Kind::Input, text, title, false, std::nullopt});
    }

    /// Lets message boxes pass without a scripted answer (they are still recorded).
    ScriptedPrompter& allowAnyMessages(bool allow = true) {
        allowAnyMessages_ = allow;
        return *this;
    }

    void message(const QString& text, const QString& title = {}) override;
    bool askYesNo(const QString& text, const QString& title) override;
    std::optional<QString> inputBox(const QString& prompt, const QString& title,
                                    const QString& defaultText) override;

    const std::vector<Prompt>& prompts() const { return prompts_; }
    /// The texts of the recorded prompts of one kind, in order.
    QStringList texts(Kind kind) const;
    QStringList messages() const { return texts(Kind::Message); }
    /// Answers scripted but not yet used.
    std::size_t pending() const { return answers_.size(); }

private:
    struct Answer {
        Kind kind;
        QString text;
        QString title;
        bool yes = false;
        std::optional<QString> reply;
    };

    ScriptedPrompter& script(Answer answer) {
        answers_.push_back(std::move(answer));
        return *this;
    }

    /// Takes the next answer for a prompt of this kind; nullopt (after failing the test) when
    /// none fits.
    std::optional<Answer> next(const Prompt& prompt);

    std::deque<Answer> answers_;
    std::vector<Prompt> prompts_;
    bool allowAnyMessages_ = false;
};

} // namespace mendor::test
