#pragma once
// A main window for widget tests: remembers the status panels, counts the animation calls and
// pauses (each pause runs the event loop once), and hands out a small picture for every image key.
#include "shell/ui/MainWindowServices.h"

#include <array>
#include <QCoreApplication>
#include <QPixmap>
#include <QStringList>

namespace mendor::test {

class FakeMainWindowServices : public MainWindowServices {
public:
    void setStatusText(int panel, const QString& text) override { panels.at(panel - 1) = text; }
    QString statusText(int panel) const override { return panels.at(panel - 1); }

    void startBrowseAnimation() override { ++animationStarts; }
    void stopBrowseAnimation() override { ++animationStops; }

    void pause(int count) override {
        pauses += count;
        QCoreApplication::processEvents();
    }

    QIcon image(const QString& key) const override {
        QPixmap pixmap(16, 16);
        pixmap.fill(Qt::darkCyan);
        return imageKeys().contains(key) ? QIcon(pixmap) : QIcon();
    }
    QSet<QString> imageKeys() const override {
        QSet<QString> keys;
        for (const char* key : {"closed", "zip_closed", "zip_open", "mendor", "leaf", "open", "database",
                                "floppy", "cd", "fixed", "network", "ramdisk", "removable", "zipdisk"})
            keys.insert(QString::fromLatin1(key));
        return keys;
    }

    std::array<QString, 5> panels;
    int animationStarts = 0;
    int animationStops = 0;
    int pauses = 0;
};

} // namespace mendor::test
