#pragma once
// The one look in which every drawn control shows that it has the keyboard
// focus: a light blue line two wide just inside the control's edge, with a
// thin dark line inside it, so that the ring stands out on the dark window
// ground and on light fills (a white colour swatch, a hovered button) alike.
//
// Drawn controls call drawFocusRing() at the end of their paintEvent; a
// control whose look comes from the toolkit or a style sheet (the dialogs'
// buttons, the menu button of the header) gets the same ring painted over
// it by addFocusRing(), and a control exactly as large as its content (the
// link) gets it around itself, on its parent, by addFocusRingAround().

#include <QColor>
#include <QRect>
#include <QRectF>

class QKeyEvent;
class QPainter;
class QWidget;

namespace ui {

// The colour of the ring's outer line.
QColor focusRingColor();
// How far the ring reaches in from the control's edge.
qreal focusRingWidth();

// Draws the ring just inside `area` (in the painter's coordinates), with
// corners of `radius`.
void drawFocusRing(QPainter& painter, const QRectF& area, qreal radius = 3.0);

// Draws the ring inside the bounds of `widget` when it has the focus; the
// widget's own paintEvent calls it last. Returns whether it drew.
bool drawFocusRing(QPainter& painter, const QWidget* widget, qreal radius = 3.0);

// Whether the key presses a focused drawn control as a click does: Space,
// Enter or Return without modifiers.
bool isPressKey(const QKeyEvent* event);

// Paints the ring over `widget` after the widget has painted itself,
// whenever it has the focus; for controls that do not draw themselves.
// Idempotent; the painter goes with the widget.
void addFocusRing(QWidget* widget, qreal radius = 3.0);

// Paints the ring around `widget` on its parent, `gap` clear of the
// widget's bounds, whenever the widget has the focus: for a control exactly
// as large as its content (a link as wide as its text), which the ring
// drawn inside would touch. The widget draws no ring of its own.
// Idempotent; the painter goes with the widget and follows it to a new
// parent.
void addFocusRingAround(QWidget* widget, qreal gap, qreal radius = 3.0);
// The area in the parent that the ring around `widget` takes.
QRect focusRingAroundArea(const QWidget* widget, qreal gap);

} // namespace ui
