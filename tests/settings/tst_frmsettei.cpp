#include "appwindows.h"
#include "chmviewer.h"
#include "fakes.h"
#include "frmsettei.h"
#include "scratchdir.h"
#include "zrvm.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
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

// Every box as icon (W or I, C for OK with Cancel)|title|text; %1 the name or the list file.
// clang-format off
const QMap<QString, QString> kBoxes {
    {"?name", "IC|項目名入力|項目名は何ですか？"},
    {"?target", "IC|指示数入力|指示数をいくつにしますか？（半角文字で入力）"},
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
    {"notFileRead", "W|読み込みエラー|%1 を読み込めませんでした。\n通常のファイルではありません（パイプ、デバイスまたはフォルダ）。"},
    {"cantWrite", "W|書き込みエラー|%1 に書き込めませんでした。\nディスクの空き容量と書き込み権限を確認してください。"},
    {"notFile", "W|書き込みエラー|%1 に書き込めませんでした。\n通常のファイルではありません（パイプ、デバイスまたはフォルダ）。"},
};
// clang-format on

// tag # files # steps # files after ("=": same) # view # boxes, not counting the input boxes.
// Files "a b,-3|a:7,2 b:": list a (target 1), b (-3); a.txt with counts 7, 2; b.txt empty. Steps:
// Word clicks cmdWord; ?x,y registers answering x, y; ! cancels a confirmation; cN/pN pick entry
// N of cboKoumoku/lstKoumoku; k=/n= type in txtKoumoku/txtKaisu; jam[=f]: the list (f) is a dir.
// View: lstKoumoku(*selected)[cboKoumoku if other]>its text|lstRireki|lblGoukei|txtKoumoku,txtKaisu
const char kRows[] = R"(
start empty     #                    # Again        # = # >|||, # noItems
2.5 2.5         # a b,3|a:2.5,2.5 b:9 #             # = # a b>a|1:2.5 2:2.5|=4|,
1.5 abc 12abc   # a|a:1.5,1.5,abc,12abc #           # = # a>a|1:1.5 2:1.5 3:abc 4:12abc|=16|,
huge            # a|a:99999999999999999 #           # = # a>a|1:99999999999999999|=1000000000000000|,
missing, empty  # a b|b:             # c1           # = # a b>b||=0|,
one history     # a b,-3 a|a:4 b:1,8 # c1;p1;c2     # = # a b* a>a|1:4|=4|b,-3
unreadable      # a|a:4              # jam=a.txt;c0 # = # a>a||=0|, # notFileRead:a.txt
19, same name   # n^19|n:4 # ?n,5              # n^19 n,5|n:4    # n^19 n[n^19]>n|1:4|=4|, # added:n
20 entries      # n^20    # New                # =               # n^20>n||=0|,         # limit
targets   #  # ?a,1;?b,1.5;?c,  3;?d,3回 # a,1 b,1.5 c,3 d,3|a: b: c: d: # a b c d[]>|||, # added:a,b,c,d
cancels         #         # ?;?x,0             # =               # >|||,                # cancelled low cancelled
asked again     #         # ?x,0,-5,0.5,abc,32768,32767 # x,32767|x: # x[]>|||,         # low^4 high added:x
refused  #  # ?a/b;?項目一覧;?..;?a\tb;?a😀;?あ^200 # = # >|||, # forbidden listName dots control notSjis tooLong
no history file #         # jam=x.txt;?x,5     # x,5             # x[]>|||,             # notFile:x.txt
save 2.5 3.5    # a,9 b,9 # p0;n=2.5;Hozon;p1;n=3.5;Hozon # a,2 b,4  # a b*>a||=0|b,3.5 # updated:a,b
save -1 empty   # a,9 b,9 # p0;n=-1;Hozon;p1;n=;Hozon # a,-1 b,0     # a b*>a||=0|b,    # updated:a,b
save new name   # a|a:4   # p0;k=b;Hozon;c0    # b|a:4           # a*>a||=0|b,1         # updated:b
save refused    # a|a:4   # p0;n=32767.5;Hozon;n=2;k=a/b;Hozon # = # a*>a|1:4|=4|a/b,2  # range forbidden
none, cancelled # a|a:4   # k=a;Hozon;Clear;Del;p0;!;Clear;!;Del # = # a*>a|1:4|=4|a,1  # none^3 clear?:a delete?:a
fails # a b|a:6 # p0;jam;Clear;Del;k=z;n=8;Hozon # = # a* b>a|1:6|=6|z,8 # clear?:a notFile delete?:a notFile^2
table kept      # a b|a:6 # p0;jam;Del;k=z;Hozon;p0 # =          # a* b>a|1:6|=6|a,1    # delete?:a notFile^2
clear other     # a c|a:4       # p1;Clear     # a c|a:4 c:      # a c*>a|1:4|=4|c,1    # clear?:c cleared:c
clear shared    # a b a|a:4 b:7 # p2;k=b;Clear # a b a|a: b:7    # a b a*>a||0|b,1      # clear?:a cleared:a
delete 3rd of 5 # a b c d e|a:6 c:7 # c2;p2;Del # a b d e|a:6    # a b d e>a|1:6|=6|,   # delete?:c deleted
delete 1 of 2   # a a,2 b|a:6 b:7 # p0;k=項目一覧;Del # a,2 b|a:6 b:7 # a b>a|1:6|=6|,  # delete?:a deleted
delete 2 of 2   # a a|a:6 # p0;Del;p0;Del # | # >||0|, # delete?:a deleted delete?:a deleted
)";

