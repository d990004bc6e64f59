#include "Dialog/ProfileFiles.h"

#include "Utility/SideBySide.h"
#include "Utility/ZipUtil.h"

#include <QFileInfo>

#include <algorithm>
#include <optional>
#include <string_view>
#include <vector>

namespace profilefiles {
namespace {

// Ordinary string order on the canonically composed text, by code point.
bool pathLess(const QString& a, const QString& b)
{
    const QList<uint> ua = a.normalized(QString::NormalizationForm_C).toUcs4();
    const QList<uint> ub = b.normalized(QString::NormalizationForm_C).toUcs4();
    return std::lexicographical_compare(ua.begin(), ua.end(), ub.begin(), ub.end());
}

QString lastComponent(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    return slash < 0 ? path : path.mid(slash + 1);
}

// Files of `folder` that pass the extension, file and member tests, sorted.
// The member test runs the unzip tool once per file; those runs are shared
// out to a few threads (on this one alone when no thread can be had), as a
// folder of a hundred profiles would otherwise keep the dialog from showing
// for most of a second. A test the tool gave no answer to is made again on
// this thread once the others have ended: near the limit of processes,
// which counts threads, the helpers can take the places the tools need.
QStringList candidates(const QString& folder, const ListRequest& request)
{
    std::vector<QString> named;
    for (const QString& path : AppUtil::getFiles(folder))
        if (extensionOf(path) == request.extension && QFileInfo(path).isFile())
            named.push_back(path);

    constexpr char kNoAnswer = 2;
    std::vector<char> hasMember(named.size(), 0);
    AppUtil::sideBySide(named.size(), [&](size_t i, size_t) {
        const std::optional<QByteArray> member = ZipUtil::tryLoad(named[i], request.member, false);
        hasMember[i] = !member ? kNoAnswer : member->isEmpty() ? 0 : 1;
    });
    for (size_t i = 0; i < named.size(); ++i)
        if (hasMember[i] == kNoAnswer)
            hasMember[i] = ZipUtil::load(named[i], request.member, false).isEmpty() ? 0 : 1;

    QStringList kept;
    for (size_t i = 0; i < named.size(); ++i)
        if (hasMember[i])
            kept.append(named[i]);
    std::sort(kept.begin(), kept.end(), pathLess);
    return kept;
}

} // namespace

QString extensionOf(const QString& path)
{
    const QString name = lastComponent(path);
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot <= 0)
        return {};
    return name.mid(dot);
}

QString shownName(const QString& path)
{
    const QString name = lastComponent(path);
    const QString ext = extensionOf(path);
    return name.left(name.size() - ext.size());
}

ProfileList listProfiles(const ListRequest& request)
{
    QStringList user;
    if (AppUtil::isEnableFoldrWrite(request.userFolder))
        user = candidates(request.userFolder, request);
    QStringList userNames;
    for (const QString& path : user)
        userNames.append(shownName(path));

    QStringList builtin;
    for (const QString& path : candidates(request.builtinFolder, request))
        if (!userNames.contains(shownName(path)))
            builtin.append(path);

    ProfileList list;
    list.builtinCount = int(builtin.size());
    for (const QString& path : builtin) {
        list.paths.append(path);
        list.names.append(shownName(path));
    }
    list.paths.append(user);
    list.names.append(userNames);
    return list;
}

QString firstFreeName(const QString& folder, const char* format, const QString& extension)
{
    for (int n = 0;; ++n) {
        const QString name = QString::asprintf(format, n);
        if (!QFileInfo::exists(folder + name + extension))
            return name;
    }
}

QString trimSpaces(const QString& text)
{
    auto isSpace = [](QChar c) { return c == u'\t' || c.category() == QChar::Separator_Space; };
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isSpace(text[begin]))
        ++begin;
    while (end > begin && isSpace(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

bool isAcceptableName(const QString& name)
{
    if (name.contains(u':') || name.contains(u'/') || name.contains(QChar(0)))
        return false;
    return name != QStringLiteral(".") && name != QStringLiteral("..");
}

QString encodeComment(const QString& comment)
{
    static constexpr std::string_view kKept = "!*'();:@&=+$,/?#[]-._~";
    static constexpr char kHex[] = "0123456789ABCDEF";
    QString out;
    for (const char ch : comment.toUtf8()) {
        const auto byte = static_cast<unsigned char>(ch);
        const bool keep = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z')
            || (byte >= '0' && byte <= '9') || (byte < 0x80 && kKept.find(char(byte)) != std::string_view::npos);
        if (keep) {
            out += QChar(byte);
        } else {
            out += u'%';
            out += QChar(kHex[byte >> 4]);
            out += QChar(kHex[byte & 0x0F]);
        }
    }
    return out;
}

} // namespace profilefiles
