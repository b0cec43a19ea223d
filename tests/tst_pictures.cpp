#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QSet>
#include <QTest>

class TestPictures : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void icon_data();
    void icon();
    void logoIsOneTransparentGif();
};

void TestPictures::icon_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("side");
    QTest::addColumn<bool>("seeThrough");
    const QStringList pairs {"new", "hozon", "clear", "del", "help", "end", "next"};
    QTest::newRow("icon32") << "icon32.png" << 32 << true;
    QTest::newRow("again32") << "again32.png" << 32 << true;
    QTest::newRow("cut16") << "cut16.png" << 16 << false;
    for (const QString &name : pairs) {
        for (const int side : {32, 16}) {
            const QString file = name + QString::number(side) + ".png";
            QTest::newRow(qPrintable(file)) << file << side << true;
        }
    }
}

void TestPictures::icon()
{
    QFETCH(QString, file);
    QFETCH(int, side);
    QFETCH(bool, seeThrough);

    const QImage image(":/pictures/" + file);
    QVERIFY2(!image.isNull(), qPrintable(file + " is not compiled in"));
    QCOMPARE(image.size(), QSize(side, side));

    static const QSet<QRgb> classic {
        qRgb(0, 0, 0),       qRgb(0, 0, 128),   qRgb(0, 128, 0),   qRgb(0, 128, 128),
        qRgb(128, 0, 0),     qRgb(128, 0, 128), qRgb(128, 128, 0), qRgb(192, 192, 192),
        qRgb(128, 128, 128), qRgb(0, 0, 255),   qRgb(0, 255, 0),   qRgb(0, 255, 255),
        qRgb(255, 0, 0),     qRgb(255, 0, 255), qRgb(255, 255, 0), qRgb(255, 255, 255)};
    int clear = 0;
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            const QRgb p = image.pixel(x, y);
            if (qAlpha(p) == 0) {
                ++clear;
                continue;
            }
            QCOMPARE(qAlpha(p), 255);
            QVERIFY2(classic.contains(p | 0xFF000000u),
                     qPrintable(QStringLiteral("(%1,%2) is not a classic colour").arg(x).arg(y)));
        }
    }
    if (seeThrough) {
        QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
        // Something is drawn, not just a transparent square.
        QVERIFY(clear < side * side * 3 / 4);
    } else {
        QCOMPARE(clear, 0);
        QCOMPARE(image.pixel(0, 0), qRgb(192, 192, 192));
    }
}

void TestPictures::logoIsOneTransparentGif()
{
    QFile file(":/pictures/logo.gif");
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray head = file.read(13);
    QCOMPARE(head.left(6), QByteArray("GIF89a"));
    // Logical screen 211 x 65, little-endian, with a global table of 2^(7+1) entries.
    QCOMPARE(head.mid(6, 4), QByteArray::fromHex("d3004100"));
    QCOMPARE(quint8(head.at(10)) & 0x87, 0x87);
    file.close();

    QImageReader reader(":/pictures/logo.gif");
    QCOMPARE(reader.format(), QByteArray("gif"));
    QCOMPARE(reader.imageCount(), 1);
    const QImage logo = reader.read();
    QCOMPARE(logo.size(), QSize(211, 65));
    QVERIFY(logo.hasAlphaChannel());
    for (const QPoint corner : {QPoint(0, 0), QPoint(210, 0), QPoint(0, 64), QPoint(210, 64)})
        QCOMPARE(qAlpha(logo.pixel(corner)), 0);

    int opaque = 0, reddish = 0, pale = 0;
    for (int y = 0; y < logo.height(); ++y) {
        for (int x = 0; x < logo.width(); ++x) {
            const QColor c = logo.pixelColor(x, y);
            if (c.alpha() == 0)
                continue;
            ++opaque;
            reddish += c.red() > 180 && c.green() < 60 && c.blue() < 60;
            pale += c.red() > 220 && c.green() > 220 && c.blue() > 220;
        }
    }
    // Letters fill part of the picture: red outlines and a white-to-grey body.
    QVERIFY2(opaque > logo.width() * logo.height() / 5, qPrintable(QString::number(opaque)));
    QVERIFY(opaque < logo.width() * logo.height() * 4 / 5);
    QVERIFY(reddish > 200);
    QVERIFY(pale > 100);
}

QTEST_GUILESS_MAIN(TestPictures)
#include "tst_pictures.moc"
