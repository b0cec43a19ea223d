#include "appwindows.h"
#include "chmviewer.h"
#include "fakes.h"
#include "frmsettei.h"
#include "scratchdir.h"
#include "zrvm.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>
#include <signal.h>
#include <unistd.h>

using Histories = QMap<QString, QStringList>; // item name: the counts of its records
using Files = QMap<QString, QByteArray>;
const QString kList = "項目一覧.txt";
// "05月09日","23時49分31秒", in front of every count in a history.
const QByteArray kStamp
    = hex("22 30 35 8C 8E 30 39 93 FA 22 2C 22 32 33 8E 9E 34 39 95 AA 33 31 95 62 22 2C");

// clang-format off
enum class Do { New, Save, Clear, Delete, Choose, Pick, TypeName, TypeTarget, Cancel, BreakList, ListUnreadableAtNextBox };
// clang-format on
struct Act
{
    Do what;
    QStringList text = {}; // New: the answers; Choose (the combo box), Pick (the list): a name
};
struct Seen
{
    QStringList boxes; // titles, input boxes left out
    QList<Item> list; // the item list file afterwards
    Histories histories; // and the history files
    QStringList items; // in the list box
    QStringList shown; // the counts in the history view
    QString total, name, target;
};
Q_DECLARE_METATYPE(Item)
Q_DECLARE_METATYPE(Act)
Q_DECLARE_METATYPE(Seen)

static Files files(const QList<Item> &list, const Histories &histories)
{
    Files out {{kList, {}}};
    for (const Item &item : list)
        out[kList]
            += "\"" + item.name.toLatin1() + "\"," + QByteArray::number(item.target) + "\r\n";
    for (auto [name, counts] : histories.asKeyValueRange()) {
        QByteArray &bytes = out[name + ".txt"];
        for (const QString &count : counts)
            bytes += kStamp + count.toLatin1() + "\r\n";
    }
    return out;
}

