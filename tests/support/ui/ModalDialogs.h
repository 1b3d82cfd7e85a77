#pragma once
// Driving a modal dialog from a widget test: the body runs on the dialog as soon as the call
// has opened it (the call may run the event loop before that).
#include <gtest/gtest.h>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>

namespace mendor::test {

template <typename Dialog = QDialog, typename Body, typename Call>
void WithModalDialog(Body body, Call call) {
    bool ran = false;
    QElapsedTimer waited;
    waited.start();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr && waited.elapsed() < 5000)
            return;
        poll.stop();
        ASSERT_NE(dialog, nullptr) << "the dialog did not open";
        ran = true;
        body(*dialog);
    });
    poll.start(10);
    call();
    EXPECT_TRUE(ran);
}

} // namespace mendor::test
