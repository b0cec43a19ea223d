#include "appwindows.h"
#include "fakes.h"
#include "frmmain.h"
#include "scratchdir.h"
#include "uistyle.h"
#include "zrvm.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>
#include <QTimer>

const QString listFile = "項目一覧.txt";
const QByteArray stamp // "12月31日","07時05分09秒": the fake clock's, on every record
    = hex("22 31 32 8C 8E 33 31 93 FA 22 2C 22 30 37 8E 9E 30 35 95 AA 30 39 95 62 22 2C");

// "T,T,...": items i1, i2... of these targets; "name:X": one item X; "jp": 腹筋 20, 腕立て 15.
static QByteArray listBytes(const QString &shape)
{
    if (shape == "jp")
        return hex("22 95 A0 8B D8 22 2C 32 30 0D 0A 22 98 72 97 A7 82 C4 22 2C 31 35");
    if (shape.startsWith("name:"))
        return "\"" + shape.mid(5).toLatin1() + "\",5\r\n";
    QByteArray out;
    for (const QString &target : shape.split(',', Qt::SkipEmptyParts))
        out += "\"i" + QByteArray::number(out.count('\n') + 1) + "\"," + target.toLatin1() + "\r\n";
    return out;
}

// The user's view: boxes as [title] or [title:file]; →設定 (unshown: the window never showed) or
// cmdNext, the labels (* current, - other, ? wrong), the name, txt= and unusual bar=, suggested=,
// pt=, focus=; flash=N; list+ (rewritten); histories, stamp @, line end ;, N alike ones as N×.
static QString observe(const FakeServices &fs, frmMain &w, const QByteArray &list)
{
    static const QHash<QString, QString> texts {
        {"項目無し", "項目登録ボタンを押して項目を設定してください"},
        {"確認", "回数ゼロで次へ進もうとしていますがよろしいいですか？"}};
    QStringList out;
    for (const FakeDialogs::Shown &box : fs.dialogs.shown)
        out << QString("[%1%2]").arg(
            box.title, box.text == texts.value(box.title) ? "" : ":" + box.text.section(' ', 0, 0));
    const auto text = [&](const char *name, const char *property = "text") {
        return w.findChild<QWidget *>(name)->property(property).toString();
    };
    if (fs.windows.shown == QList {AppWindow::Settings} && fs.windows.unloaded == QWidgetList {&w})
        out << QString("→設定") + (w.isVisible() ? "" : " unshown");
    else {
        QString labels;
        const QList<QColor> colours {UiStyle::paletteColor(12), UiStyle::paletteColor(15)};
        for (int k = 1; k <= 20; ++k)
            if (auto *l = w.findChild<QWidget *>(QString("lblSnd(%1)").arg(k)); l->isVisible())
                labels += l->property("text")
                        != QString("%1.").arg(k) + ZRVM::items.items().value(k - 1).name
                    ? '?'
                    : "?*-"[colours.indexOf(l->palette().color(QPalette::WindowText)) + 1];
        const QString txt = text("txtKaisu"), bar = text("hsbKaisu", "value"),
                      focus = w.focusWidget()->objectName();
        const int pt = w.findChild<QWidget *>("lblKoumoku")->font().pointSize();
        out << text("cmdNext") << labels << text("lblKoumoku") << "txt=" + txt
            << (bar == txt ? "" : "bar=" + bar)
            << (text("lblKaisu") == txt ? "" : "suggested=" + text("lblKaisu"))
            << (pt == 65 ? "" : "pt=" + QString::number(pt))
            << (focus == "cmdNext" ? "" : "focus=" + focus);
    }
    out << (fs.events.waits.isEmpty() ? "" : "flash=" + QString::number(fs.events.waits.count(100)))
        << (fs.random.reseeds == fs.random.draws ? "" : "a draw without a reseed")
        << QHash<QByteArray, QString> {{list, ""}, {list + "\r\n", "list+"}}.value(
               ScratchDir::read(listFile), "list=?");
    QMap<QByteArray, QStringList> alike; // history content → items
    for (const QString &f : ScratchDir::entries())
        if (f != listFile && !QFileInfo(f).isSymLink()) // never reading /dev/full
            alike[ScratchDir::read(f).replace(stamp, "@").replace("\r\n", ";")] << f.chopped(4);
    for (auto h = alike.cbegin(); h != alike.cend(); ++h)
        out << (h->size() > 1 ? QString("%1×").arg(h->size()) : h->first() + "=") + h.key();
    return out.join(' ').simplified();
}

