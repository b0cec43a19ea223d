#include "appwindows.h"
#include "codepage932.h"
#include "fakes.h"
#include "frmmain.h"
#include "scratchdir.h"
#include "uistyle.h"
#include "zrvm.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>
#include <QTimer>

namespace {

const QString listFile = "項目一覧.txt";
// "12月31日","07時05分09秒", as the fake clock stamps every record.
const QByteArray stamp
    = hex("22 31 32 8C 8E 33 31 93 FA 22 2C 22 30 37 8E 9E 30 35 95 AA 30 39 95 62 22 2C");

// "NxT": items i1..iN of target T; "name:X": the one item X; "jp": 腹筋 20 and 腕立て 15, the
// last line end missing.
QByteArray listBytes(const QString &spec)
{
    if (spec == "jp")
        return hex("22 95 A0 8B D8 22 2C 32 30 0D 0A 22 98 72 97 A7 82 C4 22 2C 31 35");
    if (spec.startsWith("name:"))
        return "\"" + CodePage932::encode(spec.mid(5)).bytes + "\",5\r\n";
    QByteArray out;
    for (int k = 1; k <= spec.section('x', 0, 0).toInt(); ++k)
        out += "\"i" + QByteArray::number(k) + "\"," + spec.section('x', 1).toLatin1() + "\r\n";
    return out;
}

QWidget *child(const QWidget &w, const QString &name)
{
    return w.findChild<QWidget *>(name);
}

// What a user sees, on one line: each box as [title] ([title:file] for a failed file, [title:?]
// for a wrong text); →設定 when the settings window took over (unshown: the counting window
// never showed); else cmdNext's caption, the item labels (* current, - other, ? wrong), the item
// name, txt= and where unusual bar=, suggested=, pt=, focus=; flash=N; list+ when the list was
// rewritten; the histories by content, the stamp as @ and line ends as ; (N× for alike ones).
QString observe(const FakeServices &fs, frmMain &w, const QByteArray &list)
{
    static const QHash<QString, QString> texts {
        {"項目無し", "項目登録ボタンを押して項目を設定してください"},
        {"確認", "回数ゼロで次へ進もうとしていますがよろしいいですか？"}};
    QStringList out;
    const auto unless = [&](bool usual, const QString &token) {
        out << (usual ? QStringList() : QStringList {token});
    };
    const auto text = [&](const char *name) {
        return child(w, name)->property("text").toString();
    };
    for (const FakeDialogs::Shown &box : fs.dialogs.shown) {
        const QString file = box.text.contains(' ') ? ":" + box.text.section(' ', 0, 0) : "";
        out << "[" + box.title + (texts.value(box.title, box.text) == box.text ? file : ":?") + "]";
    }
    const bool handOver = fs.windows.shown == QList {AppWindow::Settings}
        && fs.windows.unloaded == QList<QWidget *> {&w};
    if (!fs.windows.shown.isEmpty() || !fs.windows.unloaded.isEmpty()) {
        out << QString(handOver ? "→設定" : "windows?") + (w.isVisible() ? "" : " unshown");
    } else {
        QString labels; // * current, - other, ? a wrong text or colour
        const QList<QColor> colours {UiStyle::paletteColor(12), UiStyle::paletteColor(15)};
        for (int k = 1; k <= 20; ++k) {
            const QWidget *l = child(w, QString("lblSnd(%1)").arg(k));
            const bool named = k <= ZRVM::items.count()
                && l->property("text") == QString("%1.").arg(k) + ZRVM::items.name(k);
            if (l->isVisible())
                labels += QString("?*-").at(
                    named ? colours.indexOf(l->palette().color(QPalette::WindowText)) + 1 : 0);
        }
        const QString txt = text("txtKaisu"),
                      bar = child(w, "hsbKaisu")->property("value").toString();
        const int pt = child(w, "lblKoumoku")->font().pointSize();
        out << text("cmdNext") << labels << text("lblKoumoku") << "txt=" + txt;
        unless(bar == txt, "bar=" + bar);
        unless(text("lblKaisu") == txt, "suggested=" + text("lblKaisu"));
        unless(pt == 65, "pt=" + QString::number(pt));
        unless(w.focusWidget() == child(w, "cmdNext"), "focus=" + w.focusWidget()->objectName());
    }
    unless(fs.events.waits.isEmpty(), "flash=" + QString::number(fs.events.waits.size()));
    unless(fs.events.waits == QList<int>(fs.events.waits.size(), 100), "pause not 0.1 s");
    unless(fs.random.reseeds == fs.random.draws, "a draw without a reseed");
    const QByteArray now = QFileInfo(listFile).isFile() ? ScratchDir::read(listFile) : "?";
    unless(now == list, now == list + "\r\n" ? "list+" : now == "?" ? "list=?" : "list changed");
    QMap<QByteArray, QStringList> histories; // content → items; a link to /dev/full is not read
    for (const QString &name : ScratchDir::entries()) {
        QByteArray bytes = QFileInfo(name).isSymLink() ? "link" : ScratchDir::read(name);
        if (name != listFile)
            histories[bytes.replace(stamp, "@").replace("\r\n", ";")] << name.chopped(4);
    }
    for (auto h = histories.cbegin(); h != histories.cend(); ++h)
        out << (h->size() > 1 ? QString("%1×").arg(h->size()) : h->first() + "=") + h.key();
    return out.join(' ');
}

} // namespace

