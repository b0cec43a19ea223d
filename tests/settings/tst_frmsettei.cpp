#include "appwindows.h"
#include "chmviewer.h"
#include "fakes.h"
#include "frmsettei.h"
#include "scratchdir.h"
#include "zrvm.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <signal.h>

namespace {

using Files = QMap<QString, QByteArray>;
const QString kList = "項目一覧.txt";
// "05月09日","23時49分31秒", in front of every count in a history fixture.
const QByteArray kStamp
    = hex("22 30 35 8C 8E 30 39 93 FA 22 2C 22 32 33 8E 9E 34 39 95 AA 33 31 95 62 22 2C");

// Every box there is, as kind|title|text under the name the rows give it; name:x gives x for %1,
// the item list file when left out.
// W and I are the icons, C marks OK with Cancel, IN an input box.
const QMap<QString, QString> kBoxes {
    {"?name", "IN|項目名入力|項目名は何ですか？"},
    {"?target", "IN|指示数入力|指示数をいくつにしますか？（半角文字で入力）"},
    {"low", "W|下限値制限|必ず１以上を入力して下さい"},
    {"high", "W|上限値制限|指示数は32767以下で入力して下さい"},
    {"limit", "W|項目数上限制約|登録できる項目数は２０項目までです。"},
    {"cancelled", "W|キャンセル|新規追加をキャンセルします"},
    {"added", "I|新規登録終了|%1 の設定を新規登録しました"},
    {"range", "W|範囲外|指示数は-32768から32767までの数で入力して下さい"},
    {"updated", "I|設定更新終了|%1 の設定を更新しました"},
    {"none", "I|項目未選定|先に項目を選んで下さい"},
    {"clear?", "WC|クリア確認|%1のカウント数と履歴データをクリアします。よろしいですか？"},
    {"cleared", "I|クリア終了|%1 のカウント数と履歴データをクリアしました"},
    {"delete?", "WC|クリア確認|%1を削除します。よろしいですか？"},
    {"deleted", "I|削除終了|削除しました"},
    {"noItems", "W|項目未登録|先に項目を入力して下さい"},
    {"forbidden", "W|項目名エラー|項目名に使えない文字（\\ / : * ? \" < > |）が含まれています。"},
    {"listName", "W|項目名エラー|項目名「項目一覧」は使えません。"},
    {"dots", "W|項目名エラー|項目名に . や .. は使えません。"},
    {"control", "W|項目名エラー|項目名に制御文字は使えません。"},
    {"notSjis", "W|項目名エラー|項目名に使えない文字が含まれています（Shift_JISで表せない文字）。"},
    {"tooLong", "W|項目名エラー|項目名が長すぎます。"},
    {"cantRead", "W|読み込みエラー|%1 を読み込めませんでした。"},
    {"cantWrite",
     "W|書き込みエラー|%1 に書き込めませんでした。\n"
     "ディスクの空き容量と書き込み権限を確認してください。"},
};

// "a b,-3|a:7,2 b:" is the item list a (target 1), b (target -3), a.txt with the counts 7 and 2,
// and an empty b.txt.
Files files(const QString &spec)
{
    Files out {{kList, {}}};
    for (const QString &item : spec.section(u'|', 0, 0).split(u' ', Qt::SkipEmptyParts))
        out[kList] += '"' + item.section(u',', 0, 0).toLatin1() + "\","
            + (item.contains(u',') ? item.section(u',', 1).toLatin1() : "1") + "\r\n";
    for (const QString &history : spec.section(u'|', 1).split(u' ', Qt::SkipEmptyParts)) {
        QByteArray &bytes = out[history.section(u':', 0, 0) + ".txt"];
        for (const QString &count : history.section(u':', 1).split(u',', Qt::SkipEmptyParts))
            bytes += kStamp + count.toLatin1() + "\r\n";
    }
    return out;
}

QStringList rows(const QAbstractItemModel *model)
{
    QStringList out;
    for (int r = 0; r < model->rowCount(); ++r)
        out.append(model->index(r, 0).data().toString());
    return out;
}

struct Window
{
    ScratchDir dir;
    FakeServices fs;
    Files given;
    frmSettei w {fs.services};

