#include "components/ui/Artwork.h"
#include "components/ui/art/GifWriter.h"
#include "settings/Paths.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QRandomGenerator>
#include <QTest>

using namespace wv;

namespace {

QImage decodeGif(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    QImageReader reader(&buffer, "gif");
    return reader.read().convertToFormat(QImage::Format_ARGB32);
}

} // namespace

class TestArtwork : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void gifRoundTripsExactPalettes_data();
    void gifRoundTripsExactPalettes();
    void gifOfManyColoursStaysClose();
    void shippedArtwork();
};

void TestArtwork::gifRoundTripsExactPalettes_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("colours");
    QTest::addColumn<bool>("transparent");
    QTest::newRow("one pixel") << QSize(1, 1) << 1 << false;
    QTest::newRow("few colours, transparent") << QSize(37, 23) << 5 << true;
    // Noise fills the code table many times over, so the encoder has to
    // restart it and widen its codes correctly.
    QTest::newRow("noise, 255 colours") << QSize(300, 200) << 255 << true;
    QTest::newRow("noise, 256 colours") << QSize(200, 150) << 256 << false;
}

void TestArtwork::gifRoundTripsExactPalettes()
{
    QFETCH(QSize, size);
    QFETCH(int, colours);
    QFETCH(bool, transparent);
    QRandomGenerator rng(42);
    QList<QRgb> palette;
    for (int i = 0; i < colours; ++i)
        palette << qRgb(i, (i * 53) & 0xFF, 255 - i);
    QImage image(size, QImage::Format_ARGB32);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            const bool clear = transparent && (x + y) % 7 == 0;
            image.setPixel(x, y, clear ? qRgba(0, 0, 0, 0) : palette[rng.bounded(colours)]);
        }
    }
    const QImage back = decodeGif(encodeGif(image));
    QCOMPARE(back.size(), size);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            const QRgb want = image.pixel(x, y), got = back.pixel(x, y);
            if (qAlpha(want) == 0)
                QVERIFY2(qAlpha(got) == 0, qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
            else
                QVERIFY2(got == want, qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
        }
    }
}

void TestArtwork::gifOfManyColoursStaysClose()
{
    QImage image(128, 64, QImage::Format_ARGB32);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 128; ++x)
            image.setPixel(x, y, x < 8 ? qRgba(0, 0, 0, 0) : qRgb(x * 2, y * 4, 255 - x));
    const QImage back = decodeGif(encodeGif(image));
    QCOMPARE(back.size(), image.size());
    qint64 error = 0;
    for (int y = 0; y < 64; ++y) {
        for (int x = 8; x < 128; ++x) {
            const QRgb a = image.pixel(x, y), b = back.pixel(x, y);
            QCOMPARE(qAlpha(b), 255);
            error +=
                qAbs(qRed(a) - qRed(b)) + qAbs(qGreen(a) - qGreen(b)) + qAbs(qBlue(a) - qBlue(b));
        }
        QCOMPARE(qAlpha(back.pixel(0, y)), 0);
    }
    // Dithering to the palette keeps the mean error per channel small.
    QVERIFY2(error / (120 * 64 * 3) < 24, qPrintable(QString::number(error / (120 * 64 * 3))));
    QVERIFY(encodeGif(QImage()).isEmpty());
}

void TestArtwork::shippedArtwork()
{
    const QImage gif(Paths::dataFile(QStringLiteral("wvn64.gif")), "gif");
    QCOMPARE(gif.size(), QSize(64, 64));
    // Rounded corners are see-through; the middle is drawn.
    QCOMPARE(qAlpha(gif.pixel(0, 0)), 0);
    QCOMPARE(qAlpha(gif.pixel(32, 20)), 255);

    QCOMPARE(splashPixmap().size(), QSize(400, 160));
    const QIcon icon = programIcon();
    QVERIFY(!icon.isNull());
    QVERIFY(icon.availableSizes().contains(QSize(16, 16)));
    QVERIFY(icon.availableSizes().contains(QSize(256, 256)));
}

QTEST_MAIN(TestArtwork)
#include "test_artwork.moc"
