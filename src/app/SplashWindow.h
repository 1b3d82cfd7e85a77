#pragma once
// The window shown while the program starts: its picture, its name and a status line that the
// start-up sequence updates between its steps.
#include <QFrame>

class QLabel;

namespace mendor {

class SplashWindow : public QFrame {
    Q_OBJECT
public:
    explicit SplashWindow(QWidget* parent = nullptr);

    void setStatus(const QString& text);
    QString status() const;

signals:
    void statusChanged(const QString& text);

private:
    QLabel* status_;
};

} // namespace mendor