    explicit Window(const QString &spec)
        : given(files(spec))
    {
        for (auto [name, bytes] : given.asKeyValueRange())
            ScratchDir::write(name, bytes);
        QVERIFY(ZRVM::LoadItemList().ok());
        w.Form_Load();
        w.show();
    }
    template<typename T> T *get(const QString &name) { return w.findChild<T *>(name); }

    // Steps split by ';': ?text answers the next input box (\t for a tab), ! cancels the next
    // confirmation, cN and pN choose entry N of cboKoumoku and lstKoumoku, k= and n= type into
    // txtKoumoku and txtKaisu, jam puts a directory in place of the item list file (jam=file: of
    // that file), and a button's name clicks it.
    void run(const QString &steps)
    {
        auto *cbo = get<QComboBox>("cboKoumoku");
        auto *lst = get<QListWidget>("lstKoumoku");
        for (const QString &step : steps.split(u';', Qt::SkipEmptyParts)) {
            const int n = step.mid(1).toInt();
            const QString file = step.size() > 4 ? step.mid(4) : kList;
            if (step.startsWith(u'?'))
                fs.dialogs.inputAnswers.enqueue(step.mid(1).replace("\\t", "\t"));
            else if (step == "!")
                fs.dialogs.okAnswers.enqueue(false);
            else if (step.startsWith("cmd"))
                get<QAbstractButton>(step)->click();
            else if (step.startsWith(u'c'))
                cbo->setCurrentIndex(n), Q_EMIT cbo->activated(n);
            else if (step.startsWith(u'p'))
                QTest::mouseClick(lst->viewport(), Qt::LeftButton, {},
                                  lst->visualItemRect(lst->item(n)).center());
            else if (step.startsWith("k=") || step.startsWith("n="))
                get<QLineEdit>(step[0] == u'k' ? "txtKoumoku" : "txtKaisu")->setText(step.mid(2));
            else if (step.startsWith("jam"))
                QVERIFY(QDir().mkdir(file) || (QFile::remove(file) && QDir().mkdir(file)));
            else
                QFAIL(qPrintable(step));
        }
    }

    QStringList boxes() const
    {
        QStringList out;
        for (const FakeDialogs::Shown &s : fs.dialogs.shown)
            out.append(QString(s.kind == "input"                    ? "IN"
                                   : s.icon == MessageIcon::Warning ? "W"
                                                                    : "I")
                       + (s.kind == "message" && s.buttons == MessageButtons::OkCancel ? "C|" : "|")
                       + s.title + '|' + s.text);
        return out;
    }

