#include "XML/MouseTabPictures.h"

#include <array>

std::shared_ptr<const MouseTabPictures>
MouseTabPictures::load(const MouseProfile& profile, const MouseProfile::TabBodyImagePaths& names, AppError& result,
                       qreal ratio, const std::function<void(const MouseTabPictures& read)>& asRead)
{
    auto pictures = std::make_shared<MouseTabPictures>();
    pictures->names_ = names;
    MouseProfile::AsRead keyed;
    if (asRead) {
        keyed = [&](const QHash<QString, PackagePicture>& read) {
            MouseTabPictures seen;  // shares the pictures read, and what is decoded
            seen.names_ = names;
            seen.pictures_ = read;
            asRead(seen);
        };
    }
    result = profile.LoadMouseTabImages(pictures->pictures_, names, ratio, keyed);
    if (result != AppError::NoError)
        return nullptr;
    return pictures;
}

void MouseTabPictures::forgetUnshown() const
{
    for (const PackagePicture& picture : pictures_)
        picture.forgetUnlessShown();
}

QImage MouseTabPictures::ledTab(LedColor color, bool indicatorOff, bool logoOff) const
{
    using T = MouseProfile::TabBodyImagePaths;
    if ((indicatorOff && logoOff) || color == LedColor::Off)
        return image(&T::ledTabOff);
    // Per lit part, the pictures in LedColor order (White to Water).
    static constexpr std::array<Field, 7> kBoth{&T::ledTabWhite, &T::ledTabRed,    &T::ledTabGreen, &T::ledTabBlue,
                                                &T::ledTabPurple, &T::ledTabYellow, &T::ledTabCyan};
    static constexpr std::array<Field, 7> kLogoOnly{&T::ledTabLogoWhite,  &T::ledTabLogoRed,
                                                    &T::ledTabLogoGreen,  &T::ledTabLogoBlue,
                                                    &T::ledTabLogoPurple, &T::ledTabLogoYellow,
                                                    &T::ledTabLogoCyan};
    static constexpr std::array<Field, 7> kIndicatorOnly{&T::ledTabIndiWhite,  &T::ledTabIndiRed,
                                                         &T::ledTabIndiGreen,  &T::ledTabIndiBlue,
                                                         &T::ledTabIndiPurple, &T::ledTabIndiYellow,
                                                         &T::ledTabIndiCyan};
    const auto& row = indicatorOff ? kLogoOnly : logoOff ? kIndicatorOnly : kBoth;
    return image(row[size_t(color)]);
}

QImage MouseTabPictures::sensorTab(LoD liftOff) const
{
    using T = MouseProfile::TabBodyImagePaths;
    return image(liftOff == LoD::LoD_3mm ? &T::sensorTabLoDHigh : &T::sensorTabLoDLow);
}
