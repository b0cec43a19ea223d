#include "fakes.h"
#include "frmsettei.h"
#include "scratchdir.h"
#include "zrvm.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

using Histories = QMap<QString, QStringList>; // item name: the counts of its records
using Files = QMap<QString, QByteArray>;

// clang-format off
enum class Do { New, Save, Clear, Delete, Choose, Pick, TypeName, TypeTarget, Cancel, BreakList, ArrowIntoList, TypeInComboThenEnter };
// clang-format on
struct Act
{
    Do what;
    QStringList text = {}; // New: the answers; Choose, Pick, Type...: a name or target
};
struct Seen
{
    QStringList boxes; // message box titles
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
    Files out {{kList, listBytes(list)}};
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
        QTest::newRow("counts add up as numbers read from their start, no exponent") << L {{"a", 1}} << Histories {{"a", {"1e3", "12abc", ".5", "abc12", "-3"}}} << QList<Act> {} << Seen {{}, {{"a", 1}}, {{"a", {"1e3", "12abc", ".5", "abc12", "-3"}}}, {"a"}, {"1e3", "12abc", ".5", "abc12", "-3"}, "合計回数 ： 11", "", ""};
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
        QTest::newRow("the first arrow key in the item list picks the first item") << L {{"a", 1}, {"b", 2}} << Histories {} << QList<Act> {{D::ArrowIntoList}} << Seen {{}, {{"a", 1}, {"b", 2}}, {}, {"a", "b"}, {}, "合計回数 ： 0", "a", "1"};
        QTest::newRow("a name typed into the combo box and Enter pick nothing") << L {{"a", 1}, {"b", 2}} << Histories {{"b", {"8"}}} << QList<Act> {{D::TypeInComboThenEnter, {"b"}}} << Seen {{}, {{"a", 1}, {"b", 2}}, {{"b", {"8"}}}, {"a", "b"}, {}, "合計回数 ： 0", "", ""};
        QTest::newRow("Delete keeps a history another item shares") << L {{"a", 1}, {"a", 2}} << Histories {{"a", {"6"}}} << QList<Act> {{D::Pick, {"a"}}, {D::Delete}} << Seen {{"クリア確認", "削除終了"}, {{"a", 2}}, {{"a", {"6"}}}, {"a"}, {"6"}, "合計回数 ： 6", "", ""};
        // clang-format on
    }
    void clicks()
    {
        QFETCH(QList<Item>, list);
        QFETCH(Histories, histories);
        QFETCH(QList<Act>, acts);
        QFETCH(Seen, seen);
        ScratchDir dir;
        QByteArray broken; // what the list held before a folder took its place
        for (auto [name, bytes] : files(list, histories).asKeyValueRange())
            ScratchDir::write(name, bytes);
        QVERIFY(ZRVM::LoadItemList().ok());
        FakeServices fs;
        frmSettei w(fs.services);
        w.Form_Load();
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w)); // for keys
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
                fs.inputAnswers.append(act.text);
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
            case Do::Cancel: fs.okAnswers.enqueue(false); break;
            case Do::ArrowIntoList:
                items->setFocus(Qt::TabFocusReason);
                QTest::keyClick(items, Qt::Key_Down);
                break;
            case Do::TypeInComboThenEnter:
                combo->setFocus(Qt::TabFocusReason);
                QTest::keyClicks(combo, text + '\r');
                break;
            case Do::BreakList:
                broken = ScratchDir::read(kList);
                QVERIFY(QFile::remove(kList));
                QVERIFY(QDir().mkdir(kList));
                break;
            }
            // clang-format on
        }
        if (QDir().rmdir(kList))
            ScratchDir::write(kList, broken);
        QStringList shown, names;
        const QAbstractItemModel *rireki = w.findChild<QListView *>("lstRireki")->model();
        for (int row = 0; row < rireki->rowCount(); ++row)
            shown << rireki->index(row, 0).data().toString();
        for (int row = 0; row < items->count(); ++row)
            names << items->item(row)->text();
        Files disk;
        for (const QString &name : ScratchDir::entries())
            if (QFileInfo(name).isFile())
                disk[name] = ScratchDir::read(name);
        QCOMPARE(fs.titles(), texts(seen.boxes));
        QCOMPARE(disk, files(seen.list, seen.histories));
        QCOMPARE(names, seen.items);
        QStringList lines; // numbered from 1: number, date, time and count, " _ " between them
        for (qsizetype n = 0; n < seen.shown.size(); ++n)
            lines << QString::number(n + 1) + " _ 12月31日 _ 07時05分09秒 _ " + seen.shown[n];
        QCOMPARE(shown, lines);
        QCOMPARE(w.findChild<QLabel *>("lblGoukei")->text(), seen.total);
        QCOMPARE(w.findChild<QLineEdit *>("txtKoumoku")->text(), seen.name);
        QCOMPARE(w.findChild<QLineEdit *>("txtKaisu")->text(), seen.target);
    }

    // Clearing and deleting name the item from the list and ask first; Enter keeps the data.
    void confirmationsDefaultToCancel()
    {
        ScratchDir dir;
        ScratchDir::write(kList, listBytes({{"a", 9}}));
        QVERIFY(ZRVM::LoadItemList().ok());
        FakeServices fs;
        frmSettei w(fs.services);
        w.Form_Load();
        w.findChild<QListWidget *>("lstKoumoku")->setCurrentRow(0);
        fs.okAnswers << false << false;
        w.findChild<QAbstractButton *>("cmdClear")->click();
        w.findChild<QAbstractButton *>("cmdDel")->click();
        const Box clear {.title = "クリア確認",
                         .text = "aのカウント数と履歴データをクリアします。よろしいですか？",
                         .icon = MessageIcon::Warning,
                         .buttons = MessageButtons::OkCancel,
                         .defaultButton = DefaultButton::Cancel};
        Box del = clear;
        del.text = "aを削除します。よろしいですか？";
        QCOMPARE(fs.boxes, QList({clear, del}));
    }
};

QTEST_MAIN(TestFrmSettei)
#include "tst_frmsettei.moc"