    // lstKoumoku with the selected entry starred, [cboKoumoku's entries] where they differ,
    // >cboKoumoku's text|lstRireki with ':' for the stamp|lblGoukei with '=' for its caption|
    // txtKoumoku,txtKaisu
    QString view()
    {
        auto *l = get<QListWidget>("lstKoumoku");
        const QStringList names = rows(l->model()),
                          cbo = rows(get<QComboBox>("cboKoumoku")->model());
        QStringList lst = names;
        for (const QListWidgetItem *item : l->selectedItems())
            lst[l->row(item)] += '*';
        return lst.join(' ') + (cbo == names ? QString() : '[' + cbo.join(' ') + ']') + '>'
            + get<QComboBox>("cboKoumoku")->currentText() + '|'
            + rows(get<QAbstractItemView>("lstRireki")->model())
                  .replaceInStrings(" _ 05月09日 _ 23時49分31秒 _ ", ":")
                  .join(' ')
            + '|' + get<QLabel>("lblGoukei")->text().replace("合計回数 ： ", "=") + '|'
            + get<QLineEdit>("txtKoumoku")->text() + ',' + get<QLineEdit>("txtKaisu")->text();
    }
};

// One row a line: tag # files before # steps # files after ("=" when they must not change) #
// the window's view # the boxes shown, in order. "w^N" stands for N times w.
void table(const char *lines)
{
    QTest::addColumn<QStringList>("row");
    static const QRegularExpression repeated("(\\w+)\\^(\\d+)",
                                             QRegularExpression::UseUnicodePropertiesOption);
    for (QString line : QString(lines).split(u'\n', Qt::SkipEmptyParts)) {
        for (auto m = repeated.match(line); m.hasMatch(); m = repeated.match(line))
            line.replace(m.capturedStart(), m.capturedLength(),
                         (m.captured(1) + ' ').repeated(m.captured(2).toInt()).chopped(1));
        QStringList fields = line.split(u'#');
        for (QString &field : fields)
            field = field.trimmed();
        QTest::newRow(qPrintable(fields[0])) << fields.mid(1);
    }
}

void act()
{
    QFETCH(QStringList, row);
    Window win(row[0]);
    win.run(row[1]);
    QStringList boxes = win.boxes(), expected;
    boxes.removeAll(kBoxes["?name"]); // the rows leave out the two input boxes that belong
    boxes.removeAll(kBoxes["?target"]);
    for (const QString &box : row.value(4).split(u' ', Qt::SkipEmptyParts))
        expected.append(kBoxes[box.section(u':', 0, 0)].replace(
            "%1", box.contains(u':') ? box.section(u':', 1) : kList));
    QCOMPARE(boxes, expected);
    QVERIFY2(win.fs.dialogs.inputAnswers.isEmpty() && win.fs.dialogs.okAnswers.isEmpty(),
             "an answer was never asked for");
    QCOMPARE(win.view(), row[3]);
    for (const QString &name : ScratchDir::entries()) {
        if (QDir().rmdir(name) && win.given.contains(name)) // undo a jam
            ScratchDir::write(name, win.given[name]);
    }
    Files disk;
    for (const QString &name : ScratchDir::entries())
        disk[name] = ScratchDir::read(name);
    const Files want = row[2] == "=" ? win.given : files(row[2]);
    QVERIFY2(disk == want,
             qPrintable(QDebug::toString(disk) + " instead of " + QDebug::toString(want)));
}

} // namespace

