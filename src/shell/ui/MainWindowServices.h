#pragma once
// What the browse widgets (catalog tree, content list, volume chooser) and the dialogs ask of the
// main window: its status bar panels, the browse animation, the yielding pause, and the shared
// pictures. The main window implements it; widget tests can use a small fake.
#include <QIcon>
#include <QSet>
#include <QString>

namespace mendor {

class MainWindowServices {
public:
    virtual ~MainWindowServices() = default;

    /// Status bar panels are numbered 1 to 5.
    virtual void setStatusText(int panel, const QString& text) = 0;
    virtual QString statusText(int panel) const = 0;

    virtual void startBrowseAnimation() = 0;
    virtual void stopBrowseAnimation() = 0;

    /// Pause(n): n times sleep 5 ms and let the event loop run.
    virtual void pause(int count) = 0;

    /// The picture registered under an image key ("closed", "cd", "leaf", "kdoc", ...).
    virtual QIcon image(const QString& key) const = 0;
    virtual QSet<QString> imageKeys() const = 0;
};

} // namespace mendor