Files files(const QString &fixture)
{
    Files out {{kList, {}}};
    for (const QString &item : fixture.section(u'|', 0, 0).split(u' ', Qt::SkipEmptyParts))
        out[kList] += '"' + item.section(u',', 0, 0).toLatin1() + "\","
            + (item.contains(u',') ? item.section(u',', 1).toLatin1() : "1") + "\r\n";
    for (const QString &history : fixture.section(u'|', 1).split(u' ', Qt::SkipEmptyParts)) {
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

    explicit Window(const QString &fixture)
        : given(files(fixture))
    {
        for (auto [name, bytes] : given.asKeyValueRange())
            ScratchDir::write(name, bytes);
        QVERIFY(ZRVM::LoadItemList().ok());
        w.Form_Load();
        w.show();
    }
    template<typename T> T *get(const QString &name) { return w.findChild<T *>(name); }

    void run(const QString &steps)
    {
        auto *cbo = get<QComboBox>("cboKoumoku");
        auto *lst = get<QListWidget>("lstKoumoku");
        for (const QString &step : steps.split(u';', Qt::SkipEmptyParts)) {
            const int n = step.mid(1).toInt();
            const QString jam = step.size() > 4 ? step.mid(4) : kList;
            if (step.startsWith(u'?'))
                fs.dialogs.inputAnswers.append(step.mid(1).replace("\\t", "\t").split(u',')),
                    get<QAbstractButton>("cmdNew")->click();
            else if (step == "!")
                fs.dialogs.okAnswers.enqueue(false);
            else if (step[0].isUpper())
                get<QAbstractButton>("cmd" + step)->click();
            else if (step[0] == u'c')
                cbo->setCurrentIndex(n), Q_EMIT cbo->activated(n);
            else if (step[0] == u'p')
                QTest::mouseClick(lst->viewport(), Qt::LeftButton, {},
                                  lst->visualItemRect(lst->item(n)).center());
            else if (step[1] == u'=')
                get<QLineEdit>(step[0] == u'k' ? "txtKoumoku" : "txtKaisu")->setText(step.mid(2));
            else // jam, or a mistyped step
                QVERIFY2(step.startsWith("jam") && (QFile::remove(jam), QDir().mkdir(jam)),
                         qPrintable(step));
        }
    }

    QString view()
    {
        auto *lst = get<QListWidget>("lstKoumoku");
        auto *cbo = get<QComboBox>("cboKoumoku");
        QStringList names = rows(lst->model()), entries = rows(cbo->model());
        const QString differ = entries == names ? "" : '[' + entries.join(' ') + ']';
        for (const QListWidgetItem *item : lst->selectedItems())
            names[lst->row(item)] += '*';
        return QString(names.join(' ') + differ + '>' + cbo->currentText() + '|'
                       + rows(get<QAbstractItemView>("lstRireki")->model()).join(' ') + '|'
                       + get<QLabel>("lblGoukei")->text() + '|'
                       + get<QLineEdit>("txtKoumoku")->text() + ','
                       + get<QLineEdit>("txtKaisu")->text())
            .replace(" _ 05月09日 _ 23時49分31秒 _ ", ":")
            .replace("合計回数 ： ", "=");
    }
};

} // namespace

