#include "windows.h"

#include <QComboBox>
#include <QTest>

// The question before クリア or 削除: Enter keeps the data.
static Box question(const QString &text)
{
    return {.title = "クリア確認",
            .text = text,
            .buttons = MessageButtons::OkCancel,
            .defaultButton = DefaultButton::Cancel};
}
static Box done(const QString &title, const QString &text)
{
    return {.title = title, .text = text, .icon = MessageIcon::Information};
}
static Box refused(const QString &title, const QString &text)
{
    return {.title = title, .text = text};
}

const QByteArray kAB = "\"a\",1\r\n\"b\",2\r\n";
const QByteArray kA = history({"6"}), kB = history({"7"});
const QString kNotInFileNames = "項目名に使えない文字（\\ / : * ? \" < > |）が含まれています。";

// A folder with an item list and one record in each of a.txt and b.txt, its settings window
// open on them.
struct Folder
{
    explicit Folder(const QByteArray &list = kAB)
    {
        ScratchDir::write(kList, list);
        ScratchDir::write("a.txt", kA);
        ScratchDir::write("b.txt", kB);
        opened = run.openSettings();
    }
    ScratchDir dir;
    Run run;
    bool opened = false;
};

// The answers to 登録's input boxes, starting from the list "a",1.
struct Registering
{
    QStringList answers = {}; // Cancel once they run out
    QList<Box> boxes;
    QByteArray list; // afterwards
    QStringList created = {}; // new empty histories
};
// The first item picked, b typed into the name box, then クリア or 削除.
struct Removing
{
    QByteArray list = kAB;
    const char *button;
    QList<Box> boxes;
    Files after;
    Text total; // of the history on view afterwards
};
Q_DECLARE_METATYPE(Registering)
Q_DECLARE_METATYPE(Removing)

