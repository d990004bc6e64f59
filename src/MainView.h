#pragma once
// The main window: its content view holds the header, the body where the
// device picture or the no-device view is placed, and the footer. The window
// has no frame from the window manager: its own header carries the close
// button and moves it when dragged. It has a fixed size and can still be
// minimised (from the taskbar). A close request (the window manager's, the
// close button) is put to the controller's exit check, which may refuse it.

#include "CustomControl/BackgroundView.h"
#include "CustomControl/NKButtonView.h"
#include "StartupFiles.h"

#include <QPixmap>
#include <QRect>
#include <QWidget>
#include <functional>

class MainView : public QWidget {
    Q_OBJECT
public:
    explicit MainView(QWidget* parent = nullptr);

    // The body area, between header and footer; set once by the controller.
    QRect bodyRect;
    // Answers whether the window may close; allowed when unset.
    std::function<bool()> closeCheck;
    // The window has been painted at least once.
    bool painted() const { return painted_; }

signals:
    void firstPaint();

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // The body's background picture, decoded on a worker thread from the
    // constructor on and turned into a pixmap at the first paint.
    const QPixmap& background();

    QPixmap background_;
    BackgroundResult<QImage> pendingBackground_;
    bool painted_ = false;
};

// The view shown in the body while no supported device is attached: a
// message and a link to the support page. The link is exactly as wide as its
// text, so only the text is clickable.
class KeyboardErrorView : public BackgroundView, public NKLinkViewDelegate {
    Q_OBJECT
public:
    explicit KeyboardErrorView(QWidget* parent = nullptr);
    class QLabel* deviceNotFountLabel = nullptr;
    NKLinkView* linkKeyboardQandALink = nullptr;
    // Opens a link address; QDesktopServices when unset.
    std::function<void(const QString&)> openUrl;

    // The link was clicked: opens the support page's address.
    void mouseUpLinkView(QObject* id) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Sizes the link to its text and centres it; done when the view is
    // first shown, since most starts find a device and never show it.
    void placeLink();
    bool linkPlaced_ = false;
};

// Opens the localised address of a link key; an address that does not form a
// URL is logged and not opened.
bool openLocalizedLink(const QString& key, const std::function<void(const QString&)>& opener);
