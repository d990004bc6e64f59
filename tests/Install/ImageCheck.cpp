// Checks one picture for the installation and smoke tests:
//
//   kolventra_imagecheck FILE [--size WxH | --min-size WxH]
//
// The file must load as an image, have exactly (--size) or at least
// (--min-size) the given size, and must not be blank: no single colour may
// cover 99.9 % or more of its pixels (all fully transparent pixels count as one
// colour). A window that was never painted, a black screen or an empty icon
// is blank. Exit status 0 when the picture passes, 1 with the reason on
// standard error when it does not, 2 on a usage error.
#include <QHash>
#include <QImage>
#include <QRegularExpression>
#include <QSize>
#include <QString>
#include <QTextStream>

namespace {

constexpr double kBlankShare = 0.999;

bool parseSize(const QString& text, QSize& size)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,5})x(\\d{1,5})$"));
    const auto match = pattern.match(text);
    if (!match.hasMatch())
        return false;
    size = QSize(match.captured(1).toInt(), match.captured(2).toInt());
    return size.width() > 0 && size.height() > 0;
}

// The share of the pixels taken by the most frequent colour.
double dominantShare(const QImage& source)
{
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);
    QHash<QRgb, qint64> counts;
    qint64 best = 0;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = qAlpha(line[x]) == 0 ? QRgb(0) : line[x];
            best = std::max(best, ++counts[pixel]);
        }
    }
    return double(best) / (qint64(image.width()) * image.height());
}

int fail(const QString& reason)
{
    QTextStream(stderr) << "imagecheck: " << reason << '\n';
    return 1;
}

int usage()
{
    QTextStream(stderr) << "usage: kolventra_imagecheck FILE [--size WxH | --min-size WxH]\n";
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2 && argc != 4)
        return usage();
    const QString file = QString::fromLocal8Bit(argv[1]);
    QSize wanted;
    bool exact = false;
    if (argc == 4) {
        const QByteArray option(argv[2]);
        exact = option == "--size";
        if ((!exact && option != "--min-size") || !parseSize(QString::fromLocal8Bit(argv[3]), wanted))
            return usage();
    }

    QImage image;
    if (!image.load(file) || image.isNull())
        return fail(QStringLiteral("%1 is not a readable image").arg(file));
    const QSize size = image.size();
    const QString sizeText = QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
    if (exact && size != wanted)
        return fail(QStringLiteral("%1 is %2, not %3x%4").arg(file, sizeText).arg(wanted.width()).arg(wanted.height()));
    if (!exact && wanted.isValid() && (size.width() < wanted.width() || size.height() < wanted.height()))
        return fail(QStringLiteral("%1 is %2, smaller than %3x%4").arg(file, sizeText).arg(wanted.width()).arg(wanted.height()));
    const double share = dominantShare(image);
    if (share >= kBlankShare)
        return fail(QStringLiteral("%1 is blank: one colour covers %2 % of it").arg(file).arg(share * 100.0, 0, 'f', 2));
    QTextStream(stdout) << file << ": " << sizeText << ", largest colour share "
                        << QString::number(share * 100.0, 'f', 2) << " %\n";
    return 0;
}