class TestFrmSettei : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { useGermanLocale(); }

    void historyAndTotal_data()
    {
        QTest::addColumn<QStringList>("counts"); // of item b, chosen in the combo box
        QTest::addColumn<QString>("total");
        QTest::newRow("the total is made whole at every record, half to even")
            << QStringList {"2.5", "2.5"} << "合計回数 ： 4";
        QTest::newRow("counts add up as numbers read from their start, no exponent")
            << QStringList {"1e3", "12abc", ".5", "abc12", "-3"} << "合計回数 ： 11";
        QTest::newRow("a total past 32,767, without grouping")
            << QStringList {"20000", "20000", "1234.5"} << "合計回数 ： 41234";
    }
    // The window opens on the first item's history; the combo box shows another's.
    void historyAndTotal()
    {
        QFETCH(QStringList, counts);
        Folder f;
        ScratchDir::write("b.txt", history(counts));
        QVERIFY(f.opened);
        QCOMPARE(f.run.shownHistory(), QStringList {"1 _ 12月31日 _ 07時05分09秒 _ 6"});
        QCOMPARE(Text(f.run.text("lblGoukei")), "合計回数 ： 6");
        auto *combo = f.run.find<QComboBox>("cboKoumoku");
        combo->setCurrentIndex(1);
        Q_EMIT combo->activated(1);
        QStringList lines;
        for (const QString &count : counts)
            lines << QString("%1 _ 12月31日 _ 07時05分09秒 _ %2").arg(lines.size() + 1).arg(count);
        QCOMPARE(f.run.shownHistory(), lines);
        QFETCH(QString, total);
        QCOMPARE(Text(f.run.text("lblGoukei")), Text(total));
        QCOMPARE(f.run.fs.boxes, QList<Box>());
    }

    void registering_data()
    {
        QTest::addColumn<Registering>("registering");
        const auto refusedName = [](const QString &name, const QString &text) {
            QTest::addRow("the name %s is refused", qPrintable(name))
                << Registering {.answers = {name, "1"},
                                .boxes = {refused("項目名エラー", text)},
                                .list = "\"a\",1\r\n"};
        };
        for (const char *name : {"a\\b", "a|b"})
            refusedName(name, kNotInFileNames);
        refusedName("a\u0085", "項目名に制御文字は使えません。");
        refusedName("..", "項目名に . や .. は使えません。");
        refusedName("項目一覧", "項目名「項目一覧」は使えません。");
        refusedName(QString(252, u'x'), "項目名が長すぎます。");
        const QString longest(251, u'x'); // 255 bytes with .txt
        QTest::newRow("a name of 251 bytes is taken")
            << Registering {.answers = {longest, "1"},
                            .boxes = {done("新規登録終了", longest + " の設定を新規登録しました")},
                            .list = "\"a\",1\r\n\"" + longest.toLatin1() + "\",1\r\n",
                            .created = {longest + ".txt"}};
        const Box registeredN = done("新規登録終了", "n の設定を新規登録しました");
        QTest::newRow("a new item and its history, the target as typed after leading blanks")
            << Registering {.answers = {"n", "  1234.5"},
                            .boxes = {registeredN},
                            .list = "\"a\",1\r\n\"n\",1234.5\r\n",
                            .created = {"n.txt"}};
        QTest::newRow("a target below 1 or above 32767 is asked again") << Registering {
            .answers = {"n", "0.5", "32768", "3"},
            .boxes = {refused("下限値制限", "必ず１以上を入力して下さい"),
                      refused("上限値制限", "指示数は32767以下で入力して下さい"), registeredN},
            .list = "\"a\",1\r\n\"n\",3\r\n",
            .created = {"n.txt"}};
        QTest::newRow("a name that already has a history keeps it")
            << Registering {.answers = {"a", "2"},
                            .boxes = {done("新規登録終了", "a の設定を新規登録しました")},
                            .list = "\"a\",1\r\n\"a\",2\r\n"};
        const Box cancelled = refused("キャンセル", "新規追加をキャンセルします");
        QTest::newRow("a cancelled target adds nothing")
            << Registering {.answers = {"n"}, .boxes = {cancelled}, .list = "\"a\",1\r\n"};
    }
    void registering()
    {
        QFETCH(Registering, registering);
        Folder f("\"a\",1\r\n");
        QVERIFY(f.opened);
        f.run.fs.inputAnswers.append(registering.answers);
        f.run.click("cmdNew");
        Files after {{kList, registering.list}, {"a.txt", kA}, {"b.txt", kB}};
        for (const QString &name : registering.created)
            after[name] = "";
        QCOMPARE(f.run.fs.boxes, registering.boxes);
        QCOMPARE(f.run.files(), after);
    }

    void theTwentiethItemIsTheLast()
    {
        Folder f(QByteArray("\"a\",1\r\n").repeated(19));
        QVERIFY(f.opened);
        f.run.fs.inputAnswers.append({"n", "5", "o", "5"});
        f.run.click("cmdNew");
        f.run.click("cmdNew");
        QCOMPARE(f.run.fs.boxes.last(),
                 refused("項目数上限制約", "登録できる項目数は２０項目までです。"));
        QCOMPARE(ScratchDir::read(kList), QByteArray("\"a\",1\r\n").repeated(19) + "\"n\",5\r\n");
    }

    void saving_data()
    {
        QTest::addColumn<QString>("name"); // typed over item a's boxes
        QTest::addColumn<QString>("target");
        QTest::addColumn<Box>("box");
        QTest::addColumn<QByteArray>("list"); // afterwards
        const Box saved = done("設定更新終了", "a の設定を更新しました");
        QTest::newRow("four digits and a half, made whole to the even neighbour")
            << "a"
            << "1234.5" << saved << QByteArray("\"a\",1234\r\n\"b\",2\r\n");
        QTest::newRow("a target of 0") << "a"
                                       << "0" << saved << QByteArray("\"a\",0\r\n\"b\",2\r\n");
        QTest::newRow("a target out of range is refused")
            << "a"
            << "32767.5" << refused("範囲外", "指示数は-32768から32767までの数で入力して下さい")
            << kAB;
        QTest::newRow("a new name, named in the box")
            << "c"
            << "1" << done("設定更新終了", "c の設定を更新しました")
            << QByteArray("\"c\",1\r\n\"b\",2\r\n");
    }
    // The item list box keeps the names it showed: it is rebuilt only by 削除 and a new start.
    void saving()
    {
        Folder f;
        QVERIFY(f.opened);
        f.run.pick(0);
        QFETCH(QString, name);
        QFETCH(QString, target);
        f.run.type("txtKoumoku", name);
        f.run.type("txtKaisu", target);
        f.run.click("cmdHozon");
        QFETCH(Box, box);
        QFETCH(QByteArray, list);
        QCOMPARE(f.run.fs.boxes, QList({box}));
        QCOMPARE(f.run.files(), Files({{kList, list}, {"a.txt", kA}, {"b.txt", kB}}));
        QCOMPARE(f.run.items(), QStringList({"a", "b"}));
    }

    void removing_data()
    {
        QTest::addColumn<Removing>("removing");
        const Box deleteA = question("aを削除します。よろしいですか？");
        const Box deleted = done("削除終了", "削除しました");
        QTest::newRow("クリア empties the item picked, whatever the name box holds") << Removing {
            .button = "cmdClear",
            .boxes = {question("aのカウント数と履歴データをクリアします。"
                               "よろしいですか？"),
                      done("クリア終了", "a のカウント数と履歴データをクリアしました")},
            .after = {{kList, kAB}, {"a.txt", ""}, {"b.txt", kB}},
            .total = "0"};
        QTest::newRow("削除 deletes the item picked, whatever the name box holds")
            << Removing {.button = "cmdDel",
                         .boxes = {deleteA, deleted},
                         .after = {{kList, "\"b\",2\r\n"}, {"b.txt", kB}},
                         .total = "合計回数 ： 7"};
        QTest::newRow("削除 of one of two names that differ in case keeps their history")
            << Removing {.list = "\"A\",1\r\n\"a\",2\r\n",
                         .button = "cmdDel",
                         .boxes = {question("Aを削除します。よろしいですか？"), deleted},
                         .after = {{kList, "\"a\",2\r\n"}, {"a.txt", kA}, {"b.txt", kB}},
                         .total = "合計回数 ： 6"};
    }
    void removing()
    {
        QFETCH(Removing, removing);
        Folder f(removing.list);
        QVERIFY(f.opened);
        f.run.pick(0);
        f.run.type("txtKoumoku", "b");
        f.run.fs.okAnswers << true;
        f.run.click(removing.button);
        QCOMPARE(f.run.fs.boxes, removing.boxes);
        QCOMPARE(f.run.files(), removing.after);
        QCOMPARE(Text(f.run.text("lblGoukei")), removing.total);
    }

    // 保存, クリア and 削除 ask for an item first, and touch nothing.
    void nothingPickedAsksFirst()
    {
        Folder f;
        QVERIFY(f.opened);
        f.run.type("txtKoumoku", "a");
        for (const char *button : {"cmdHozon", "cmdClear", "cmdDel"})
            f.run.click(button);
        const Box first = done("項目未選定", "先に項目を選んで下さい");
        QCOMPARE(f.run.fs.boxes, QList({first, first, first}));
        QCOMPARE(f.run.files(), Files({{kList, kAB}, {"a.txt", kA}, {"b.txt", kB}}));
    }

    // Keypad Enter presses a picture button as Return does.
    void keypadEnterPressesAButton()
    {
        Folder f;
        f.run.settings.show();
        QVERIFY(QTest::qWaitForWindowActive(&f.run.settings));
        QTest::keyClick(f.run.find("cmdNew"), Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(f.run.fs.prompts.value(0), Prompt({"項目名入力", "項目名は何ですか？"}));
    }
};

QTEST_MAIN(TestFrmSettei)
#include "tst_frmsettei.moc"
