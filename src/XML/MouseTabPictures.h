#pragma once
// The tab pictures of one mouse, as its setting panels show them: the
// pictures its description package names (MouseProfile::TabBodyImagePaths),
// read and checked whole by MouseProfile::LoadMouseTabImages and decoded
// when a panel first shows one, with the names that say which picture shows
// what. The main window's connect makes it on a worker thread and hands it
// to the mouse model (MouseEntry::tabPictures), where the panels find it.
// It is not changed once made; its pictures may be decoded from any thread.

#include "AppEnums.h"
#include "Utility/AppError.h"
#include "XML/DeviceProfile.h"
#include "XML/MouseProfile.h"

#include <QHash>
#include <QImage>
#include <QString>

#include <functional>
#include <memory>

class MouseTabPictures {
public:
    using Field = QString MouseProfile::TabBodyImagePaths::*;

    // The pictures `names` names, read from `profile`'s package: the
    // description's own names, or those of the pictures for another pixel
    // density. Null, with `result` what LoadMouseTabImages answered, when
    // they cannot all be shown. For a screen of `ratio` device pixels per
    // point (double-density twins above 1). `asRead` is called with the
    // pictures as read, before they are checked: a caller can start decoding
    // there what it shows first.
    static std::shared_ptr<const MouseTabPictures>
    load(const MouseProfile& profile, const MouseProfile::TabBodyImagePaths& names, AppError& result,
         qreal ratio = 1, const std::function<void(const MouseTabPictures& read)>& asRead = {});

    // The picture of one field of the names; null for a name not read.
    PackagePicture picture(Field field) const { return pictures_.value(names_.*field); }
    // Its decoded picture, decoded on the first call.
    QImage image(Field field) const { return picture(field).image(); }
    // The LED tab's picture: the mouse lit in `color`, with the indicator,
    // the logo or both off (both off, or the colour Off: the unlit mouse).
    QImage ledTab(LedColor color, bool indicatorOff, bool logoOff) const;
    // The sensor tab's picture for a lift-off distance.
    QImage sensorTab(LoD liftOff) const;

    // Drops the decoded pixels of the pictures no view shows any longer (one
    // of a dense screen takes up to 11 MB); a picture shown again is decoded
    // again.
    void forgetUnshown() const;

    // How many distinct pictures are held.
    qsizetype count() const { return pictures_.size(); }

private:
    MouseProfile::TabBodyImagePaths names_;
    QHash<QString, PackagePicture> pictures_;
};
