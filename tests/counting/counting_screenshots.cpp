// Pictures of the counting window for a visual check: the first item, a flash and the last item
// of a round over a copy of the given item directory, e.g.
//   scripts/with-xvfb.sh build/tests/counting/counting_screenshots sample /tmp/counting
// writes /tmp/counting-first.png, /tmp/counting-flash.png and /tmp/counting-last.png.
#include "fakes.h"
#include "frmmain.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <item directory> <output prefix>\n", argv[0]);
        return 2;
    }
    const QDir items(QString::fromLocal8Bit(argv[1]));
    const QString prefix = QFileInfo(QString::fromLocal8Bit(argv[2])).absoluteFilePath();
    // The round writes histories; the originals stay untouched.
    QTemporaryDir work;
    for (const QString &name : items.entryList(QDir::Files))
        QFile::copy(items.filePath(name), work.filePath(name));
    QDir::setCurrent(work.path());

    FakeServices fs;
    for (float f : {0.55f, 0.3f, 0.8f, 0.1f})
        fs.random.fractions.enqueue(f);
    frmMain w(fs.services);
    w.Form_Load();
    if (!w.isVisible())
        return 1;
    if (!QTest::qWaitForWindowExposed(&w))
        return 1;
    bool ok = w.grab().save(prefix + "-first.png");
    fs.events.duringDispatch = [&] {
        if (!QFile::exists(prefix + "-flash.png"))
            ok = w.grab().save(prefix + "-flash.png") && ok;
    };
    QFile::remove(prefix + "-flash.png");
    auto *next = w.findChild<QToolButton *>("cmdNext");
    while (next->text() != QStringLiteral("終わり") && next->text() != QStringLiteral("終了"))
        QTest::mouseClick(next, Qt::LeftButton);
    ok = w.grab().save(prefix + "-last.png") && ok;
    std::printf("%s-{first,flash,last}.png\n", qPrintable(prefix));
    return ok ? 0 : 1;
}
