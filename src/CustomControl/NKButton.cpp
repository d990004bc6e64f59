#include "CustomControl/NKButton.h"

#include "AppParam.h"
#include "CustomControl/AppUtilUi.h"
#include "UiLayout.h"

#include <QEnterEvent>
#include <QPainter>
#include <QPainterPath>
#include <QSlider>
#include <QStyleOptionButton>
#include <QStyleOptionSlider>
#include <QStylePainter>

namespace {

// A copy of a button option whose text is drawn in `color`.
QStyleOptionButton recoloured(const QStyleOptionButton& option, const QColor& color)
{
    QStyleOptionButton copy = option;
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        copy.palette.setColor(group, QPalette::ButtonText, color);
        copy.palette.setColor(group, QPalette::WindowText, color);
    }
    return copy;
}

Qt::CheckState checkStateOf(const QStyleOption* option)
{
    if (option->state & QStyle::State_NoChange)
        return Qt::PartiallyChecked;
    return (option->state & QStyle::State_On) ? Qt::Checked : Qt::Unchecked;
}

} // namespace

// ---- NKButtonCell -------------------------------------------------------------

NKButtonCell::NKButtonCell() = default;

QColor NKButtonCell::titleColor(bool enabled)
{
    return (enabled ? AppParam::ButtonEnableTitleColor : AppParam::ButtonDisableTitleColor).toQColor();
}

