#include "XML/DefaultProfile.h"

#include "AppParam.h"
#include "Utility/AppUtil.h"
#include "Utility/ProfilePackage.h"

#include <algorithm>

namespace {

const QString kMember = QStringLiteral("profile.xml");
const QString kLocalizeList = QStringLiteral("LocalizeList");
const QString kStanderdColor = QStringLiteral("StanderdColor");

} // namespace

QString DefaultProfile::filePath()
{
    return AppUtil::resourceProfileFolder() + QString::fromLatin1(AppParam::APP_DEFALUT_INI);
}

void DefaultProfile::applyToAppParam(const DefaultProfile& profile)
{
    AppParam::localizeList = profile.localizeList;
    const std::size_t slotCount =
        std::min(AppParam::standerdColor.size(), std::size_t(profile.standerdColor.size()));
    for (std::size_t i = 0; i < slotCount; ++i) {
        AppColor color = AppUtil::strToColorArgb(profile.standerdColor[qsizetype(i)]);
        color.alpha = 1.0;
        AppParam::standerdColor[i] = color;
    }
}

AppError DefaultProfile::read(const QString& path, DefaultProfile& out)
{
    return AppUtil::loadProfile(path, out, kMember);
}

AppError DefaultProfile::load()
{
    DefaultProfile profile;
    const AppError result = read(filePath(), profile);
    if (result != AppError::NoError)
        return result;
    applyToAppParam(profile);
    return AppError::NoError;
}

// ----- reader ----------------------------------------------------------------

void DefaultProfileXML::startDocument()
{
    profile = DefaultProfile{};
    isParseLocalizeListGroup = false;
    isParseStanderdColorGroup = false;
}

void DefaultProfileXML::startElement(const QString& name)
{
    if (name == kLocalizeList)
        isParseLocalizeListGroup = true;
    else if (name == kStanderdColor)
        isParseStanderdColorGroup = true;
    else
        tmpKey = name;
}

void DefaultProfileXML::characters(const QString& text)
{
    if (!tmpKey || *tmpKey != QLatin1String("string") || text.isEmpty())
        return;
    if (isParseLocalizeListGroup)
        profile.localizeList.append(text);
    if (isParseStanderdColorGroup)
        profile.standerdColor.append(text);
}

void DefaultProfileXML::endElement(const QString& name)
{
    tmpKey.reset();
    if (name == kLocalizeList)
        isParseLocalizeListGroup = false;
    else if (name == kStanderdColor)
        isParseStanderdColorGroup = false;
}
