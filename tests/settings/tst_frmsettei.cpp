#include "windows.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QTest>
#include <clocale>

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

// Answers to 登録's input boxes; the name box stays as it is.
struct Registering
{
    QStringList answers = {}; // Cancel once they run out
    QList<Box> boxes;
    QByteArray list; // afterwards, grown from "a",1 whose a.txt holds one record
    QStringList created = {}; // empty histories beside it
};
// Item a of "a",9 "b",2 picked, its boxes typed over, then 保存.
struct Saving
{
    QString name = "a";
    QString target;
    Box box;
    QByteArray list; // afterwards
};
// An item picked in a list whose a.txt and b.txt hold a record each, then クリア or 削除.
struct Removing
{
    QByteArray list = "\"a\",1\r\n\"b\",2\r\n";
    const char *button;
    QString typed = {}; // into the name box after the pick
    bool cancel = false; // at the question
    QList<Box> boxes;
    Files after;
    Text total; // of the history on view afterwards
};
// Commands one after the other on item a of "a",1 "b",2 "c",3, picked afresh before each.
struct Chain
{
    QStringList buttons; // 保存 saves the target 7
    Texts titles;
    QByteArray list; // afterwards
};
Q_DECLARE_METATYPE(Registering)
Q_DECLARE_METATYPE(Saving)
Q_DECLARE_METATYPE(Removing)
Q_DECLARE_METATYPE(Chain)

const QByteArray kA = history({"6"}), kB = history({"7"});

