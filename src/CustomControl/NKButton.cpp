#include "CustomControl/NKButton.h"

#include "AppParam.h"
#include "CustomControl/AppUtilUi.h"
#include "CustomControl/FocusRing.h"
#include "UiLayout.h"

#include <QEnterEvent>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QSlider>
#include <QStyleOptionButton>
#include <QStyleOptionSlider>
#include <QStylePainter>

#include <algorithm>
#include <cmath>

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

// ---- the check box and radio look ----

const QColor kIndicatorGround(64, 64, 64);  // an empty box or circle
const QColor kIndicatorEdge(176, 176, 176); // its outline, clear on the dark window
const QColor kIndicatorOn(226, 226, 226);   // a ticked box, the dot of a chosen radio
const QColor kIndicatorMark(26, 26, 26);    // the tick and the bar on a ticked box

// The box (or circle) of an indicator control, at the left and vertically
// centred on whole pixels.
QRectF indicatorBox(const QAbstractButton* button)
{
    const qreal side = layout::kIndicatorSize;
    return QRectF(layout::kIndicatorMargin, std::floor((button->height() - side) / 2), side, side);
}

// Where the title of an indicator control goes: right of the box, to the
// control's right edge (never clipped short of it).
QRectF indicatorTitleRect(const QAbstractButton* button)
{
    const qreal left = layout::kIndicatorMargin + layout::kIndicatorSize + layout::kIndicatorTitleGap;
    return QRectF(left, 0, std::max<qreal>(0, button->width() - left), button->height());
}

// Room for the box, the whole title and the margin around both, whatever
// the state.
QSize indicatorSizeHint(const QAbstractButton* button)
{
    const QFontMetricsF metrics(button->font());
    qreal width = 2 * layout::kIndicatorMargin + layout::kIndicatorSize;
    if (!button->text().isEmpty())
        width += layout::kIndicatorTitleGap + metrics.horizontalAdvance(button->text());
    const qreal height = std::max<qreal>(layout::kIndicatorSize, metrics.height()) + 2 * layout::kIndicatorMargin;
    return QSize(int(std::ceil(width)), int(std::ceil(height)));
}

// The focus ring of an indicator control hugs the box and the title, also
// when a layout made the control wider.
void drawIndicatorFocusRing(QPainter& painter, const QAbstractButton* button)
{
    if (!button->hasFocus())
        return;
    const qreal width = std::min<qreal>(button->width(), indicatorSizeHint(button).width());
    ui::drawFocusRing(painter, QRectF(0, 0, width, button->height()));
}

void drawIndicatorTitle(QPainter& painter, const QAbstractButton* button, const QColor& color)
{
    if (button->text().isEmpty())
        return;
    painter.setFont(button->font());
    painter.setPen(color);
    painter.drawText(indicatorTitleRect(button), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     button->text());
}

void drawCheckIndicator(QPainter& painter, const QRectF& box, Qt::CheckState state)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QRectF edge = box.adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(QPen(state == Qt::Unchecked ? kIndicatorEdge : kIndicatorOn, 1.0));
    painter.setBrush(state == Qt::Unchecked ? kIndicatorGround : kIndicatorOn);
    painter.drawRoundedRect(edge, 2, 2);
    const qreal s = box.width();
    const QPointF o = box.topLeft();
    painter.setPen(QPen(kIndicatorMark, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    if (state == Qt::Checked) {
        QPainterPath tick;
        tick.moveTo(o + QPointF(0.22 * s, 0.52 * s));
        tick.lineTo(o + QPointF(0.42 * s, 0.72 * s));
        tick.lineTo(o + QPointF(0.78 * s, 0.28 * s));
        painter.drawPath(tick);
    } else if (state == Qt::PartiallyChecked) {
        painter.drawLine(o + QPointF(0.27 * s, 0.5 * s), o + QPointF(0.73 * s, 0.5 * s));
    }
    painter.restore();
}

void drawRadioIndicator(QPainter& painter, const QRectF& box, bool chosen)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(chosen ? kIndicatorOn : kIndicatorEdge, 1.0));
    painter.setBrush(kIndicatorGround);
    painter.drawEllipse(box.adjusted(0.5, 0.5, -0.5, -0.5));
    if (chosen) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(kIndicatorOn);
        const qreal r = box.width() * 0.28;
        painter.drawEllipse(box.center(), r, r);
    }
    painter.restore();
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
    backgroundColor_ = layout::kPlainButtonColor;
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
    int width = metrics.horizontalAdvance(text()) + 2 * layout::kButtonTitleInset;
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
    QRect content = rect().adjusted(layout::kButtonTitleInset, 0, -layout::kButtonTitleInset, 0);
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
    ui::drawFocusRing(painter, this);
}

// ---- NKColorButton ------------------------------------------------------------

NKColorButton::NKColorButton(QWidget* parent)
    : QPushButton(parent), backgroundColor_(layout::kPlainButtonColor)
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
    ui::drawFocusRing(painter, this, layout::kColorButtonRadius);
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

QSize NKCheckBox::sizeHint() const { return indicatorSizeHint(this); }

QSize NKCheckBox::minimumSizeHint() const { return indicatorSizeHint(this); }

bool NKCheckBox::hitButton(const QPoint& pos) const { return rect().contains(pos); }

void NKCheckBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), backgroundColor_);
    // The box is not dimmed when the control is disabled; the title keeps
    // the colour of the check state.
    drawCheckIndicator(painter, indicatorBox(this), checkState());
    drawIndicatorTitle(painter, this, NKCheckButtonCell::titleColor(checkState()));
    drawIndicatorFocusRing(painter, this);
}

// ---- NKRadioButton ------------------------------------------------------------

NKRadioButton::NKRadioButton(const QString& title, QWidget* parent) : QRadioButton(title, parent) {}

QSize NKRadioButton::sizeHint() const { return indicatorSizeHint(this); }

QSize NKRadioButton::minimumSizeHint() const { return indicatorSizeHint(this); }

bool NKRadioButton::hitButton(const QPoint& pos) const { return rect().contains(pos); }

void NKRadioButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    drawRadioIndicator(painter, indicatorBox(this), isChecked());
    const QPalette::ColorGroup group = isEnabled() ? QPalette::Active : QPalette::Disabled;
    drawIndicatorTitle(painter, this, palette().color(group, QPalette::WindowText));
    drawIndicatorFocusRing(painter, this);
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
        painter.fillRect(event->rect(), layout::kPressedIconShade);
    ui::drawFocusRing(painter, this);
}
