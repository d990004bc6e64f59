#pragma once
// The device picture that is the root view of every setting panel: the body
// picture with the key-top picture above it, the key tints
// (KeyboardIlluminationView), the legends of tinted keys printed again over
// their tint (KeyboardLegendView) and, on top, the selection frame
// (KeyboardCropView). A click, or a click and drag, inside the selection area
// selects keys while the active panel allows it (AppParam::appCropMode, and a
// paint colour that is not clear); releasing the button hands the selection
// to the delegate (applyKeySelect) and clears it.
//
// The key rectangles of the keyboard model are in the picture's bottom-left
// coordinates (y up) of height flipHeight(); mouse positions are turned into
// them here, and the overlays draw under the matching flip. The view draws
// and reports; it never talks to a device.
//
// A panel's own controls are added as children after construction, so they
// lie above the two overlays (which let every mouse event through).

#include "XML/DeviceProfile.h"

#include <QImage>
#include <QPixmap>
#include <QPointF>
#include <QRegion>
#include <QWidget>

#include <memory>

class KeyboardCropView;
class KeyboardEntry;
class KeyboardIlluminationView;
class KeyboardLegendView;
class KeyboardViewDelegate;
struct KeyboardComposition;

class KeyboardView : public QWidget {
    Q_OBJECT
public:
    explicit KeyboardView(QWidget* parent = nullptr);
    ~KeyboardView() override;

    // The panel that receives finished selections (not owned; may be null).
    KeyboardViewDelegate* delegate = nullptr;

    // The device body picture and the key-top picture, each drawn over the
    // whole view. A null image draws nothing.
    void setKeyboardImages(const QImage& body, const QImage& keytops);
    // Both as pictures of the device's package (on connect): once drawn
    // together, their decoded pixels are let go (a view at twice the density
    // would otherwise keep 22 MB it no longer draws), and decoded again
    // should the view's size or density change.
    void setKeyboardImages(const PackagePicture& body, const PackagePicture& keytops);
    // One picture without keys (the mouse tab pictures): the body picture is
    // `image`, the key-top picture is dropped. Both pictures are dropped with
    // setKeyboardImages({}, {}).
    void showBodyImageOnly(const QImage& image);
    // The pictures handed over as images (null for package pictures).
    const QImage& bodyImage() const { return bodyImage_; }
    const QImage& buttonImage() const { return buttonImage_; }

    KeyboardIlluminationView* keyboardIlluminationView() const { return illumination_; }
    KeyboardLegendView* keyboardLegendView() const { return legend_; }
    KeyboardCropView* keyboardCropView() const { return crop_; }
    // Body and key tops as this view paints them, in its pixels and density
    // (null while nothing is shown or before the first paint).
    const QPixmap& composedPicture() const { return composed_; }
    // The area of `device` in which this view has just painted its picture
    // (its paint event's region), handed once to the first layer that asks
    // with the device it paints on, empty for another device: a layer
    // painted on its own lies over something else.
    QRegion takePictureUnder(const QPaintDevice* device);

    // Redraws the key tints and the frame (after a panel changed a mode, the
    // paint colour or key states).
    void redrawKeys();

    // Empties the band, clears `select` of every key of the current keyboard
    // and redraws (a panel switch does this).
    void clearSelection();

    // A selection gesture is under way (kept until the next press).
    bool isMouseCaptured() const { return isMouseCaptured_; }

    // Height of the bottom-left coordinate space of the key rectangles: the
    // main view's height (AppParam::mainFrame) against which the model
    // flipped them, or the view's own height while that is not set.
    qreal flipHeight() const;
    // A position in the view as a point of the key rectangles' space.
    QPointF toModelPoint(QPointF widgetPoint) const;

    // The current device as a keyboard, or null (a mouse or none).
    static std::shared_ptr<KeyboardEntry> currentKeyboard();

signals:
    // Every press on the picture, after the selection handling (the panels
    // close their popup menus on it).
    void pressed();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    static void clearKeySelectFlags();
    // Takes pictures of the cache keys given; false when they are those
    // already shown.
    bool adoptPictures(qint64 body, qint64 keytops);
    // Draws body and key tops once into composed_, in the view's size and
    // pixel density; done at the next paint after a picture, the size or the
    // screen changed.
    void rebuildComposed();
    // Redraws the overlays where the selection changed (`dirty` in widget
    // coordinates; empty for nothing).
    void updateOverlays(const QRectF& dirty);

    QImage bodyImage_;
    QImage buttonImage_;
    PackagePicture bodyPicture_;
    PackagePicture keytopsPicture_;
    // The pictures' identity: the cache keys of their pixels when handed
    // over (Qt gives every picture's pixels a number of their own), which
    // stay theirs while package pictures are decoded again.
    qint64 bodyKey_ = 0;
    qint64 keytopsKey_ = 0;
    // The pictures drawn together and the legend ink, shared by the views
    // that show the same pictures in the same size (a keyboard's panels).
    std::shared_ptr<const KeyboardComposition> composition_;
    QPixmap composed_;
    bool composedStale_ = false;
    const QPaintDevice* paintedOn_ = nullptr;
    QRegion paintedRegion_;
    KeyboardIlluminationView* illumination_;
    KeyboardLegendView* legend_;
    KeyboardCropView* crop_;
    bool isMouseCaptured_ = false;
    QPointF _originalMouseLocation;
};
