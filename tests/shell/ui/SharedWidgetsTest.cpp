// The dialog prompter and the pictures that every window shares.
#include "shell/ui/DialogPrompter.h"
#include "shell/ui/ImageLibrary.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QImage>
#include <QMessageBox>
#include <QPushButton>
#include <QSet>
#include <QTimer>

namespace mendor {
namespace {

// Answers the next modal message box with a button and records its title and text.
void answerNextBox(QMessageBox::StandardButton button, QString* title, QString* text) {
    QTimer::singleShot(0, [=] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        *title = box->windowTitle();
        *text = box->text();
        box->button(button)->click();
    });
}

TEST(DialogPrompterTest, UntitledBoxesCarryTheProgramTitleAndOnlyYesProceeds) {
    DialogPrompter prompter(nullptr);
    QString title;
    QString text;

    answerNextBox(QMessageBox::Ok, &title, &text);
    prompter.message("Done.");
    EXPECT_EQ(title, "Mendor Pro");
    EXPECT_EQ(text, "Done.");

    answerNextBox(QMessageBox::Yes, &title, &text);
    EXPECT_TRUE(prompter.askYesNo("Delete?", "Delete Volume"));
    EXPECT_EQ(title, "Delete Volume");

    answerNextBox(QMessageBox::No, &title, &text);
    EXPECT_FALSE(prompter.askYesNo("Delete?", QString()));
    EXPECT_EQ(title, "Mendor Pro");
}

// The share of pixels of an image that are not transparent.
double coverage(const QImage& image) {
    int painted = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            painted += qAlpha(image.pixel(x, y)) > 0 ? 1 : 0;
    return static_cast<double>(painted) / (image.width() * image.height());
}

TEST(ImageLibraryTest, EveryKeyDrawsAVisiblePictureAtEverySizeAndScale) {
    QStringList keys = ImageLibrary::treeImageKeys() + ImageLibrary::toolbarImageKeys();
    QSet<QString> distinct;
    for (const QString& key : keys) {
        ASSERT_TRUE(ImageLibrary::hasImage(key)) << key.toStdString();
        const QIcon icon = ImageLibrary::icon(key);
        for (int side : {16, 32}) {
            for (qreal scale : {1.0, 2.0}) {
                const QPixmap pixmap = icon.pixmap(QSize(side, side), scale);
                EXPECT_EQ(pixmap.width(), qRound(side * scale)) << key.toStdString();
                EXPECT_GT(coverage(pixmap.toImage()), 0.15) << key.toStdString() << " at " << side;
            }
        }
        const QImage big = icon.pixmap(64, 64).toImage();
        distinct.insert(QString::fromLatin1(
            QByteArray(reinterpret_cast<const char*>(big.constBits()), static_cast<int>(big.sizeInBytes()))
                .toBase64()));
    }
    // No two keys share a picture.
    EXPECT_EQ(distinct.size(), keys.size());
    EXPECT_FALSE(ImageLibrary::hasImage("kdoc"));
    EXPECT_TRUE(ImageLibrary::icon("kdoc").isNull());
}

} // namespace
} // namespace mendor
