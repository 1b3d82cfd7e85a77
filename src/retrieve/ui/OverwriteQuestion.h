#pragma once
// The question a copy asks before it replaces an existing file: Yes, Yes to All, No or Cancel.
#include "retrieve/CopyObserver.h"

#include <QString>

class QWidget;

namespace mendor {

class OverwriteQuestion {
public:
    static const QString kTitle;

    /// The question's text for the existing file at destinationPath.
    static QString text(const QString& destinationPath);

    /// Asks modally over parent; closing the box counts as Cancel.
    static OverwriteAnswer Ask(const QString& destinationPath, QWidget* parent);
};

} // namespace mendor