class TestFrmSettei : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void layoutAndKeyboard()
    {
        Window win("");
        QCOMPARE(win.w.size(), QSize(631, 452));
        QCOMPARE(win.w.minimumSize(), win.w.maximumSize());
        QVERIFY(!(win.w.windowFlags() & Qt::WindowMaximizeButtonHint));
        QMap<int, QString> buttons; // left to right
        for (const QAbstractButton *b : win.w.findChildren<QAbstractButton *>())
            buttons[b->x()] = b->objectName() + '=' + b->text() + (b->icon().isNull() ? "" : "+");
        QCOMPARE(buttons.values().join(' '),
                 "cmdAgain=開始+ cmdNew=登録+ cmdHozon=保存+ cmdClear=クリア+ "
                 "cmdDel=削除+ cmdHelp=ヘルプ+ cmdEnd=終了+");
        QStringList order;
        for (int k = 0; k < 13; ++k, QTest::keyClick(win.w.focusWidget(), Qt::Key_Tab)) {
            QWidget *f = win.w.focusWidget();
            while (f->objectName().isEmpty() || f->objectName().startsWith("qt_"))
                f = f->parentWidget();
            order.append(f->objectName());
        }
        QCOMPARE(order.join(' '),
                 "cmdAgain cmdNew cmdHozon cmdClear cmdDel cmdHelp cmdEnd cboKoumoku "
                 "lstKoumoku txtKaisu txtKoumoku lstRireki cmdAgain");
        QTest::keyClick(win.get<QWidget>("cmdAgain"), Qt::Key_Return);
        QCOMPARE(win.boxes(), QStringList {kBoxes["noItems"]});
        QVERIFY(win.fs.windows.unloaded.isEmpty() && win.fs.windows.shown.isEmpty());
    }

    void history_data()
    {
        table(R"(
no items      #                       #              # = # >|||,
items         # a,5 b,3|a:7,2 b:9     #              # = # a b>a|1:7 2:2|=9|,
2.5           # a|a:2.5               #              # = # a>a|1:2.5|=2|,
2.5 2.5       # a|a:2.5,2.5           #              # = # a>a|1:2.5 2:2.5|=4|,
1.5 1.5       # a|a:1.5,1.5           #              # = # a>a|1:1.5 2:1.5|=4|,
abc           # a|a:5,abc             #              # = # a>a|1:5 2:abc|=5|,
12abc         # a|a:1,2,12abc         #              # = # a>a|1:1 2:2 3:12abc|=15|,
huge          # a|a:99999999999999999 #              # = # a>a|1:99999999999999999|=1000000000000000|,
empty         # a|a:                  #              # = # a>a||=0|,
missing       # a                     #              # = # a>a||=0|,
numbered anew # a b,-3|b:1,8          # c1           # = # a b>b|1:1 2:8|=9|,
one history   # a b,-3 a|a:4 b:1,8    # c1;p1;c2     # = # a b* a>a|1:4|=4|b,-3
unreadable    # a|a:4                 # jam=a.txt;c0 # = # a>a||=0|, # cantRead:a.txt
)");
    }
    void history() { act(); }

    void registering_data()
    {
        table(R"(
19 entries    # n^19  # ?x;?5;cmdNew   # n^19 x,5|x: # n^19 x[n^19]>n||=0|, # added:x
20 entries    # n^20  # cmdNew         # =           # n^20>n||=0|,         # limit
1             #       # ?x;?1;cmdNew   # x,1|x:      # x[]>|||,             # added:x
1.5           #       # ?x;?1.5;cmdNew # x,1.5|x:    # x[]>|||,             # added:x
blanks        #       # ?x;?  3;cmdNew # x,3|x:      # x[]>|||,             # added:x
3回           #       # ?x;?3回;cmdNew # x,3|x:      # x[]>|||,             # added:x
cancel name   #       # cmdNew         # =           # >|||,                # cancelled
cancel target #       # ?x;?0;cmdNew   # =           # >|||,                # low cancelled
same name     # a|a:4 # ?a;?2;cmdNew   # a a,2|a:4   # a a[a]>a|1:4|=4|,    # added:a
slash         #       # ?a/b;cmdNew    # =           # >|||,                # forbidden
item list     #       # ?項目一覧;cmdNew # =         # >|||,                # listName
dots          #       # ?..;cmdNew     # =           # >|||,                # dots
tab           #       # ?a\tb;cmdNew   # =           # >|||,                # control
emoji         #       # ?a😀;cmdNew    # =           # >|||,                # notSjis
long          #       # ?あ^200;cmdNew # =           # >|||,                # tooLong
asked again # # ?x;?0;?-5;?0.5;?abc;?32768;?32767;cmdNew # x,32767|x: # x[]>|||, # low^4 high added:x
no history    #       # jam=x.txt;?x;?5;cmdNew # x,5 # x[]>|||, # cantWrite:x.txt
)");
    }
    void registering() { act(); }

    void saving_data()
    {
        table(R"(
2.5         # a,9 b   # p0;n=2.5;cmdHozon          # a,2 b # a* b>a||=0|a,2.5   # updated:a
3.5         # a,9     # p0;n=3.5;cmdHozon          # a,4   # a*>a||=0|a,3.5     # updated:a
-1          # a,9     # p0;n=-1;cmdHozon           # a,-1  # a*>a||=0|a,-1      # updated:a
empty       # a,9     # p0;n=;cmdHozon             # a,0   # a*>a||=0|a,        # updated:a
32767.5     # a,9     # p0;n=32767.5;cmdHozon      # =     # a*>a||=0|a,32767.5 # range
new name    # a|a:4   # p0;k=b;cmdHozon;c0         # b|a:4 # a*>a||=0|b,1       # updated:b
refused     # a       # p0;k=a/b;cmdHozon          # =     # a*>a||=0|a/b,1     # forbidden
none chosen # a|a:4   # k=a;cmdHozon               # =     # a>a|1:4|=4|a,      # none
write fails # a b|a:6 # p0;k=z;n=8;jam;cmdHozon    # =     # a* b>a|1:6|=6|z,8  # cantWrite
table kept  # a b|a:6 # p0;k=z;n=8;jam;cmdHozon;p0 # =     # a* b>a|1:6|=6|a,1  # cantWrite
)");
    }
    void saving() { act(); }

    void clearing_data()
    {
        table(R"(
on view   # a b a|a:4 b:1 # p0;cmdClear      # a b a|a: b:1 # a* b a>a||0|a,1     # clear?:a cleared:a
not shown # a b a|a:4 b:1 # c1;p0;cmdClear   # a b a|a: b:1 # a* b a>b|1:1|=1|a,1 # clear?:a cleared:a
shared    # a b a|a:4 b:1 # p2;cmdClear;c0   # a b a|a: b:1 # a b a*>a||=0|a,1    # clear?:a cleared:a
missing   # a c|a:4       # p1;cmdClear      # a c|a:4 c:   # a c*>a|1:4|=4|c,1   # clear?:c cleared:c
cancelled # a|a:6         # p0;!;cmdClear    # =            # a*>a|1:6|=6|a,1     # clear?:a
typed     # a b|a:6 b:7   # p0;k=b;cmdClear  # a b|a: b:7   # a* b>a||0|b,1       # clear?:a cleared:a
none      # a|a:4         # k=a;cmdClear     # =            # a>a|1:4|=4|a,       # none
fails     # a b|a:6       # p0;jam;cmdClear  # =            # a* b>a|1:6|=6|a,1   # clear?:a cantWrite
)");
    }
    void clearing() { act(); }

    void deleting_data()
    {
        table(R"(
3rd of 5  # a b c d e|a:6 c:7 # c2;p2;cmdDel # a b d e|a:6  # a b d e>a|1:6|=6|,  # delete?:c deleted
1 of 2    # a a,2|a:6     # p0;cmdDel        # a,2|a:6      # a>a|1:6|=6|,        # delete?:a deleted
2 of 2    # a a|a:6 # p0;cmdDel;p0;cmdDel # | # >||0|, # delete?:a deleted delete?:a deleted
cancelled # a|a:6         # p0;!;cmdDel      # =            # a*>a|1:6|=6|a,1     # delete?:a
typed     # a b|a:6 b:7   # p0;k=項目一覧;cmdDel # b|b:7    # b>b|1:7|=7|,        # delete?:a deleted
none      # a|a:4         # k=a;cmdDel       # =            # a>a|1:4|=4|a,       # none
emptied   # a|a:4         # p0;k=;cmdDel     # =            # a*>a|1:4|=4|,1      # none
fails     # a b|a:6       # p0;jam;cmdDel;p0 # =            # a* b>a|1:6|=6|a,1   # delete?:a cantWrite
)");
    }
    void deleting() { act(); }

    // The real program with its real boxes, answered as a user would, and a stand-in for xchm
    // that notes its process id and stays open.
    void registerPlayDeleteAndExit()
    {
        if (QGuiApplication::platformName() != "xcb")
            QSKIP("runs on a real display only");
        QTemporaryDir bin;
        ScratchDir::write(bin.filePath("xchm"),
                          "#!/bin/sh\necho $$ >>\"$0.pids\"\nexec sleep 600\n");
        QVERIFY(QFile::setPermissions(bin.filePath("xchm"), QFile::ReadOwner | QFile::ExeOwner));
        qputenv("PATH", bin.path().toLocal8Bit() + ':' + qgetenv("PATH"));
        ScratchDir dir;
        SystemClock clock;
        ClockSeededRandom random(clock);
        QtDialogs dialogs;
        QtEventPump events;
        ChmViewer help;
        AppWindows windows;
        Services services {dialogs, clock, random, events, windows, help};
        windows.setServices(services);
        QStringList answers {"腹筋", "3", "腕立て", "2"}, seen;
        QTimer user;
        user.callOnTimeout([&] {
            QWidget *box = QApplication::activeModalWidget();
            if (box)
                seen.append(box->windowTitle());
            if (auto *input = qobject_cast<QInputDialog *>(box))
                input->setTextValue(answers.takeFirst()), input->accept();
            else if (auto *message = qobject_cast<QMessageBox *>(box))
                message->button(QMessageBox::Ok)->click();
        });
        user.start(10);
        const auto press = [&](AppWindow window, const char *button) {
            windows.loaded(window)->findChild<QAbstractButton *>(button)->click();
        };

        windows.show(AppWindow::Counting);
        press(AppWindow::Settings, "cmdNew");
        press(AppWindow::Settings, "cmdNew");
        QCOMPARE(ScratchDir::read(kList),
                 hex("22 95 A0 8B D8 22 2C 33 0D 0A 22 98 72 97 A7 82 C4 22 2C 32 0D 0A"));
        press(AppWindow::Settings, "cmdAgain");
        QVERIFY(!windows.loaded(AppWindow::Settings));
        press(AppWindow::Counting, "cmdNext");
        press(AppWindow::Counting, "cmdNext");
        QWidget *settei = windows.loaded(AppWindow::Settings);
        QVERIFY(QTest::qWaitForWindowExposed(settei));
        auto *cbo = settei->findChild<QComboBox *>("cboKoumoku");
        const QAbstractItemModel *rireki
            = settei->findChild<QAbstractItemView *>("lstRireki")->model();
        QCOMPARE(cbo->currentText() + ' ' + QString::number(rireki->rowCount()), "腹筋 1");
        QTest::keyClick(cbo, Qt::Key_Down);
        QCOMPARE(cbo->currentText() + ' ' + QString::number(rireki->rowCount()), "腕立て 1");
        auto *list = settei->findChild<QListWidget *>("lstKoumoku");
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(0)).center());
        press(AppWindow::Settings, "cmdDel");
        QCOMPARE(ScratchDir::entries(), QStringList({"腕立て.txt", kList}));
        press(AppWindow::Settings, "cmdHelp"); // no help file: no viewer
        ScratchDir::write("QvHelp.chm", "ITSF");
        press(AppWindow::Settings, "cmdHelp");
        press(AppWindow::Settings, "cmdHelp");
        QTRY_COMPARE(ScratchDir::read(bin.filePath("xchm.pids")).count('\n'), 2);
        const QList<QByteArray> pids = ScratchDir::read(bin.filePath("xchm.pids")).split('\n');
        QVERIFY(::kill(pids[0].toInt(), 0) == 0 && ::kill(pids[1].toInt(), 0) == 0);
        press(AppWindow::Settings, "cmdEnd");
        QVERIFY(!settei->isVisible() && ::kill(pids[0].toInt(), 0) == -1
                && ::kill(pids[1].toInt(), 0) == -1);
        QCOMPARE(seen.join(' '),
                 "項目無し 項目名入力 指示数入力 新規登録終了 項目名入力 指示数入力 "
                 "新規登録終了 クリア確認 削除終了");
    }
};

QTEST_MAIN(TestFrmSettei)
#include "tst_frmsettei.moc"
