#include <QFile>
#include <QImageReader>
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
    QTest::newRow("icon32") << "icon32.png" << 32;
    QTest::newRow("again32") << "again32.png" << 32;
    QTest::newRow("cut16") << "cut16.png" << 16;
    for (const char *name : {"new", "hozon", "clear", "del", "help", "end", "next"}) {
        for (const int side : {32, 16}) {
            const QString file = name + QString::number(side) + ".png";
            QTest::newRow(qPrintable(file)) << file << side;
        }
    }
}

void TestPictures::icon()
{
    QFETCH(QString, file);
    QFETCH(int, side);
    const QImage image(":/pictures/" + file);
    QCOMPARE(image.size(), QSize(side, side));
    int clear = 0;
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            const QRgb p = image.pixel(x, y);
            clear += qAlpha(p) == 0;
            // Sixteen colours: every channel of a drawn pixel is 0, 128, 192 or 255.
            for (int c : {qRed(p), qGreen(p), qBlue(p)})
                QVERIFY2(qAlpha(p) == 0 || c == 0 || c == 128 || c == 192 || c == 255,
                         qPrintable(file));
        }
    }
    // The scissors stand on button grey; every other picture is see-through around its shape.
    QCOMPARE(clear == 0, file == "cut16.png");
    QVERIFY(clear < side * side * 3 / 4);
}

void TestPictures::logoIsOneTransparentGif()
{
    QFile file(":/pictures/logo.gif");
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray head = file.read(11);
    // GIF89a, 211 x 65 little-endian, a global table of 256 entries.
    QCOMPARE(head.left(10), QByteArray("GIF89a\xd3\x00\x41\x00", 10));
    QCOMPARE(quint8(head.at(10)) & 0x87, 0x87);
    QImageReader reader(":/pictures/logo.gif");
    QCOMPARE(reader.imageCount(), 1);
    const QImage logo = reader.read();
    for (const QPoint corner : {QPoint(0, 0), QPoint(210, 0), QPoint(0, 64), QPoint(210, 64)})
        QCOMPARE(qAlpha(logo.pixel(corner)), 0);
    int opaque = 0;
    for (int y = 0; y < logo.height(); ++y)
        for (int x = 0; x < logo.width(); ++x)
            opaque += qAlpha(logo.pixel(x, y)) != 0;
    QVERIFY(opaque > logo.width() * logo.height() / 5);
}

QTEST_GUILESS_MAIN(TestPictures)
#include "tst_pictures.moc"
