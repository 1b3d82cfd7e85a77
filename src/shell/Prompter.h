#pragma once
// Every message box, input box and Yes/No question that an operation asks goes through a
// Prompter handed to it. The desktop program answers with dialogs, the command-line tool from
// its options or the terminal, and tests from a script.
#include <optional>
#include <QString>

namespace mendor {

class Prompter {
public:
    virtual ~Prompter() = default;

    /// A message box with an OK button. An empty title means the program's title.
    virtual void message(const QString& text, const QString& title = {}) = 0;

    /// A Yes/No question; true only for Yes.
    virtual bool askYesNo(const QString& text, const QString& title) = 0;

    /// An input box with one text field. Returns the text after OK, std::nullopt after Cancel.
    virtual std::optional<QString> inputBox(const QString& prompt, const QString& title,
                                            const QString& defaultText) = 0;
};

/// The title of message boxes that have none of their own.
inline const QString kProgramTitle = QStringLiteral("Mendor Pro");

} // namespace mendor