class TestFrmMain : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // First of all: the flash colour index lives for the whole run of this program.
    void flashColoursStepAcrossRounds()
    {
        ScratchDir dir;
        FakeServices fs;
        ScratchDir::write(listFile, listBytes("3,3,3,3,3"));
        const QList<int> expected {0, 1, 2, 3, 5, 6, 9, 10, 12, 13, 14, 15, 1, 2, 3, 4};
        int n = 0;
        for (int round = 1; round <= 4; ++round) {
            frmMain w(fs.services);
            w.Form_Load();
            fs.events.duringDispatch = [&] { // on bare background left of txtKaisu
                QCOMPARE(w.grab().toImage().pixelColor(200, 360),
                         UiStyle::paletteColor(expected.value(n++)));
            };
            QTest::keyClicks(w.findChild<QWidget *>("cmdNext"), "     ");
            QCOMPARE(w.palette().color(QPalette::Window), w.palette().color(QPalette::Button));
        }
        QCOMPARE(n, expected.size());
    }

    void scenario_data()
    {
        for (const char *column : {"list", "script", "seen"})
            QTest::addColumn<QString>(column);
        const auto row = [](const QString &list, const QString &script, const QString &seen) {
            QTest::newRow(qUtf8Printable(list + ": " + script.left(40))) << list << script << seen;
        };
        // clang-format off
        // Start-up: the name's font size by its length (in characters: 腕立て in jp), none, an unreadable list, 20.
        for (auto [n, pt] : {std::pair {0, 16}, {5, 65}, {6, 48}, {8, 48}, {9, 36}, {10, 36}, {11, 28}, {14, 28},
                             {15, 22}, {18, 22}, {19, 16}})
            row("name:" + QString(n, 'a'), "",
                QString("終了 * %1 txt=1 pt=%2").arg(QString(n, 'a')).arg(pt).remove(" pt=65").simplified());
        row("", "", "[項目無し] →設定 unshown");
        row("5,5", "break:項目一覧.txt |", "[読み込みエラー:項目一覧.txt] →設定 unshown list=?");
        row(QString("5,").repeated(20), "draw:0.5 |", "次へ *------------------- i1 txt=3");
        // The suggested count floor(target × draw + 1); the count as typed, below 1 confirmed first.
        row("1,30000,0,-5", "draw:0.99999994 draw:0.5 draw:0.7 draw:0.5 | cmdNext cmdNext cmdNext",
            "終わり ---* i4 txt=-2 bar=0 flash=3 i2=@15001; 2×@1;");
        row("5,5", "type: cancel cmdNext type:abc12 cancel cmdNext",
            "[確認] [確認] 次へ *- i1 txt=abc12 bar=1 suggested=1 focus=txtKaisu");
        row("5,5,5,5,5", "type:0.5 cmdNext type:0 cmdNext type:1.5 cmdNext type:12abc cmdNext",
            "[確認] [確認] 終わり ----* i5 txt=1 flash=4 i1=@0.5; i2=@0; i3=@1.5; i4=@12;");
        // Rounds: one record for each item passed, no flash after the last; input during a flash.
        row("5", "cmdNext", "→設定 i1=@1;");
        row("5,5", "meddle cmdNext cmdNext", "→設定 flash=1 2×@1;");
        row(QString("5,").repeated(25), QString("cmdNext ").repeated(20), "→設定 flash=19 20×@1;");
        row("5,5,5", "cmdCut", "→設定");
        row("5,5,5", "cmdNext cmdCut", "→設定 flash=1 i1=@1;");
        // Keys that run Next; the scroll bar stays when typing and then replaces the text.
        row("5,5,5,5", "type:15 txtKaisu:Return type:16 cmdNext:Space type:17 cmdNext:Return",
            "終わり ---* i4 txt=1 flash=3 i1=@15; i2=@16; i3=@17;");
        row("5,5", "type:15 hsbKaisu:Right hsbKaisu:Right hsbKaisu:Left", "次へ *- i1 txt=2 suggested=1");
        // Writes: the history first, then the list; a failed history write keeps the item.
        row("jp", "type:7 cmdNext", "終わり -* 腕立て txt=1 flash=1 list+ 腹筋=@7;");
        row("jp", "break:腹筋.txt | type:7 cmdNext", "[書き込みエラー:腹筋.txt] 次へ *- 腹筋 txt=7 bar=1 suggested=1");
        row("jp", "type:7 break:項目一覧.txt cmdNext", "[書き込みエラー:項目一覧.txt] 終わり -* 腕立て txt=1 flash=1 list=? 腹筋=@7;");
        // clang-format on
    }
    // Steps before | run before the load: NAME clicks, NAME:KEY presses KEY; draw:F queues a draw;
    // break:FILE spoils it (the list a folder, a history /dev/full); type:T retypes txtKaisu;
    // cancel answers the next box; meddle clicks, Enters, cuts and closes during a flash.
    void scenario()
    {
        QFETCH(QString, list);
        QFETCH(QString, script);
        QFETCH(QString, seen);
        ScratchDir dir;
        FakeServices fs;
        ScratchDir::write(listFile, listBytes(list));
        frmMain w(fs.services);
        std::function<void(const QString &)> run = [&](const QString &steps) {
            for (const QString &step : steps.split(' ', Qt::SkipEmptyParts)) {
                const QString verb = step.section(':', 0, 0), arg = step.section(':', 1);
                if (QWidget *c = w.findChild<QWidget *>(verb); c && arg.isEmpty())
                    QTest::mouseClick(c, Qt::LeftButton);
                else if (c)
                    QTest::keyClick(c, QKeySequence(arg)[0].key());
                else if (verb == "draw")
                    fs.random.fractions.enqueue(arg.toFloat());
                else if (verb == "type")
                    w.findChild<QWidget *>("txtKaisu")->setProperty("text", ""),
                        QTest::keyClicks(w.findChild<QWidget *>("txtKaisu"), arg);
                else if (verb == "cancel")
                    fs.dialogs.okAnswers.enqueue(false);
                else if (verb == "break")
                    QVERIFY(arg == listFile ? QFile::remove(arg) && QDir().mkdir(arg)
                                            : QFile::link("/dev/full", arg));
                else if (verb == "meddle")
                    fs.events.duringDispatch = [&] {
                        run("cmdNext txtKaisu:Return cmdCut"), w.close();
                    };
            }
        };
        run(script.section('|', 0, -2));
        w.Form_Load();
        run(script.section('|', -1));
        QCOMPARE(observe(fs, w, listBytes(list)), seen);
    }

    // Real clicks and keys; the hand-over leaves the program running till the settings one closes.
    void realRound()
    {
        ScratchDir dir;
        ScratchDir::write(listFile, listBytes("1,1"));
        FakeServices fs; // all but the windows
        AppWindows windows;
        Services services {fs.dialogs, fs.clock, fs.random, fs.events, windows, fs.help};
        windows.setServices(services);
        windows.show(AppWindow::Counting);
        QWidget *counting = windows.loaded(AppWindow::Counting), *settei = nullptr;
        QVERIFY(counting && QTest::qWaitForWindowExposed(counting));
        QTest::mouseClick(counting->findChild<QWidget *>("cmdNext"), Qt::LeftButton);
        QTest::keyClicks(counting->findChild<QWidget *>("txtKaisu"), "5\r"); // 15: after the 1
        QVERIFY((settei = windows.loaded(AppWindow::Settings)));
        bool closed = false; // stays false when the program had already ended
        QTimer::singleShot(0, settei, [&] { // a new round from an emptied list: 項目無し, settings
            ScratchDir::write(listFile, "");
            fs.dialogs.onShow = [](auto &) {
                QCoreApplication::processEvents();
            }; // a box's own loop
            QTest::mouseClick(settei->findChild<QWidget *>("cmdAgain"), Qt::LeftButton);
            QTimer::singleShot(0, qApp, [&] {
                settei = windows.loaded(AppWindow::Settings);
                closed = settei && settei->isVisible() && settei->close();
            });
        });
        QTimer::singleShot(20000, qApp, [] { QCoreApplication::exit(1); });
        QVERIFY(QCoreApplication::exec() == 0 && closed);
        QCOMPARE(ScratchDir::read("i1.txt") + ScratchDir::read("i2.txt"),
                 stamp + "1\r\n" + stamp + "15\r\n");
    }
};

QTEST_MAIN(TestFrmMain)
#include "tst_frmmain.moc"