class TestFrmMain : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // First of all: the flash colour index lives for the whole run of this program.
    void flashColoursStepAcrossRounds()
    {
        ScratchDir dir;
        FakeServices fs;
        ScratchDir::write(listFile, listBytes("5x3"));
        QList<QColor> flashes, expected; // as painted on bare background left of txtKaisu
        for (int i : {0, 1, 2, 3, 5, 6, 9, 10, 12, 13, 14, 15, 1, 2, 3, 4})
            expected << UiStyle::paletteColor(i);
        for (int round = 1; round <= 4; ++round) {
            frmMain w(fs.services);
            w.Form_Load();
            fs.events.duringDispatch = [&] {
                flashes << w.grab().toImage().pixelColor(200, 360);
            };
            for (int k = 1; k <= 5; ++k)
                QTest::mouseClick(child(w, "cmdNext"), Qt::LeftButton);
            QCOMPARE(w.palette().color(QPalette::Window), w.palette().color(QPalette::Button));
        }
        QCOMPARE(flashes, expected);
    }

    void scenario_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("seen");
        const auto row = [](const QString &list, const QString &script, const QString &seen) {
            QTest::newRow(qUtf8Printable(list + ": " + script.left(40))) << list << script << seen;
        };
        // Start-up; one-item lists show the name's font size by its length in characters.
        row("", "", "[項目無し] →設定 unshown");
        row("2x5", "break:項目一覧.txt |", "[読み込みエラー:項目一覧.txt] →設定 unshown list=?");
        row("20x5", "draw:0.5 |", "次へ *------------------- i1 txt=3");
        row("25x5", "", "次へ *------------------- i1 txt=1");
        row("name:", "", "終了 *  txt=1 pt=16");
        row("name:腕立て伏せ", "", "終了 * 腕立て伏せ txt=1");
        row("name:腕立て伏せ2", "", "終了 * 腕立て伏せ2 txt=1 pt=48");
        row("name:abcdefgh", "", "終了 * abcdefgh txt=1 pt=48");
        row("name:abcdefghi", "", "終了 * abcdefghi txt=1 pt=36");
        row("name:abcdefghij", "", "終了 * abcdefghij txt=1 pt=36");
        row("name:abcdefghijk", "", "終了 * abcdefghijk txt=1 pt=28");
        row("name:abcdefghijklmn", "", "終了 * abcdefghijklmn txt=1 pt=28");
        row("name:abcdefghijklmno", "", "終了 * abcdefghijklmno txt=1 pt=22");
        row("name:abcdefghijklmnopqr", "", "終了 * abcdefghijklmnopqr txt=1 pt=22");
        row("name:abcdefghijklmnopqrs", "", "終了 * abcdefghijklmnopqrs txt=1 pt=16");
        // The suggested count floor(target × draw + 1), as shown and as recorded.
        row("2x1", "draw:0.99999994 | next", "終わり -* i2 txt=1 flash=1 i1=@1;");
        row("2x0", "draw:0.7 |", "次へ *- i1 txt=1");
        row("2x-5", "draw:0.5 |", "次へ *- i1 txt=-2 bar=0");
        row("2x30000", "draw:0.5 | next", "終わり -* i2 txt=1 flash=1 i1=@15001;");
        // The count as typed; below 1 it is confirmed first.
        row("2x5", "type: cancel next type:abc12 cancel next",
            "[確認] [確認] 次へ *- i1 txt=abc12 bar=1 suggested=1 focus=txtKaisu");
        row("3x5", "type:0.5 next type:0 next",
            "[確認] [確認] 終わり --* i3 txt=1 flash=2 i1=@0.5; i2=@0;");
        row("3x5", "type:1.5 next type:12abc next", "終わり --* i3 txt=1 flash=2 i1=@1.5; i2=@12;");
        // Rounds: every item passed gets exactly one more record; no flash after the last.
        row("1x5", "next", "→設定 i1=@1;");
        row("2x5", "old next next", "→設定 flash=1 2×x;@1;");
        row("25x5", "old " + QString("next ").repeated(20), "→設定 flash=19 5×x; 20×x;@1;");
        row("3x5", "cut", "→設定");
        row("3x5", "next cut", "→設定 flash=1 i1=@1;");
        row("2x5", "meddle next", "終わり -* i2 txt=1 flash=1 i1=@1;");
        // Count entry: keys that run Next, and the scroll bar replacing a typed count.
        row("2x100", "draw:0.5 | type:15", "次へ *- i1 txt=15 bar=51 suggested=51");
        row("4x100", "draw:0.5 | type:15 enter type:16 key:Space type:17 key:Return",
            "終わり ---* i4 txt=1 flash=3 i1=@15; i2=@16; i3=@17;");
        row("2x100", "draw:0.5 | type:15 bar:Right bar:Right bar:Left",
            "次へ *- i1 txt=52 suggested=51");
        // Writes: the history first, then the list; a failed history write keeps the item.
        row("jp", "type:7 next", "終わり -* 腕立て txt=1 flash=1 list+ 腹筋=@7;");
        row("jp", "break:腹筋.txt | type:7 next",
            "[書き込みエラー:腹筋.txt] 次へ *- 腹筋 txt=7 bar=1 suggested=1 腹筋=link");
        row("jp", "type:7 break:項目一覧.txt next",
            "[書き込みエラー:項目一覧.txt] 終わり -* 腕立て txt=1 flash=1 list=? 腹筋=@7;");
    }
    // Steps before | run before the window loads. draw:F queues a draw; old gives each item an
    // old record x; break:FILE makes FILE unwritable (the list a folder, a history /dev/full);
    // type:T; cancel answers the next box; next and cut click; enter in txtKaisu; key:K on
    // cmdNext; bar:K on hsbKaisu; meddle clicks, Enters, cuts and closes during the flash.
    void scenario()
    {
        QFETCH(QString, list);
        QFETCH(QString, script);
        QFETCH(QString, seen);
        ScratchDir dir;
        FakeServices fs;
        ScratchDir::write(listFile, listBytes(list));
        frmMain w(fs.services);
        QWidget *txt = child(w, "txtKaisu"), *next = child(w, "cmdNext");
        bool closed = false;
        QHash<QString, std::function<void(const QString &)>> act;
        const auto run = [&](const QString &steps) {
            for (const QString &step : steps.split(' ', Qt::SkipEmptyParts))
                act.value(step.section(':', 0, 0))(step.section(':', 1));
        };
        act.insert("draw", [&](const QString &f) { fs.random.fractions.enqueue(f.toFloat()); });
        act.insert("old", [&](auto) {
            for (const Item &item : ZRVM::items.items())
                ScratchDir::write(item.name + ".txt", "x\r\n");
        });
        act.insert("break", [&](const QString &f) {
            QVERIFY(f == listFile ? QFile::remove(f) && QDir().mkdir(f)
                                  : QFile::link("/dev/full", f));
        });
        act.insert("type", [&](const QString &t) {
            txt->setProperty("text", ""), QTest::keyClicks(txt, t);
        });
        act.insert("cancel", [&](auto) { fs.dialogs.okAnswers.enqueue(false); });
        act.insert("next", [&](auto) { QTest::mouseClick(next, Qt::LeftButton); });
        act.insert("cut", [&](auto) { QTest::mouseClick(child(w, "cmdCut"), Qt::LeftButton); });
        act.insert("enter", [&](auto) { QTest::keyClick(txt, Qt::Key_Return); });
        act.insert("key",
                   [&](const QString &k) { QTest::keyClick(next, QKeySequence(k)[0].key()); });
        act.insert("bar", [&](const QString &k) {
            QTest::keyClick(child(w, "hsbKaisu"), QKeySequence(k)[0].key());
        });
        act.insert("meddle", [&](auto) {
            fs.events.duringDispatch = [&] {
                run("next enter cut"), closed = w.close();
            };
        });
        run(script.section('|', 0, -2));
        w.Form_Load();
        run(script.section('|', -1));
        QVERIFY(!closed);
        QCOMPARE(observe(fs, w, listBytes(list)), seen);
    }

    // The real windows on a real display, driven with key and mouse events: a fixed size, the
    // focus order, a round whose hand-over does not end the program, and its settings window's
    // close box that does.
    void realRound()
    {
        ScratchDir dir;
        ScratchDir::write(listFile, listBytes("2x1"));
        FakeServices fs; // its dialogs, help and draws
        SystemClock clock;
        QtEventPump events;
        AppWindows windows;
        Services services {fs.dialogs, clock, fs.random, events, windows, fs.help};
        windows.setServices(services);
        windows.show(AppWindow::Counting);
        QWidget *counting = windows.loaded(AppWindow::Counting);
        QVERIFY(counting && QTest::qWaitForWindowExposed(counting));
        QVERIFY(counting->minimumSize() == QSize(629, 450)
                && counting->maximumSize() == QSize(629, 450));
        QVERIFY(child(*counting, "txtKaisu")->y() < child(*counting, "hsbKaisu")->y()
                && child(*counting, "lblSnd(1)")->y() < child(*counting, "lblSnd(20)")->y());
        QStringList order;
        for (int i = 0; i < 5; ++i, QTest::keyClick(counting->focusWidget(), Qt::Key_Tab))
            order << counting->focusWidget()->objectName();
        QCOMPARE(order, (QStringList {"cmdNext", "hsbKaisu", "cmdCut", "txtKaisu", "cmdNext"}));
        QTest::mouseClick(child(*counting, "cmdNext"), Qt::LeftButton);
        QTest::keyClicks(child(*counting, "txtKaisu"), "5\r"); // after the suggested 1
        QWidget *settings = windows.loaded(AppWindow::Settings);
        QVERIFY(!windows.loaded(AppWindow::Counting) && settings && settings->isVisible());
        bool closedByUs = false; // stays false when the program had already ended
        QTimer::singleShot(0, settings,
                           [&] { closedByUs = settings->isVisible() && settings->close(); });
        QTimer::singleShot(20000, qApp, [] { QCoreApplication::exit(1); });
        QVERIFY(QCoreApplication::exec() == 0 && closedByUs);
        QCOMPARE(ScratchDir::read("i1.txt").mid(stamp.size())
                     + ScratchDir::read("i2.txt").mid(stamp.size()),
                 QByteArray("1\r\n15\r\n"));
    }
};

QTEST_MAIN(TestFrmMain)
#include "tst_frmmain.moc"
