#include <QImage>
#include <QPushButton>
#include <gtest/gtest.h>

#include "CustomControl/AppUtilUi.h"

namespace {

// Columns of the button's picture that hold title pixels (bright on the
// dark button).
std::pair<int, int> titleColumns(QPushButton& button)
{
    const QImage img = button.grab().toImage();
    int first = img.width(), last = -1;
    for (int x = 0; x < img.width(); ++x)
        for (int y = 0; y < img.height(); ++y)
            if (qGray(img.pixel(x, y)) > 200) {
                first = std::min(first, x);
                last = std::max(last, x);
            }
    return {first, last};
}

TEST(SetAlignmentButton, TitleMovesToTheGivenSideInTheGivenColour)
{
    for (Qt::Alignment a : {Qt::AlignLeft, Qt::AlignRight}) {
        SCOPED_TRACE(a == Qt::AlignLeft ? "left" : "right");
        QPushButton button(QStringLiteral("Return"));
        button.setStyleSheet(QStringLiteral("QPushButton { background: rgb(26,26,26); border: none; }"));
        button.resize(240, 30);
        AppUtil::setAlignmentButton(&button, a | Qt::AlignVCenter, Qt::white);
        button.ensurePolished();
        const auto [first, last] = titleColumns(button);
        ASSERT_LT(first, last); // the title is drawn, and white
        if (a == Qt::AlignLeft)
            EXPECT_LT(last, 120);
        else
            EXPECT_GT(first, 120);
        EXPECT_EQ(AppUtil::titleAlignment(&button, Qt::AlignCenter), a);
        EXPECT_EQ(AppUtil::titleColor(&button, Qt::red), QColor(Qt::white));
        EXPECT_EQ(button.font().pixelSize(), 14);
    }
    QPushButton plain;
    EXPECT_EQ(AppUtil::titleAlignment(&plain, Qt::AlignCenter), Qt::AlignCenter);
}

} // namespace
