#pragma once
// Firmware image files and description packages made by the tests.

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>

namespace fwtest {

// A firmware file of `length` bytes (at least 65538): a patterned image with
// `model` (its bytes as given, cut or padded with NULs to eight) and the three
// version bytes at their places, and the correct checksum in front.
QByteArray makeFirmware(const QByteArray& model, std::array<uint8_t, 3> version, qsizetype length = 0x10002);
// Puts the correct checksum in front again after the bytes were changed.
void resign(QByteArray& file);
// The three version bytes of a device's six-digit version text ("010205").
std::array<uint8_t, 3> versionBytes(const QString& text);
bool writeFile(const QString& path, const QByteArray& bytes);

// A copy of the shipped package `sourcePackage` at `target` whose
// description is changed: each given text replaces the element's text.
// False when the package could not be read or written.
struct DescriptionEdit {
    std::optional<QString> profileVersion;
    std::optional<QString> modelNumber;
    std::optional<QString> productId;
    std::optional<QString> profileExt;
    std::optional<QString> mouseImage = {}; // the device strip's picture of a mouse
};
bool makePackage(const QString& sourcePackage, const QString& target, const DescriptionEdit& edit);

} // namespace fwtest
