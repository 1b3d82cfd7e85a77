#include "support/ScriptedPrompter.h"

#include <gtest/gtest.h>

namespace mendor::test {

namespace {

const char* kindName(ScriptedPrompter::Kind kind) {
    static const char* const names[] = {"message", "yes/no question", "input box"};
    return names[static_cast<int>(kind)];
}

} // namespace

ScriptedPrompter::~ScriptedPrompter() {
    for (const Answer& answer : answers_) {
        ADD_FAILURE() << "a scripted " << kindName(answer.kind) << " was never asked"
                      << (answer.text.isNull() ? std::string() : ": " + answer.text.toStdString());
    }
}

std::optional<ScriptedPrompter::Answer> ScriptedPrompter::next(const Prompt& prompt) {
    prompts_.push_back(prompt);
    if (answers_.empty() || answers_.front().kind != prompt.kind) {
        if (prompt.kind == Kind::Message && allowAnyMessages_)
            return std::nullopt;
        ADD_FAILURE() << "unexpected " << kindName(prompt.kind) << ": \"" << prompt.text.toStdString()
                      << "\" (title \"" << prompt.title.toStdString() << "\")"
                      << (answers_.empty()
                              ? std::string(", nothing was scripted")
                              : std::string(", the script expects a ") + kindName(answers_.front().kind));
        return std::nullopt;
    }
    Answer answer = answers_.front();
    answers_.pop_front();
    if (!answer.text.isNull()) {
        EXPECT_EQ(prompt.text.toStdString(), answer.text.toStdString())
            << "text of a " << kindName(prompt.kind);
    }
    if (!answer.title.isNull()) {
        EXPECT_EQ(prompt.title.toStdString(), answer.title.toStdString())
            << "title of a " << kindName(prompt.kind);
    }
    return answer;
}

QStringList ScriptedPrompter::texts(Kind kind) const {
    QStringList result;
    for (const Prompt& prompt : prompts_) {
        if (prompt.kind == kind)
            result << prompt.text;
    }
    return result;
}

void ScriptedPrompter::message(const QString& text, const QString& title) {
    next({Kind::Message, text, title, {}});
}

bool ScriptedPrompter::askYesNo(const QString& text, const QString& title) {
    const std::optional<Answer> answer = next({Kind::YesNo, text, title, {}});
    return answer && answer->yes;
}

std::optional<QString> ScriptedPrompter::inputBox(const QString& prompt, const QString& title,
                                                  const QString& defaultText) {
    const std::optional<Answer> answer = next({Kind::Input, prompt, title, defaultText});
    return answer ? answer->reply : std::nullopt;
}

} // namespace mendor::test