class TestFrmSettei : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void focusAndFixedSize()
    {
        Window win("");
        QVERIFY(win.w.minimumSize() == win.w.maximumSize()
                && !(win.w.windowFlags() & Qt::WindowMaximizeButtonHint));
        QCOMPARE(win.w.focusWidget(), win.get<QWidget>("cmdAgain"));
        QCOMPARE(win.get<QWidget>("txtKaisu")->nextInFocusChain(), win.get<QWidget>("txtKoumoku"));
    }

    void scenarios_data()
    {
        QTest::addColumn<QStringList>("row");
        static const QRegularExpression repeated("([^\\s?[]+)\\^(\\d+)"); // w^N: N times w
        for (QString line : QString(kRows).split(u'\n', Qt::SkipEmptyParts)) {
            for (auto m = repeated.match(line); m.hasMatch(); m = repeated.match(line))
                line.replace(m.capturedStart(), m.capturedLength(),
                             (m.captured(1) + ' ').repeated(m.captured(2).toInt()).chopped(1));
            const QStringList fields = line.split(QRegularExpression("\\s*#\\s*"));
            QTest::newRow(qPrintable(fields[0])) << fields.mid(1);
        }
    }

    void scenarios()
    {
        QFETCH(QStringList, row);
        Window win(row[0]);
        win.run(row[1]);
        QStringList boxes, expected;
        for (const auto &[kind, text, title, icon, buttons] : win.fs.dialogs.shown)
            boxes.append(QString(icon == MessageIcon::Warning ? "W" : "I")
                         + (buttons == MessageButtons::OkCancel ? "C|" : "|") + title + '|' + text);
        boxes.removeAll(kBoxes["?name"]);
        boxes.removeAll(kBoxes["?target"]);
        for (const QString &box : row.value(4).split(u' ', Qt::SkipEmptyParts))
            for (const QString &arg : // box:x,y is box:x box:y
                 (box.contains(u':') ? box.section(u':', 1) : kList).split(u','))
                expected.append(kBoxes[box.section(u':', 0, 0)].replace("%1", arg));
        QCOMPARE(boxes, expected);
        QCOMPARE(win.fs.dialogs.inputAnswers.size() + win.fs.dialogs.okAnswers.size(), 0);
        QVERIFY(win.fs.windows.shown.isEmpty() && win.fs.windows.unloaded.isEmpty());
        QCOMPARE(win.view(), row[3]);
        Files disk;
        for (const QString &name : ScratchDir::entries())
            if (!QDir().rmdir(name) || win.given.contains(name)) // a jammed name counts as given
                disk[name] = ScratchDir::exists(name) ? ScratchDir::read(name) : win.given[name];
        QCOMPARE(QDebug::toString(disk),
                 QDebug::toString(row[2] == "=" ? win.given : files(row[2])));
    }

    // Real windows and boxes; a stand-in for xchm notes its process id and stays open.
    void registerPlayDeleteAndExit()
    {
        if (QGuiApplication::platformName() != "xcb")
            QSKIP("runs on a real display only");
        ScratchDir dir;
        ScratchDir::write("xchm", "#!/bin/sh\necho $$ >>xchm.pids\nexec sleep 600\n");
        QVERIFY(QFile::setPermissions("xchm", QFile::ReadOwner | QFile::ExeOwner));
        qputenv("PATH", dir.path().toLocal8Bit() + ':' + qgetenv("PATH"));
        FakeServices fs;
        QtDialogs dialogs;
        ChmViewer help;
        AppWindows windows;
        Services services {dialogs, fs.clock, fs.random, fs.events, windows, help};
        windows.setServices(services);
        QStringList answers {"腹筋", "3", "腕立て", "2"};
        QTimer user;
        user.callOnTimeout([&] {
            if (QWidget *box = QApplication::activeModalWidget()) {
                if (auto *answer = box->findChild<QLineEdit *>())
                    answer->setText(answers.takeFirst());
                QTest::keyClick(box, Qt::Key_Return);
            }
        });
        user.start(10);
        const auto press = [&](AppWindow window, const char *button) {
            windows.loaded(window)->findChild<QAbstractButton *>(button)->click();
        };
        windows.show(AppWindow::Counting);
        press(AppWindow::Settings, "cmdNew");
        press(AppWindow::Settings, "cmdNew");
        press(AppWindow::Settings, "cmdAgain");
        QVERIFY(!windows.loaded(AppWindow::Settings));
        press(AppWindow::Counting, "cmdNext");
        press(AppWindow::Counting, "cmdNext");
        QWidget *settei = windows.loaded(AppWindow::Settings);
        auto *cbo = settei->findChild<QComboBox *>("cboKoumoku");
        const auto *rireki = settei->findChild<QAbstractItemView *>("lstRireki")->model();
        QCOMPARE(cbo->currentText() + QString::number(rireki->rowCount()), "腹筋1");
        QTest::keyClick(cbo, Qt::Key_Down);
        QCOMPARE(cbo->currentText() + QString::number(rireki->rowCount()), "腕立て1");
        cbo->lineEdit()->setText("腹筋"); // typing chooses nothing, Enter neither
        QTest::keyClick(cbo->lineEdit(), Qt::Key_Return);
        QCOMPARE(cbo->currentIndex(), 1);
        QTest::keyClick(settei->findChild<QListWidget *>("lstKoumoku"), Qt::Key_Down);
        press(AppWindow::Settings, "cmdDel");
        QCOMPARE(ScratchDir::entries(), QStringList({"xchm", "腕立て.txt", kList}));
        press(AppWindow::Settings, "cmdHelp"); // no help file: no viewer
        ScratchDir::write("QvHelp.chm", "ITSF");
        press(AppWindow::Settings, "cmdHelp");
        press(AppWindow::Settings, "cmdHelp");
        QTRY_COMPARE(ScratchDir::read("xchm.pids").count('\n'), 1); // the second press raises it
        const QList<QByteArray> ids = ScratchDir::read("xchm.pids").split('\n');
        press(AppWindow::Settings, "cmdEnd");
        QVERIFY(!settei->isVisible());
        QCOMPARE(::kill(ids[0].toInt(), 0), -1); // closed
    }
};

QTEST_MAIN(TestFrmSettei)
#include "tst_frmsettei.moc"