void NKButtonCell::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                               const QWidget* widget) const
{
    if (element == CE_PushButtonLabel || element == CE_CheckBoxLabel || element == CE_RadioButtonLabel) {
        if (const auto* button = qstyleoption_cast<const QStyleOptionButton*>(option)) {
            const QStyleOptionButton copy =
                recoloured(*button, titleColor(button->state & State_Enabled));
            QProxyStyle::drawControl(element, &copy, painter, widget);
            return;
        }
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

void NKButtonCell::apply(QAbstractButton* button)
{
    auto* style = new NKButtonCell;
    style->setParent(button);
    button->setStyle(style);
}

// ---- NKCheckButtonCell --------------------------------------------------------

NKCheckButtonCell::NKCheckButtonCell() = default;

QColor NKCheckButtonCell::titleColor(Qt::CheckState state)
{
    return (state == Qt::Unchecked ? AppParam::ButtonDisableTitleColor : AppParam::ButtonEnableTitleColor)
        .toQColor();
}

void NKCheckButtonCell::drawControl(ControlElement element, const QStyleOption* option,
                                    QPainter* painter, const QWidget* widget) const
{
    if (element == CE_PushButtonLabel || element == CE_CheckBoxLabel || element == CE_RadioButtonLabel) {
        if (const auto* button = qstyleoption_cast<const QStyleOptionButton*>(option)) {
            QStyleOptionButton copy = recoloured(*button, titleColor(checkStateOf(option)));
            // The title keeps its colour when the box is disabled.
            copy.state |= State_Enabled;
            QProxyStyle::drawControl(element, &copy, painter, widget);
            return;
        }
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

void NKCheckButtonCell::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                                      QPainter* painter, const QWidget* widget) const
{
    if (element == PE_IndicatorCheckBox || element == PE_IndicatorRadioButton) {
        QStyleOption copy = *option;
        copy.state |= State_Enabled;              // not dimmed when disabled
        copy.state &= ~(State_Sunken | State_MouseOver); // no pressed look
        QProxyStyle::drawPrimitive(element, &copy, painter, widget);
        return;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

void NKCheckButtonCell::apply(QAbstractButton* button)
{
    auto* style = new NKCheckButtonCell;
    style->setParent(button);
    button->setStyle(style);
}

// ---- NKSliderCell -------------------------------------------------------------

NKSliderCell::NKSliderCell() : backgroundColor_(AppParam::IndicatorButtonColorOff.toQColor()) {}

QRectF NKSliderCell::barRect(const QRectF& groove)
{
    return QRectF(groove.x(), groove.y(), groove.width(), layout::kSliderBarHeight);
}

void NKSliderCell::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                      QPainter* painter, const QWidget* widget) const
{
    const auto* slider = qstyleoption_cast<const QStyleOptionSlider*>(option);
    if (control != CC_Slider || !slider) {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        return;
    }
    if (slider->subControls & SC_SliderGroove) {
        const QRectF groove = subControlRect(CC_Slider, slider, SC_SliderGroove, widget);
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing, true);
        QPainterPath path;
        path.addRoundedRect(barRect(groove), layout::kSliderBarRadius, layout::kSliderBarRadius);
        painter->fillPath(path, backgroundColor_);
        painter->restore();
    }
    // Only the knob of the base look; no groove, ticks or filled part.
    QStyleOptionSlider knob = *slider;
    knob.subControls = slider->subControls & SC_SliderHandle;
    knob.activeSubControls = slider->activeSubControls & SC_SliderHandle;
    if (knob.subControls)
        QProxyStyle::drawComplexControl(control, &knob, painter, widget);
}

NKSliderCell* NKSliderCell::apply(QSlider* slider)
{
    auto* style = new NKSliderCell;
    style->setParent(slider);
    slider->setStyle(style);
    slider->setTickPosition(QSlider::NoTicks);
    return style;
}

// ---- NKButton -----------------------------------------------------------------

NKButton::NKButton(QWidget* parent) : QPushButton(parent) { init(); }

NKButton::NKButton(const QString& title, QWidget* parent) : QPushButton(title, parent) { init(); }

void NKButton::init()
{
    backgroundColor_ = QColor(128, 128, 128);
    highlightColor_ = Qt::white;
    QFont title = font();
    title.setPixelSize(layout::kButtonTitlePixelSize);
    setFont(title);
    setFlat(true);
    setAttribute(Qt::WA_Hover, true);
}

void NKButton::setBackgroundColor(const QColor& color)
{
    backgroundColor_ = color;
    update();
}

void NKButton::setHighlightColor(const QColor& color)
{
    highlightColor_ = color;
    update();
}

void NKButton::setColors(const QColor& background, const QColor& highlight)
{
    backgroundColor_ = background;
    highlightColor_ = highlight;
    update();
}

Qt::Alignment NKButton::titleAlignment() const
{
    return AppUtil::titleAlignment(this, Qt::AlignHCenter) & Qt::AlignHorizontal_Mask;
}

void NKButton::setTitleAlignment(Qt::Alignment alignment)
{
    setProperty(AppUtil::kTitleAlignmentProperty, int(alignment & Qt::AlignHorizontal_Mask));
    update();
}

QColor NKButton::titleColor() const
{
    return AppUtil::titleColor(this, QColor());
}

void NKButton::setTitleColor(const QColor& color)
{
    setProperty(AppUtil::kTitleColorProperty, color.isValid() ? QVariant(color) : QVariant());
    update();
}

QColor NKButton::effectiveTitleColor() const
{
    const QColor fixed = titleColor();
    return fixed.isValid() ? fixed : NKButtonCell::titleColor(isEnabled());
}

QSize NKButton::sizeHint() const
{
    const QFontMetrics metrics(font());
    int width = metrics.horizontalAdvance(text()) + 16;
    int height = metrics.height() + 8;
    if (!icon().isNull()) {
        width += iconSize().width() + int(layout::kButtonIconTitleGap);
        height = std::max(height, iconSize().height() + 4);
    }
    return QSize(width, height);
}

void NKButton::enterEvent(QEnterEvent* event)
{
    mouseInView_ = true;
    update();
    QPushButton::enterEvent(event);
}

void NKButton::leaveEvent(QEvent* event)
{
    mouseInView_ = false;
    update();
    QPushButton::leaveEvent(event);
}

void NKButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const bool hover = mouseInView_ && isEnabled();
    painter.fillRect(rect(), hover ? highlightColor_ : backgroundColor_);

    // Pressed: the content is pushed in by one pixel.
    QRect content = rect().adjusted(4, 0, -4, 0);
    if (isDown())
        content.translate(1, 1);

    const QPixmap image = icon().isNull()
        ? QPixmap()
        : icon().pixmap(iconSize(), devicePixelRatioF(), isEnabled() ? QIcon::Normal : QIcon::Disabled);
    const QFontMetrics metrics(font());
    const Qt::Alignment alignment = titleAlignment();
    const int textWidth = metrics.horizontalAdvance(text());
    const int imageWidth = image.isNull() ? 0 : iconSize().width();
    const int gap = (imageWidth > 0 && !text().isEmpty()) ? int(layout::kButtonIconTitleGap) : 0;
    const int total = imageWidth + gap + textWidth;

    int left = content.left();
    if (alignment & Qt::AlignHCenter)
        left = content.left() + (content.width() - total) / 2;
    else if (alignment & Qt::AlignRight)
        left = content.right() + 1 - total;

    if (!image.isNull()) {
        const QRect imageRect(left, content.top() + (content.height() - iconSize().height()) / 2,
                              iconSize().width(), iconSize().height());
        painter.drawPixmap(imageRect, image);
    }
    if (!text().isEmpty()) {
        painter.setFont(font());
        painter.setPen(effectiveTitleColor());
        const QRect textRect(left + imageWidth + gap, content.top(), textWidth + 1, content.height());
        painter.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, text());
    }
}

// ---- NKColorButton ------------------------------------------------------------

NKColorButton::NKColorButton(QWidget* parent)
    : QPushButton(parent), backgroundColor_(QColor(128, 128, 128))
{
    setFlat(true);
}

void NKColorButton::setBackgroundColor(const QColor& color)
{
    backgroundColor_ = color;
    update();
}

void NKColorButton::setIsDefault(bool isDefault)
{
    isDefault_ = isDefault;
    update();
}

void NKColorButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    QPainterPath clip;
    clip.addRoundedRect(QRectF(rect()), layout::kColorButtonRadius, layout::kColorButtonRadius);
    painter.setClipPath(clip);
    painter.fillRect(rect(), backgroundColor_);
    if (isDefault_) {
        // A white outer and a black inner outline, each 1 wide.
        const qreal w = layout::kColorButtonOutline;
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(Qt::NoPen);
        auto frame = [&](const QRectF& r, const QColor& color) {
            QPainterPath ring;
            ring.addRect(r);
            ring.addRect(r.adjusted(w, w, -w, -w));
            painter.fillPath(ring, color);
        };
        frame(QRectF(rect()), Qt::white);
        frame(QRectF(rect()).adjusted(w, w, -w, -w), Qt::black);
    }
    if (!text().isEmpty()) {
        painter.setPen(NKButtonCell::titleColor(isEnabled()));
        painter.drawText(rect(), Qt::AlignCenter, text());
    }
}

