#include "shell/DataFolder.h"

#include <algorithm>
#include <QDir>

namespace mendor {

namespace {

const QString kExtension = QStringLiteral(".mdb");

bool lessByName(const QString& a, const QString& b) {
    const int folded = a.compare(b, Qt::CaseInsensitive);
    return folded != 0 ? folded < 0 : a < b;
}

} // namespace

QStringList DatabaseFileNames(const QString& folder) {
    if (folder.isEmpty())
        return {};
    QStringList names;
    for (const QString& name : QDir(folder).entryList(QDir::Files, QDir::NoSort))
        if (name.size() > kExtension.size() && name.endsWith(kExtension, Qt::CaseInsensitive))
            names.append(name);
    std::sort(names.begin(), names.end(), lessByName);
    return names;
}

} // namespace mendor