class TestFrmSettei : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // A German desktop writes 2,5 and 40.000: none of that may reach a file or the window.
    void initTestCase()
    {
        qputenv("LC_ALL", "de_DE.UTF-8");
        std::setlocale(LC_ALL, "de_DE.UTF-8");
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    }

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
        ScratchDir dir;
        ScratchDir::write(kList, "\"a\",1\r\n\"b\",2\r\n");
        ScratchDir::write("a.txt", kA);
        ScratchDir::write("b.txt", history(counts));
        Run run;
        QVERIFY(run.openSettings());
        QCOMPARE(run.shownHistory(), QStringList {"1 _ 12月31日 _ 07時05分09秒 _ 6"});
        QCOMPARE(Text(run.text("lblGoukei")), "合計回数 ： 6");
        auto *combo = run.find<QComboBox>("cboKoumoku");
        combo->setCurrentIndex(1);
        Q_EMIT combo->activated(1);
        QStringList lines;
        for (const QString &count : counts)
            lines << QString("%1 _ 12月31日 _ 07時05分09秒 _ %2").arg(lines.size() + 1).arg(count);
        QCOMPARE(run.shownHistory(), lines);
        QTEST(run.text("lblGoukei"), "total");
        QCOMPARE(run.fs.boxes, QList<Box>());
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
        const QString notInFileNames
            = "項目名に使えない文字（\\ / : * ? \" < > |）が含まれています。";
        for (const char *name : {"a\\b", "a/b", "a:b", "a*b", "a?b", "a\"b", "a<b", "a>b", "a|b"})
            refusedName(name, notInFileNames);
        refusedName("a\u0085", "項目名に制御文字は使えません。");
        refusedName("..", "項目名に . や .. は使えません。");
        refusedName("項目一覧", "項目名「項目一覧」は使えません。");
        refusedName(QString(252, u'x'), "項目名が長すぎます。");
        const Box registeredN = done("新規登録終了", "n の設定を新規登録しました");
        QTest::newRow("a new item and its history, the target as typed after leading blanks")
            << Registering {.answers = {"n", "  1234.5"},
                            .boxes = {registeredN},
                            .list = "\"a\",1\r\n\"n\",1234.5\r\n",
                            .created = {"n.txt"}};
        QTest::newRow("a target below 1 or above 32767 is asked again") << Registering {
            .answers = {"n", "0", "0.5", "-5", "32768", "3"},
            .boxes = {refused("下限値制限", "必ず１以上を入力して下さい"),
                      refused("下限値制限", "必ず１以上を入力して下さい"),
                      refused("下限値制限", "必ず１以上を入力して下さい"),
                      refused("上限値制限", "指示数は32767以下で入力して下さい"), registeredN},
            .list = "\"a\",1\r\n\"n\",3\r\n",
            .created = {"n.txt"}};
        QTest::newRow("a name that already has a history keeps it")
            << Registering {.answers = {"a", "2"},
                            .boxes = {done("新規登録終了", "a の設定を新規登録しました")},
                            .list = "\"a\",1\r\n\"a\",2\r\n"};
        const Box cancelled = refused("キャンセル", "新規追加をキャンセルします");
        QTest::newRow("a cancelled name adds nothing")
            << Registering {.boxes = {cancelled}, .list = "\"a\",1\r\n"};
        QTest::newRow("a cancelled target adds nothing")
            << Registering {.answers = {"n"}, .boxes = {cancelled}, .list = "\"a\",1\r\n"};
        QTest::newRow("a name of 251 bytes, 255 with .txt, is taken") << Registering {
            .answers = {QString(251, u'x'), "1"},
            .boxes = {done("新規登録終了", QString(251, u'x') + " の設定を新規登録しました")},
            .list = "\"a\",1\r\n\"" + QByteArray(251, 'x') + "\",1\r\n",
            .created = {QString(251, u'x') + ".txt"}};
    }
    void registering()
    {
        QFETCH(Registering, registering);
        ScratchDir dir;
        ScratchDir::write(kList, "\"a\",1\r\n");
        ScratchDir::write("a.txt", kA);
        Run run;
        QVERIFY(run.openSettings());
        run.fs.inputAnswers.append(registering.answers);
        run.click("cmdNew");
        Files after {{kList, registering.list}, {"a.txt", kA}};
        for (const QString &name : registering.created)
            after[name] = "";
        QCOMPARE(run.fs.boxes, registering.boxes);
        QCOMPARE(run.files(), after);
    }

    void theTwentiethItemIsTheLast()
    {
        ScratchDir dir;
        ScratchDir::write(kList, QByteArray("\"a\",1\r\n").repeated(19));
        Run run;
        QVERIFY(run.openSettings());
        run.fs.inputAnswers << "n"
                            << "5"
                            << "o"
                            << "5";
        run.click("cmdNew");
        run.click("cmdNew");
        QCOMPARE(run.fs.boxes.last(),
                 refused("項目数上限制約", "登録できる項目数は２０項目までです。"));
        QCOMPARE(run.fs.prompts.size(), 2); // none for the twenty-first
        QCOMPARE(ScratchDir::read(kList), QByteArray("\"a\",1\r\n").repeated(19) + "\"n\",5\r\n");
    }

    void saving_data()
    {
        QTest::addColumn<Saving>("saving");
        const Box saved = done("設定更新終了", "a の設定を更新しました");
        QTest::newRow("four digits and a half, made whole to the even neighbour")
            << Saving {.target = "1234.5", .box = saved, .list = "\"a\",1234\r\n\"b\",2\r\n"};
        QTest::newRow("a target of 0 is saved")
            << Saving {.target = "0", .box = saved, .list = "\"a\",0\r\n\"b\",2\r\n"};
        QTest::newRow("a target of -1 is saved")
            << Saving {.target = "-1", .box = saved, .list = "\"a\",-1\r\n\"b\",2\r\n"};
        QTest::newRow("2,5 is 2: a comma ends the number")
            << Saving {.target = "2,5", .box = saved, .list = "\"a\",2\r\n\"b\",2\r\n"};
        QTest::newRow("a target out of range is refused")
            << Saving {.target = "32767.5",
                       .box = refused("範囲外", "指示数は-32768から32767までの数で入力して下さい"),
                       .list = "\"a\",9\r\n\"b\",2\r\n"};
        QTest::newRow("a new name is saved and named in the box")
            << Saving {.name = "c",
                       .target = "9",
                       .box = done("設定更新終了", "c の設定を更新しました"),
                       .list = "\"c\",9\r\n\"b\",2\r\n"};
        QTest::newRow("a new name that is no file name is refused") << Saving {
            .name = "c|d",
            .target = "9",
            .box = refused("項目名エラー",
                           "項目名に使えない文字（\\ / : * ? \" < > |）が含まれています。"),
            .list = "\"a\",9\r\n\"b\",2\r\n"};
    }
    // The item list box keeps the names it showed: it is rebuilt only by 削除 and a new start.
    void saving()
    {
        QFETCH(Saving, saving);
        ScratchDir dir;
        ScratchDir::write(kList, "\"a\",9\r\n\"b\",2\r\n");
        Run run;
        QVERIFY(run.openSettings());
        run.pick(0);
        run.type("txtKoumoku", saving.name);
        run.type("txtKaisu", saving.target);
        run.click("cmdHozon");
        QCOMPARE(run.fs.boxes, QList({saving.box}));
        QCOMPARE(run.files(), Files({{kList, saving.list}}));
        QCOMPARE(run.items(), QStringList({"a", "b"}));
    }

    void removing_data()
    {
        QTest::addColumn<Removing>("removing");
        const Box clearA = question("aのカウント数と履歴データをクリアします。よろしいですか？");
        const Box clearedA = done("クリア終了", "a のカウント数と履歴データをクリアしました");
        const Box deleteA = question("aを削除します。よろしいですか？");
        const Box deleted = done("削除終了", "削除しました");
        QTest::newRow("クリア empties the item picked, whatever the name box holds")
            << Removing {.button = "cmdClear",
                         .typed = "b",
                         .boxes = {clearA, clearedA},
                         .after = {{kList, "\"a\",1\r\n\"b\",2\r\n"}, {"a.txt", ""}, {"b.txt", kB}},
                         .total = "0"};
        QTest::newRow("削除 after the name box was edited deletes the item picked")
            << Removing {.button = "cmdDel",
                         .typed = "b",
                         .boxes = {deleteA, deleted},
                         .after = {{kList, "\"b\",2\r\n"}, {"b.txt", kB}},
                         .total = "合計回数 ： 7"};
        QTest::newRow("Cancel at 削除 keeps all")
            << Removing {.button = "cmdDel",
                         .cancel = true,
                         .boxes = {deleteA},
                         .after = {{kList, "\"a\",1\r\n\"b\",2\r\n"}, {"a.txt", kA}, {"b.txt", kB}},
                         .total = "合計回数 ： 6"};
        QTest::newRow("削除 keeps a history another item shares")
            << Removing {.list = "\"a\",1\r\n\"a\",2\r\n",
                         .button = "cmdDel",
                         .boxes = {deleteA, deleted},
                         .after = {{kList, "\"a\",2\r\n"}, {"a.txt", kA}, {"b.txt", kB}},
                         .total = "合計回数 ： 6"};
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
        ScratchDir dir;
        ScratchDir::write(kList, removing.list);
        ScratchDir::write("a.txt", kA);
        ScratchDir::write("b.txt", kB);
        Run run;
        QVERIFY(run.openSettings());
        run.pick(0);
        if (!removing.typed.isEmpty())
            run.type("txtKoumoku", removing.typed);
        run.fs.okAnswers << !removing.cancel;
        run.click(removing.button);
        QCOMPARE(run.fs.boxes, removing.boxes);
        QCOMPARE(run.files(), removing.after);
        QCOMPARE(Text(run.text("lblGoukei")), removing.total);
    }

    void chains_data()
    {
        QTest::addColumn<Chain>("chain");
        QTest::newRow("保存, then 保存 again")
            << Chain {.buttons = {"cmdHozon", "cmdHozon"},
                      .titles = {"設定更新終了", "設定更新終了"},
                      .list = "\"a\",7\r\n\"b\",2\r\n\"c\",3\r\n"};
        QTest::newRow("保存, then クリア")
            << Chain {.buttons = {"cmdHozon", "cmdClear"},
                      .titles = {"設定更新終了", "クリア確認", "クリア終了"},
                      .list = "\"a\",7\r\n\"b\",2\r\n\"c\",3\r\n"};
        QTest::newRow("保存, then 削除")
            << Chain {.buttons = {"cmdHozon", "cmdDel"},
                      .titles = {"設定更新終了", "クリア確認", "削除終了"},
                      .list = "\"b\",2\r\n\"c\",3\r\n"};
        QTest::newRow("削除, then 保存 of the next first item")
            << Chain {.buttons = {"cmdDel", "cmdHozon"},
                      .titles = {"クリア確認", "削除終了", "設定更新終了"},
                      .list = "\"b\",7\r\n\"c\",3\r\n"};
        QTest::newRow("登録, then 保存, then クリア")
            << Chain {.buttons = {"cmdNew", "cmdHozon", "cmdClear"},
                      .titles = {"新規登録終了", "設定更新終了", "クリア確認", "クリア終了"},
                      .list = "\"a\",7\r\n\"b\",2\r\n\"c\",3\r\n\"n\",4\r\n"};
    }
    // No command is refused because the one before it wrote the list.
    void chains()
    {
        QFETCH(Chain, chain);
        ScratchDir dir;
        ScratchDir::write(kList, "\"a\",1\r\n\"b\",2\r\n\"c\",3\r\n");
        Run run;
        QVERIFY(run.openSettings());
        run.fs.inputAnswers << "n"
                            << "4";
        for (const QString &button : chain.buttons) {
            run.pick(0);
            run.type("txtKaisu", "7");
            run.click(button.toLatin1());
        }
        QCOMPARE(run.fs.titles(), chain.titles);
        for (const Box &box : run.fs.boxes)
            QVERIFY2(!box.text.contains("ほかで変更"), toString(box));
        QCOMPARE(ScratchDir::read(kList), chain.list);
    }

    // 保存, クリア and 削除 ask for an item first, and touch nothing.
    void nothingPickedAsksFirst()
    {
        ScratchDir dir;
        ScratchDir::write(kList, "\"a\",9\r\n");
        ScratchDir::write("a.txt", kA);
        Run run;
        QVERIFY(run.openSettings());
        run.type("txtKoumoku", "a");
        for (const char *button : {"cmdHozon", "cmdClear", "cmdDel"})
            run.click(button);
        const Box first = done("項目未選定", "先に項目を選んで下さい");
        QCOMPARE(run.fs.boxes, QList({first, first, first}));
        QCOMPARE(run.files(), Files({{kList, "\"a\",9\r\n"}, {"a.txt", kA}}));
    }

    // The list turns into a folder: 保存, クリア and 削除 each tell of the failed write, and the
    // window goes on showing the list as it was.
    void failedWritesKeepListTableAndFiles()
    {
        ScratchDir dir;
        ScratchDir::write(kList, "\"a\",1\r\n\"b\",2\r\n");
        ScratchDir::write("a.txt", kA);
        Run run;
        QVERIFY(run.openSettings());
        run.pick(0);
        QVERIFY(QFile::remove(kList) && QDir().mkdir(kList));
        run.click("cmdClear");
        run.click("cmdDel");
        run.type("txtKoumoku", "z");
        run.click("cmdHozon");
        QVERIFY(QDir().rmdir(kList));
        ScratchDir::write(kList, "\"a\",1\r\n\"b\",2\r\n");
        QCOMPARE(run.fs.titles(),
                 Texts({"クリア確認", "書き込みエラー", "クリア確認", "書き込みエラー",
                        "書き込みエラー"}));
        QCOMPARE(run.fs.boxes.last().text,
                 kList
                     + " に書き込めませんでした。\n通常のファイルではありません"
                       "（パイプ、デバイスまたはフォルダ）。");
        QCOMPARE(run.files(), Files({{kList, "\"a\",1\r\n\"b\",2\r\n"}, {"a.txt", kA}}));
        QCOMPARE(run.items(), QStringList({"a", "b"}));
        run.pick(1);
        run.pick(0); // the table still holds a with its old target
        QCOMPARE(run.text("txtKoumoku") + ' ' + run.text("txtKaisu"), "a 1");
    }

    // Only a choice from the combo box's list shows another history, not a name typed into it.
    void aNameTypedIntoTheComboBoxPicksNothing()
    {
        ScratchDir dir;
        ScratchDir::write(kList, "\"a\",1\r\n\"b\",2\r\n");
        ScratchDir::write("b.txt", kB);
        Run run;
        QVERIFY(run.openSettings());
        run.settings.show();
        QVERIFY(QTest::qWaitForWindowActive(&run.settings));
        auto *combo = run.find<QComboBox>("cboKoumoku");
        combo->setFocus(Qt::TabFocusReason);
        combo->clearEditText();
        QTest::keyClicks(combo, "b\r");
        QCOMPARE(run.shownHistory(), QStringList());
        QCOMPARE(run.items(), QStringList({"a", "b"}));
    }

    // Keypad Enter presses a picture button as Return does.
    void keypadEnterPressesAButton()
    {
        ScratchDir dir;
        ScratchDir::write(kList, "\"a\",1\r\n");
        Run run;
        QVERIFY(run.openSettings());
        run.settings.show();
        QVERIFY(QTest::qWaitForWindowActive(&run.settings));
        QTest::keyClick(run.find("cmdNew"), Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(run.fs.prompts.value(0), Prompt({"項目名入力", "項目名は何ですか？"}));
    }

    void fixedAccessibleNames()
    {
        Run run;
        QStringList names;
        for (const char *control :
             {"Image1", "cboKoumoku", "lstRireki", "txtKoumoku", "txtKaisu", "lstKoumoku"})
            names << accessibleName(run.find(control)).value;
        QCOMPARE(texts(names),
                 Texts({"Zorvex", "実績履歴の項目", "実績履歴", "項目名", "指示数", "登録項目"}));
    }
};

QTEST_MAIN(TestFrmSettei)
#include "tst_frmsettei.moc"
