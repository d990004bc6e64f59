#include "CustomControl/AppUtilUi.h"

#include <QAbstractButton>
#include <QPushButton>

namespace AppUtil {

namespace {

constexpr int kTitleFontPixels = 14;

QString cssAlignment(Qt::Alignment alignment)
{
    if (alignment & Qt::AlignRight)
        return QStringLiteral("right");
    if (alignment & (Qt::AlignHCenter | Qt::AlignJustify))
        return QStringLiteral("center");
    return QStringLiteral("left");
}

} // namespace

void setAlignmentButton(QAbstractButton* button, Qt::Alignment alignment, const QColor& color)
{
    if (!button)
        return;
    const Qt::Alignment horizontal = alignment & Qt::AlignHorizontal_Mask;
    button->setProperty(kTitleAlignmentProperty, int(horizontal));
    button->setProperty(kTitleColorProperty, color);

    QFont font = button->font();
    font.setPixelSize(kTitleFontPixels);
    button->setFont(font);
    QPalette palette = button->palette();
    for (QPalette::ColorRole role : {QPalette::ButtonText, QPalette::WindowText, QPalette::Text}) {
        palette.setColor(QPalette::Active, role, color);
        palette.setColor(QPalette::Inactive, role, color);
    }
    button->setPalette(palette);

    // A push button has no title alignment of its own; its style sheet has.
    // Added after any rules the button already has, so these win.
    if (qobject_cast<QPushButton*>(button)) {
        button->setStyleSheet(button->styleSheet()
                              + QStringLiteral(" QPushButton { text-align: %1; color: rgba(%2,%3,%4,%5);"
                                               " font-size: %6px; }")
                                    .arg(cssAlignment(horizontal))
                                    .arg(color.red())
                                    .arg(color.green())
                                    .arg(color.blue())
                                    .arg(color.alpha())
                                    .arg(kTitleFontPixels));
    }
    button->update();
}

Qt::Alignment titleAlignment(const QAbstractButton* button, Qt::Alignment fallback)
{
    if (!button)
        return fallback;
    const QVariant v = button->property(kTitleAlignmentProperty);
    return v.isValid() ? Qt::Alignment(v.toInt()) : fallback;
}

QColor titleColor(const QAbstractButton* button, const QColor& fallback)
{
    if (!button)
        return fallback;
    const QVariant v = button->property(kTitleColorProperty);
    return v.isValid() ? v.value<QColor>() : fallback;
}

} // namespace AppUtil
