#include <QFile>
#include <QImageReader>
#include <QTest>

class TestPictures : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void pictures();
};

void TestPictures::pictures()
{
    QStringList files {"icon32.png", "again32.png", "cut16.png"};
    for (const char *name : {"new", "hozon", "clear", "del", "help", "end", "next"})
        files << QString(name) + "32.png" << QString(name) + "16.png";
    for (const QString &file : files) {
        const QImage image(":/pictures/" + file);
        const int side = file.contains("16") ? 16 : 32;
        QCOMPARE(image.size(), QSize(side, side));
        int clear = 0;
        for (int y = 0; y < side; ++y) {
            for (int x = 0; x < side; ++x) {
                const QRgb p = image.pixel(x, y);
                clear += qAlpha(p) == 0;
                // Sixteen colours: every channel of a drawn pixel is 0, 128, 192 or 255.
                for (int c : {qRed(p), qGreen(p), qBlue(p)})
                    QVERIFY2(!qAlpha(p) || c == 0 || c == 128 || c == 192 || c == 255,
                             qPrintable(file));
            }
        }
        // Every picture is see-through around its shape, so any button face shows there.
        QVERIFY2(clear > 0, qPrintable(file));
        QVERIFY(clear < side * side * 5 / 6); // the thin scissors are the sparsest, at 80%
    }
    QFile gif(":/pictures/logo.gif");
    QVERIFY(gif.open(QIODevice::ReadOnly));
    // GIF89a, 211 x 65 little-endian, a global table of 256 entries, one image.
    QCOMPARE(gif.read(11), QByteArray("GIF89a\xd3\x00\x41\x00\xf7", 11));
    QImageReader reader(":/pictures/logo.gif");
    QCOMPARE(reader.imageCount(), 1);
    const QImage logo = reader.read();
    QVERIFY(qAlpha(logo.pixel(0, 0)) == 0 && qAlpha(logo.pixel(210, 64)) == 0);
}

QTEST_GUILESS_MAIN(TestPictures)
#include "tst_pictures.moc"
