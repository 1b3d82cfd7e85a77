#pragma once
// A looped clip shown while the program is busy (the browse and search animations). The clip
// files are animated pictures read with QMovie, which recognises the format from the content. A
// missing or unreadable clip leaves the player empty: nothing plays and nothing is reported.
#include <QLabel>

class QMovie;

namespace mendor {

class ClipPlayer : public QLabel {
    Q_OBJECT
public:
    explicit ClipPlayer(QWidget* parent = nullptr);
    ~ClipPlayer() override;

    /// Loads the clip and shows its first frame without playing. False when it cannot be read.
    bool open(const QString& path);

    /// Plays the open clip over and over; nothing without a clip.
    void play();
    void stop();

    bool hasClip() const { return movie_ != nullptr; }
    bool isPlaying() const;

private:
    void closeClip();

    QMovie* movie_ = nullptr;
};

} // namespace mendor
