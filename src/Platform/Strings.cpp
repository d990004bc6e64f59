#include "Platform/Strings.h"

#include <QFile>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>

// The resource lives in the static core library, so it has to be registered
// explicitly before its first use.
static void initStringsResource()
{
    Q_INIT_RESOURCE(strings);
}

namespace platform {

namespace {

const QHash<QString, QString>& table()
{
    static const QHash<QString, QString> strings = [] {
        initStringsResource();
        QHash<QString, QString> result;
        QFile file(QStringLiteral(":/strings/en.json"));
        if (!file.open(QIODevice::ReadOnly))
            return result;
        const QJsonObject object = QJsonDocument::fromJson(file.readAll()).object();
        for (auto it = object.begin(); it != object.end(); ++it)
            if (it.value().isString())
                result.insert(it.key(), it.value().toString());
        return result;
    }();
    return strings;
}

} // namespace

QString localizedString(const QString& key)
{
    const auto& t = table();
    const auto it = t.constFind(key);
    return it == t.constEnd() ? key : it.value();
}

bool hasLocalizedString(const QString& key)
{
    return table().contains(key);
}

QStringList localizedKeys()
{
    QStringList keys = table().keys();
    keys.sort();
    return keys;
}

} // namespace platform
