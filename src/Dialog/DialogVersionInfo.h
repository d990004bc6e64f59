#pragma once
// The About window: the application's picture, name, version and copyright
// with an OK button. Not modal; at most one is open (showAbout). It is
// registered with DialogRegistry (kind VersionInfo) while open.

#include <QDialog>

#include <QPointer>

class QLabel;
class QPushButton;

class DialogVersionInfo : public QDialog {
    Q_OBJECT
public:
    explicit DialogVersionInfo(QWidget* parent = nullptr);
    ~DialogVersionInfo() override;

    // Whether the window is still open (OK, Escape and the window's close
    // button all close it).
    bool isOpen() const { return open_; }

    // Closes the window.
    void pushOK();
    // Escape closes it like OK.
    void reject() override { pushOK(); }

    // The version text shown: the localised "Version", a space, then the
    // application's version.
    static QString versionText();

    // The About command: brings the open window of `current` to the front,
    // or makes a new one, keeps it in `current`, centres it on the screen and
    // shows it active. Returns the window shown.
    static DialogVersionInfo* showAbout(QPointer<DialogVersionInfo>& current, QWidget* parent = nullptr);
    // The same with the application's one About window.
    static DialogVersionInfo* showAbout(QWidget* parent);

    QLabel* appLabel() const { return appLabel_; }
    QLabel* versionLabel() const { return versionLabel_; }
    QLabel* copyrightLabel() const { return copyrightLabel_; }
    QPushButton* okButton() const { return okButton_; }

signals:
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void markClosed();

    QLabel* appImageView_ = nullptr;
    QLabel* appLabel_ = nullptr;
    QLabel* versionLabel_ = nullptr;
    QLabel* copyrightLabel_ = nullptr;
    QPushButton* okButton_ = nullptr;
    bool open_ = true;
};
