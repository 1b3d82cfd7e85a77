#include "shell/ui/ClipPlayer.h"

#include <QFileInfo>
#include <QMovie>

namespace mendor {

ClipPlayer::ClipPlayer(QWidget* parent) : QLabel(parent) {
    setAlignment(Qt::AlignCenter);
    setScaledContents(true);
}

ClipPlayer::~ClipPlayer() = default;

bool ClipPlayer::open(const QString& path) {
    closeClip();
    if (!QFileInfo(path).isFile())
        return false;
    auto* movie = new QMovie(path, QByteArray(), this);
    if (!movie->isValid() || !movie->jumpToFrame(0)) {
        delete movie;
        return false;
    }
    movie_ = movie;
    // A clip whose file says "play once" still loops here.
    connect(movie_, &QMovie::finished, movie_, &QMovie::start);
    setMovie(movie_);
    return true;
}

void ClipPlayer::play() {
    if (movie_ && movie_->state() != QMovie::Running)
        movie_->start();
}

void ClipPlayer::stop() {
    if (movie_)
        movie_->setPaused(true);
}

bool ClipPlayer::isPlaying() const {
    return movie_ && movie_->state() == QMovie::Running;
}

void ClipPlayer::closeClip() {
    if (!movie_)
        return;
    setMovie(nullptr);
    clear();
    delete movie_;
    movie_ = nullptr;
}

} // namespace mendor
