#pragma once
// The application's localised texts: a table from key to text, shipped as
// a Qt resource. Messages, labels and titles are looked up by key.

#include <QString>
#include <QStringList>

namespace platform {

// The text for a localisation key; a key the table lacks gives the key
// itself.
QString localizedString(const QString& key);

// Whether the table holds the key.
bool hasLocalizedString(const QString& key);

// Every key of the table.
QStringList localizedKeys();

} // namespace platform
