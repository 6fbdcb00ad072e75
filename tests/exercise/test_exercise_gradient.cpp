// The background's blue gradient, on an image of any format and density
// or on a painter at any scale.
#include "TestClasses.h"

#include "exercise/Gradient.h"

#include <QPainter>
#include <QtTest>

class TestGradient : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void gradientBands_data();
    void gradientBands();
    void gradientShadeAndFormats();
    void gradientOnAPainter();
};

void TestGradient::gradientBands_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");

    QTest::newRow("window 848x567") << 848 << 567;
    QTest::newRow("exactly 512") << 40 << 512;
    QTest::newRow("fewer rows than bands") << 10 << 100;
    QTest::newRow("one row") << 3 << 1;
    QTest::newRow("tall") << 5 << 1000;
}

void TestGradient::gradientBands()
{
    QFETCH(int, width);
    QFETCH(int, height);

    const QRgb sentinel = qRgb(1, 2, 3); // never a gradient colour: red != green
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(sentinel);
    paintGradient(image, 0);

    int previousBlue = -1;
    QList<int> rowsPerBand(256, 0);
    for (int y = 0; y < height; ++y) {
        const QRgb first = image.pixel(0, y);
        QVERIFY2(first != sentinel, qPrintable(QStringLiteral("row %1 unpainted").arg(y)));
        QCOMPARE(qRed(first), 0);
        QCOMPARE(qGreen(first), 0);
        for (int x = 1; x < width; ++x)
            QCOMPARE(image.pixel(x, y), first);
        QVERIFY(qBlue(first) >= previousBlue);
        previousBlue = qBlue(first);
        ++rowsPerBand[qBlue(first)];
    }
    QCOMPARE(qBlue(image.pixel(0, height - 1)), 255);
    if (height >= 256) {
        QCOMPARE(qBlue(image.pixel(width - 1, 0)), 0);
        // Bands are as even as whole rows allow.
        for (int rows : rowsPerBand)
            QVERIFY(rows == height / 256 || rows == height / 256 + 1);
    }
    if (height == 512)
        for (int y = 0; y < height; ++y)
            QCOMPARE(qBlue(image.pixel(0, y)), y / 2);
    if (height == 567) {
        QCOMPARE(image.pixel(400, 283), qRgb(0, 0, 128));
        QCOMPARE(image.pixel(400, 282), qRgb(0, 0, 127));
    }
}

void TestGradient::gradientShadeAndFormats()
{
    QImage reference(64, 300, QImage::Format_RGB32);
    paintGradient(reference, 14);
    for (int y = 0; y < reference.height(); ++y) {
        QCOMPARE(qRed(reference.pixel(10, y)), 140);
        QCOMPARE(qGreen(reference.pixel(10, y)), 140);
    }
    QCOMPARE(reference.pixel(63, 0), qRgb(140, 140, 0));
    QCOMPARE(reference.pixel(0, 299), qRgb(140, 140, 255));

    for (QImage::Format format : {QImage::Format_ARGB32_Premultiplied, QImage::Format_ARGB32, QImage::Format_RGB888,
                                  QImage::Format_RGBA8888}) {
        QImage other(64, 300, format);
        other.fill(Qt::transparent);
        paintGradient(other, 14);
        QCOMPARE(other.convertToFormat(QImage::Format_RGB32), reference);
    }

    // A high-density image is painted in device pixels, every one of them.
    QImage hiDpi(64, 600, QImage::Format_RGB32);
    hiDpi.setDevicePixelRatio(2.0);
    hiDpi.fill(qRgb(1, 2, 3));
    paintGradient(hiDpi, 3);
    QCOMPARE(hiDpi.pixel(5, 599), qRgb(30, 30, 255));
    QCOMPARE(hiDpi.pixel(5, 0), qRgb(30, 30, 0));
    QCOMPARE(hiDpi.pixel(5, 300), qRgb(30, 30, 128));
}

// Painted at any scale, a part or the whole, it is the image's gradient.
void TestGradient::gradientOnAPainter()
{
    const QSize size(848, 567);
    const QRect part(10, 100, 30, 41);
    for (const qreal ratio : {1.0, 2.0, 1.25}) {
        QImage reference((QSizeF(size) * ratio).toSize(), QImage::Format_RGB32);
        QImage painted = reference;
        painted.fill(Qt::white);
        painted.setDevicePixelRatio(ratio);
        paintGradient(reference, 9);
        QPainter painter(&painted);
        paintGradient(painter, size, 9, part);
        const QRect pixels = QRectF(QPointF(part.topLeft()) * ratio, QSizeF(part.size()) * ratio).toAlignedRect();
        for (int y = 0; y < painted.height(); ++y)
            for (int x : {0, 12, 25, 50, 51, 52, 53, 847})
                QCOMPARE(painted.pixel(x, y), pixels.contains(x, y) ? reference.pixel(x, y) : qRgb(255, 255, 255));
        paintGradient(painter, size, 9, QRect(QPoint(), size));
        painter.end();
        painted.setDevicePixelRatio(1);
        QCOMPARE(painted, reference);
    }
}

TestClass testGradient() { return testClass<TestGradient>(); }

#include "test_exercise_gradient.moc"