// ---- NKCheckBox ---------------------------------------------------------------

NKCheckBox::NKCheckBox(QWidget* parent) : QCheckBox(parent) { init(); }

NKCheckBox::NKCheckBox(const QString& title, QWidget* parent) : QCheckBox(title, parent) { init(); }

void NKCheckBox::init()
{
    backgroundColor_ = AppParam::BackgroundColor.toQColor();
    QFont font = this->font();
    font.setPixelSize(layout::kCheckBoxTitlePixelSize);
    setFont(font);
}

void NKCheckBox::setBackgroundColor(const QColor& color)
{
    backgroundColor_ = color;
    update();
}

void NKCheckBox::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    painter.fillRect(rect(), backgroundColor_);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QColor title = NKCheckButtonCell::titleColor(checkState());
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        option.palette.setColor(group, QPalette::WindowText, title);
    painter.drawControl(QStyle::CE_CheckBox, option);
}

// ---- NKIconButton -------------------------------------------------------------

NKIconButton::NKIconButton(QWidget* parent) : QPushButton(parent) { setFlat(true); }

void NKIconButton::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const QRect area = rect();
    if (!icon().isNull()) {
        const QPixmap image = icon().pixmap(area.size(), devicePixelRatioF());
        painter.drawPixmap(area, image);
    }
    if (isDown())
        painter.fillRect(event->rect(), QColor(0, 0, 0, 128));
}
