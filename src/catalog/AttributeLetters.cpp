#include "catalog/AttributeLetters.h"

#include "platform/DirectoryReader.h"

namespace mendor {

QString AttributeLetters(std::uint32_t attributes, bool folderRow) {
    QString letters;
    letters.reserve(8);
    auto add = [&](std::uint32_t bit, char letter) {
        if (attributes & bit)
            letters.append(QLatin1Char(letter));
    };
    if (folderRow)
        add(kAttributeDirectory, 'D');
    add(kAttributeArchive, 'A');
    add(kAttributeReadOnly, 'R');
    add(kAttributeHidden, 'H');
    add(kAttributeSystem, 'S');
    if (!folderRow)
        add(kAttributeNormal, 'N');
    add(kAttributeCompressed, folderRow ? 'C' : 'c');
    add(kAttributeTemporary, 't');
    return letters;
}

} // namespace mendor