class TestFrmSettei : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void clicks_data()
    {
        QTest::addColumn<QList<Item>>("list");
        QTest::addColumn<Histories>("histories");
        QTest::addColumn<QList<Act>>("acts");
        QTest::addColumn<Seen>("seen");
        using D = Do;
        using L = QList<Item>;
        // clang-format off
        QTest::newRow("the first item's history and its total") << L {{"a", 1}, {"b", 2}} << Histories {{"a", {"2.5", "2.5"}}} << QList<Act> {} << Seen {{}, {{"a", 1}, {"b", 2}}, {{"a", {"2.5", "2.5"}}}, {"a", "b"}, {"2.5", "2.5"}, "合計回数 ： 4", "", ""};
        QTest::newRow("another item's history from the combo box") << L {{"a", 1}, {"b", 2}} << Histories {{"b", {"8"}}} << QList<Act> {{D::Choose, {"b"}}} << Seen {{}, {{"a", 1}, {"b", 2}}, {{"b", {"8"}}}, {"a", "b"}, {"8"}, "合計回数 ： 8", "", ""};
        QTest::newRow("registering adds the item and its history") << L {{"a", 1}} << Histories {} << QList<Act> {{D::New, {"n", "5"}}, {D::Pick, {"n"}}} << Seen {{"新規登録終了"}, {{"a", 1}, {"n", 5}}, {{"n", {}}}, {"a", "n"}, {}, "合計回数 ： 0", "n", "5"};
        QTest::newRow("a target below 1 or above 32767 is asked again") << L {} << Histories {} << QList<Act> {{D::New, {"x", "0", "32768", "3"}}} << Seen {{"下限値制限", "上限値制限", "新規登録終了"}, {{"x", 3}}, {{"x", {}}}, {"x"}, {}, "", "", ""};
        QTest::newRow("the twentieth item is the last") << L(19, {"a", 1}) << Histories {} << QList<Act> {{D::New, {"n", "5"}}, {D::New, {"o", "5"}}} << Seen {{"新規登録終了", "項目数上限制約"}, L(19, {"a", 1}) << Item {"n", 5}, {{"n", {}}}, QStringList(19, "a") << "n", {}, "合計回数 ： 0", "", ""};
        QTest::newRow("a cancelled name or target adds nothing") << L {} << Histories {} << QList<Act> {{D::New}, {D::New, {"x"}}} << Seen {{"キャンセル", "キャンセル"}, {}, {}, {}, {}, "", "", ""};
        QTest::newRow("a saved target is made whole, half to even") << L {{"a", 9}} << Histories {} << QList<Act> {{D::Pick, {"a"}}, {D::TypeTarget, {"2.5"}}, {D::Save}} << Seen {{"設定更新終了"}, {{"a", 2}}, {}, {"a"}, {}, "合計回数 ： 0", "a", "2.5"};
        QTest::newRow("a saved target out of range is refused") << L {{"a", 9}} << Histories {} << QList<Act> {{D::Pick, {"a"}}, {D::TypeTarget, {"32767.5"}}, {D::Save}} << Seen {{"範囲外"}, {{"a", 9}}, {}, {"a"}, {}, "合計回数 ： 0", "a", "32767.5"};
        QTest::newRow("a saved name renames the item") << L {{"a", 9}} << Histories {} << QList<Act> {{D::Pick, {"a"}}, {D::TypeName, {"b"}}, {D::Save}} << Seen {{"設定更新終了"}, {{"b", 9}}, {}, {"a"}, {}, "合計回数 ： 0", "b", "9"};
        QTest::newRow("nothing chosen: Save, Clear and Delete ask first") << L {{"a", 9}} << Histories {} << QList<Act> {{D::TypeName, {"a"}}, {D::Save}, {D::Clear}, {D::Delete}} << Seen {{"項目未選定", "項目未選定", "項目未選定"}, {{"a", 9}}, {}, {"a"}, {}, "合計回数 ： 0", "a", ""};
        QTest::newRow("Cancel at a confirmation keeps all") << L {{"a", 9}} << Histories {{"a", {"4"}}} << QList<Act> {{D::Pick, {"a"}}, {D::Cancel}, {D::Clear}, {D::Cancel}, {D::Delete}} << Seen {{"クリア確認", "クリア確認"}, {{"a", 9}}, {{"a", {"4"}}}, {"a"}, {"4"}, "合計回数 ： 4", "a", "9"};
        QTest::newRow("failed writes keep list, table and files") << L {{"a", 1}, {"b", 2}} << Histories {{"a", {"6"}}} << QList<Act> {{D::Pick, {"a"}}, {D::BreakList}, {D::Clear}, {D::Delete}, {D::TypeName, {"z"}}, {D::Save}, {D::Pick, {"b"}}, {D::Pick, {"a"}}} << Seen {{"クリア確認", "書き込みエラー", "クリア確認", "書き込みエラー", "書き込みエラー"}, {{"a", 1}, {"b", 2}}, {{"a", {"6"}}}, {"a", "b"}, {"6"}, "合計回数 ： 6", "a", "1"};
        QTest::newRow("Clear empties the item named in the table") << L {{"a", 1}, {"b", 2}} << Histories {{"a", {"4"}}, {"b", {"7"}}} << QList<Act> {{D::Pick, {"a"}}, {D::TypeName, {"b"}}, {D::Clear}} << Seen {{"クリア確認", "クリア終了"}, {{"a", 1}, {"b", 2}}, {{"a", {}}, {"b", {"7"}}}, {"a", "b"}, {}, "0", "b", "1"};
        QTest::newRow("Delete removes the item and its history") << L {{"a", 1}, {"b", 2}, {"c", 3}} << Histories {{"a", {"6"}}, {"b", {"7"}}} << QList<Act> {{D::Choose, {"b"}}, {D::Pick, {"b"}}, {D::Delete}} << Seen {{"クリア確認", "削除終了"}, {{"a", 1}, {"c", 3}}, {{"a", {"6"}}}, {"a", "c"}, {"6"}, "合計回数 ： 6", "", ""};
        QTest::newRow("Delete keeps a history another item shares") << L {{"a", 1}, {"a", 2}} << Histories {{"a", {"6"}}} << QList<Act> {{D::Pick, {"a"}}, {D::Delete}} << Seen {{"クリア確認", "削除終了"}, {{"a", 2}}, {{"a", {"6"}}}, {"a"}, {"6"}, "合計回数 ： 6", "", ""};
        QTest::newRow("an unreadable list is never rewritten by Delete") << L {{"a", 1}, {"b", 2}} << Histories {{"a", {"6"}}} << QList<Act> {{D::Pick, {"a"}}, {D::ListUnreadableAtNextBox}, {D::Delete}} << Seen {{"クリア確認", "書き込みエラー"}, {{"a", 1}, {"b", 2}}, {{"a", {"6"}}}, {"a", "b"}, {"6"}, "合計回数 ： 6", "a", "1"};
        // clang-format on
    }
    void clicks()
    {
        QFETCH(QList<Item>, list);
        QFETCH(Histories, histories);
        QFETCH(QList<Act>, acts);
        QFETCH(Seen, seen);
        ScratchDir dir;
        // File permissions hold for root too: the rows drop to nobody for as long as they run.
        const bool root = geteuid() == 0;
        if (root)
            QFile::setPermissions(dir.path(), QFileDevice::Permissions(0x7777));
        QVERIFY(!root || seteuid(65534) == 0);
        const auto back = qScopeGuard([root] {
            if (root && seteuid(0) != 0)
                qFatal("cannot become root again");
        });
        QByteArray broken; // what the list held before a folder took its place
        for (auto [name, bytes] : files(list, histories).asKeyValueRange())
            ScratchDir::write(name, bytes);
        QVERIFY(ZRVM::LoadItemList().ok());
        FakeServices fs;
        frmSettei w(fs.services);
        w.Form_Load();
        w.show();
        auto *combo = w.findChild<QComboBox *>("cboKoumoku");
        auto *items = w.findChild<QListWidget *>("lstKoumoku");
        const auto click = [&](const char *name) {
            w.findChild<QAbstractButton *>(name)->click();
        };
        for (const Act &act : acts) {
            const QString text = act.text.value(0);
            // clang-format off
            switch (act.what) {
            case Do::New:
                fs.dialogs.inputAnswers.append(act.text);
                click("cmdNew");
                break;
            case Do::Save: click("cmdHozon"); break;
            case Do::Clear: click("cmdClear"); break;
            case Do::Delete: click("cmdDel"); break;
            case Do::Choose:
                combo->setCurrentIndex(combo->findText(text));
                Q_EMIT combo->activated(combo->currentIndex());
                break;
            case Do::Pick: QTest::mouseClick(items->viewport(), Qt::LeftButton, {}, items->visualItemRect(items->findItems(text, Qt::MatchExactly)[0]).center()); break;
            case Do::TypeName: w.findChild<QLineEdit *>("txtKoumoku")->setText(text); break;
            case Do::TypeTarget: w.findChild<QLineEdit *>("txtKaisu")->setText(text); break;
            case Do::Cancel: fs.dialogs.okAnswers.enqueue(false); break;
            case Do::BreakList:
                broken = ScratchDir::read(kList);
                QVERIFY(QFile::remove(kList));
                QVERIFY(QDir().mkdir(kList));
                break;
            case Do::ListUnreadableAtNextBox: fs.dialogs.onShow = [](auto &) { QFile::setPermissions(kList, QFile::WriteOwner); };
            }
            // clang-format on
        }
        QFile::setPermissions(kList, QFile::ReadOwner | QFile::WriteOwner);
        if (QDir().rmdir(kList))
            ScratchDir::write(kList, broken);
        QStringList boxes, shown, names;
        for (const FakeDialogs::Shown &box : fs.dialogs.shown)
            if (box.kind == "message")
                boxes << box.title;
        const QAbstractItemModel *rireki = w.findChild<QListView *>("lstRireki")->model();
        for (int row = 0; row < rireki->rowCount(); ++row)
            shown << rireki->index(row, 0).data().toString();
        for (int row = 0; row < items->count(); ++row)
            names << items->item(row)->text();
        Files disk;
        for (const QString &name : ScratchDir::entries())
            if (QFileInfo(name).isFile())
                disk[name] = ScratchDir::read(name);
        QCOMPARE(boxes, seen.boxes);
        QCOMPARE(disk, files(seen.list, seen.histories));
        QCOMPARE(names, seen.items);
        QStringList lines; // numbered from 1: number, date, time and count, " _ " between them
        for (qsizetype n = 0; n < seen.shown.size(); ++n)
            lines << QString::number(n + 1) + " _ 05月09日 _ 23時49分31秒 _ " + seen.shown[n];
        QCOMPARE(shown, lines);
        QCOMPARE(w.findChild<QLabel *>("lblGoukei")->text(), seen.total);
        QCOMPARE(w.findChild<QLineEdit *>("txtKoumoku")->text(), seen.name);
        QCOMPARE(w.findChild<QLineEdit *>("txtKaisu")->text(), seen.target);
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
        QTest::keyClick(settei->findChild<QListWidget *>("lstKoumoku"), Qt::Key_Down);
        press(AppWindow::Settings, "cmdDel");
        QCOMPARE(ScratchDir::entries(), QStringList({"xchm", "腕立て.txt", kList}));
        press(AppWindow::Settings, "cmdHelp"); // no help file: no viewer
        ScratchDir::write("QvHelp.chm", "ITSF");
        press(AppWindow::Settings, "cmdHelp");
        press(AppWindow::Settings, "cmdHelp");
        QTRY_COMPARE(ScratchDir::read("xchm.pids").count('\n'), 1); // the second press raises it
        const QList<QByteArray> ids = ScratchDir::read("xchm.pids").split('\n');
        QTimer::singleShot(0, settei, [&] { press(AppWindow::Settings, "cmdEnd"); });
        QTimer::singleShot(10000, qApp, [] { QCoreApplication::exit(1); });
        QCOMPARE(QCoreApplication::exec(), 0); // End ends the program
        QVERIFY(!settei->isVisible());
        QCOMPARE(::kill(ids[0].toInt(), 0), -1); // the viewer is closed
    }
};

QTEST_MAIN(TestFrmSettei)
#include "tst_frmsettei.moc"
