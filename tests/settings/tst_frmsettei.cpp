#include "fakes.h"
#include "frmsettei.h"
#include "scratchdir.h"
#include "zrvm.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QTest>
#include <memory>

namespace {

const QString kList = QStringLiteral("項目一覧.txt");

// One history record dated 05月09日 at 23時49分31秒 with the given count text.
QByteArray rec(const QByteArray &count)
{
    return hex("22 30 35 8C 8E 30 39 93 FA 22 2C 22 32 33 8E 9E 34 39 95 AA 33 31 95 62 22 2C")
        + count + "\r\n";
}

QStringList rows(const QAbstractItemModel *model)
{
    QStringList out;
    for (int r = 0; r < model->rowCount(); ++r)
        out.append(model->index(r, 0).data().toString());
    return out;
}

// Every box shown, as "kind|title|text": W/I for the icon, C when it had Cancel, IN for input.
QStringList boxes(const FakeDialogs &dialogs)
{
    QStringList out;
    for (const FakeDialogs::Shown &s : dialogs.shown) {
        QString kind = s.kind == QLatin1String("input") ? QStringLiteral("IN")
            : s.icon == MessageIcon::Warning            ? QStringLiteral("W")
                                                        : QStringLiteral("I");
        if (s.kind == QLatin1String("message") && s.buttons == MessageButtons::OkCancel)
            kind += u'C';
        out.append(kind + u'|' + s.title + u'|' + s.text);
    }
    return out;
}

using Files = QList<std::pair<QString, QByteArray>>;

struct Window
{
    ScratchDir dir;
    FakeServices fs;
    std::unique_ptr<frmSettei> w;

    explicit Window(const QByteArray &list, const Files &files = {})
    {
        if (!list.isNull())
            ScratchDir::write(kList, list);
        for (const auto &[name, bytes] : files)
            ScratchDir::write(name, bytes);
        if (!ZRVM::LoadItemList().ok())
            qFatal("item list unreadable");
        w = std::make_unique<frmSettei>(fs.services);
        w->Form_Load();
        w->show();
    }
    template<typename T> T *get(const char *name) const
    {
        return w->findChild<T *>(QLatin1String(name));
    }
    QStringList lst() const { return rows(get<QListWidget>("lstKoumoku")->model()); }
    QStringList cbo() const { return rows(get<QComboBox>("cboKoumoku")->model()); }
    QStringList rireki() const { return rows(get<QListView>("lstRireki")->model()); }
    QString goukei() const { return get<QLabel>("lblGoukei")->text(); }
    QString text(const char *box) const { return get<QLineEdit>(box)->text(); }
    void type(const char *box, const QString &t) const { get<QLineEdit>(box)->setText(t); }
    void press(const char *button) const { get<QAbstractButton>(button)->click(); }
    void pick(int row) const
    {
        auto *l = get<QListWidget>("lstKoumoku");
        QTest::mouseClick(l->viewport(), Qt::LeftButton, {},
                          l->visualItemRect(l->item(row)).center());
    }
    void choose(int index) const
    {
        auto *c = get<QComboBox>("cboKoumoku");
        c->setCurrentIndex(index);
        Q_EMIT c->activated(index);
    }
};

} // namespace

class TestFrmSettei : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void layout_data()
    {
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<QString>("tip");
        QTest::newRow("cmdAgain") << QRect(235, 10, 56, 61) << "トレーニングを開始します";
        QTest::newRow("cmdEnd") << QRect(565, 10, 56, 61) << "プログラムを終了します";
        QTest::newRow("Image1") << QRect(10, 10, 211, 65) << "";
        QTest::newRow("Frame2") << QRect(340, 95, 281, 351) << "";
        QTest::newRow("cboKoumoku") << QRect(10, 25, 306, 23) << "各項目の実績履歴を表示します";
        QTest::newRow("lblGoukei") << QRect(175, 330, 136, 16) << "";
        QTest::newRow("txtKaisu") << QRect(230, 25, 41, 21) << "修正後設定保存を押して下さい";
        QTest::newRow("lstKoumoku") << QRect(10, 50, 261, 292) << "クリックすると選択されます";
    }

    void layout()
    {
        QFETCH(QRect, geometry);
        QFETCH(QString, tip);
        Window win(QByteArray {});
        QCOMPARE(win.w->size(), QSize(631, 452));
        QCOMPARE(win.w->minimumSize(), win.w->maximumSize());
        QVERIFY(!(win.w->windowFlags() & Qt::WindowMaximizeButtonHint));
        auto *control = win.get<QWidget>(QTest::currentDataTag());
        QCOMPARE(control->geometry(), geometry);
        QCOMPARE(control->toolTip(), tip);
    }

    void pictures()
    {
        Window win(QByteArray {});
        for (const char *b :
             {"cmdAgain", "cmdNew", "cmdHozon", "cmdClear", "cmdDel", "cmdHelp", "cmdEnd"}) {
            const QList<QSize> sizes = win.get<QAbstractButton>(b)->icon().availableSizes();
            QVERIFY2(sizes.contains(QSize(32, 32)), b);
            QCOMPARE(sizes.contains(QSize(16, 16)), qstrcmp(b, "cmdAgain") != 0);
        }
        QCOMPARE(win.get<QLabel>("Image1")->pixmap().size(), QSize(211, 65));
        const QImage shot = win.w->grab().toImage();
        QCOMPARE(shot.pixelColor(300, 84), QColor(Qt::black));
        QCOMPARE(shot.pixelColor(300, 85), QColor(Qt::white));
    }

    void keyboard()
    {
        Window win(QByteArray {});
        win.w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(win.w.get()));
        QCOMPARE(QApplication::focusWidget(), win.get<QWidget>("cmdAgain"));
        QStringList order {QApplication::focusWidget()->objectName()};
        for (int k = 0; k < 12; ++k) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QWidget *f = QApplication::focusWidget();
            while (f->objectName().isEmpty() || f->objectName().startsWith(QLatin1String("qt_")))
                f = f->parentWidget();
            order.append(f->objectName());
        }
        QCOMPARE(
            order.join(u' '),
            QStringLiteral("cmdAgain cmdNew cmdHozon cmdClear cmdDel cmdHelp cmdEnd cboKoumoku "
                           "lstKoumoku txtKaisu txtKoumoku lstRireki cmdAgain"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(boxes(win.fs.dialogs), QStringList {"W|項目未登録|先に項目を入力して下さい"});
    }

    void startWithoutItems()
    {
        Window win(QByteArray {});
        QVERIFY(win.lst().isEmpty() && win.cbo().isEmpty() && win.rireki().isEmpty());
        QCOMPARE(win.goukei(), QString());
        QVERIFY(ScratchDir::entries().isEmpty());
        QVERIFY(win.fs.dialogs.shown.isEmpty());
    }

    void startWithItems()
    {
        Window win("\"a\",5\r\n\"b\",3\r\n", {{"a.txt", rec("7") + rec("2")}, {"b.txt", rec("9")}});
        QCOMPARE(win.lst(), QStringList({"a", "b"}));
        QCOMPARE(win.cbo(), QStringList({"a", "b"}));
        QCOMPARE(win.get<QComboBox>("cboKoumoku")->currentText(), QStringLiteral("a"));
        QCOMPARE(
            win.rireki(),
            QStringList({"1 _ 05月09日 _ 23時49分31秒 _ 7", "2 _ 05月09日 _ 23時49分31秒 _ 2"}));
        QCOMPARE(win.goukei(), QStringLiteral("合計回数 ： 9"));
        QVERIFY(win.get<QListWidget>("lstKoumoku")->selectedItems().isEmpty());
        QCOMPARE(win.text("txtKoumoku") + win.text("txtKaisu"), QString());
    }

    void history_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("lastLine");
        QTest::addColumn<QString>("total");
        const QString when = QStringLiteral(" _ 05月09日 _ 23時49分31秒 _ ");
        QTest::newRow("2.5") << rec("2.5") << "1" + when + "2.5"
                             << "2";
        QTest::newRow("2.5 2.5") << rec("2.5") + rec("2.5") << "2" + when + "2.5"
                                 << "4";
        QTest::newRow("1.5") << rec("1.5") << "1" + when + "1.5"
                             << "2";
        QTest::newRow("1.5 1.5") << rec("1.5") + rec("1.5") << "2" + when + "1.5"
                                 << "4";
        QTest::newRow("abc") << rec("5") + rec("abc") << "2" + when + "abc"
                             << "5";
        QTest::newRow("12abc") << rec("1") + rec("2") + rec("12abc") << "3" + when + "12abc"
                               << "15";
        QTest::newRow("-0.4") << rec("-0.4") << "1" + when + "-0.4"
                              << "0";
        QTest::newRow("huge") << rec("1e999") + rec("9999999999999999999")
                              << "2" + when + "9999999999999999999"
                              << "1000000000000000";
        QTest::newRow("empty") << QByteArray("") << QString() << "0";
        QTest::newRow("missing") << QByteArray() << QString() << "0";
    }

    void history()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, lastLine);
        QFETCH(QString, total);
        Window win("\"a\",5\r\n", file.isNull() ? Files {} : Files {{"a.txt", file}});
        QCOMPARE(win.rireki().value(win.rireki().size() - 1), lastLine);
        QCOMPARE(win.goukei(), QStringLiteral("合計回数 ： ") + total);
        QCOMPARE(ScratchDir::exists(QStringLiteral("a.txt")), !file.isNull());
        QVERIFY(win.fs.dialogs.shown.isEmpty());
    }

    void unreadableHistory()
    {
        Window win("\"a\",5\r\n", {{"a.txt", rec("4")}});
        QVERIFY(QFile::remove("a.txt") && QDir().mkdir("a.txt"));
        win.choose(0);
        QVERIFY(win.rireki().isEmpty());
        QCOMPARE(win.goukei(), QStringLiteral("合計回数 ： 0"));
        QCOMPARE(win.fs.dialogs.titles(), QStringList {"読み込みエラー"});
    }

    void selectionsAreIndependent()
    {
        Window win("\"a\",5\r\n\"b\",-3\r\n\"a\",2\r\n",
                   {{"a.txt", rec("4")}, {"b.txt", rec("1") + rec("8")}});
        const QStringList historyOfA = win.rireki();
        win.choose(1);
        QCOMPARE(win.goukei(), QStringLiteral("合計回数 ： 9"));
        QCOMPARE(win.text("txtKoumoku"), QString());
        win.pick(1);
        QCOMPARE(win.text("txtKoumoku") + u' ' + win.text("txtKaisu"), QStringLiteral("b -3"));
        QCOMPARE(win.goukei(), QStringLiteral("合計回数 ： 9"));
        win.choose(2); // a name two items share shows the one history, numbered from 1 again
        QCOMPARE(win.rireki(), historyOfA);
        QCOMPARE(win.goukei(), QStringLiteral("合計回数 ： 4"));
    }

    void registerLimit_data()
    {
        QTest::addColumn<int>("entries");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("19") << 19
                            << QStringList {
                                   "IN|項目名入力|項目名は何ですか？",
                                   "IN|指示数入力|指示数をいくつにしますか？（半角文字で入力）",
                                   "I|新規登録終了|x の設定を新規登録しました"};
        QTest::newRow("20") << 20
                            << QStringList {
                                   "W|項目数上限制約|登録できる項目数は２０項目までです。"};
    }

    void registerLimit()
    {
        QFETCH(int, entries);
        QFETCH(QStringList, shown);
        const QByteArray list = QByteArray("\"n\",1\r\n").repeated(entries);
        Window win(list);
        win.fs.dialogs.inputAnswers.append(QStringList {"x", "5"});
        win.press("cmdNew");
        QCOMPARE(boxes(win.fs.dialogs), shown);
        QCOMPARE(win.lst().size(), 20);
        QCOMPARE(ScratchDir::read(kList), list.left(7 * 20) + (entries < 20 ? "\"x\",5\r\n" : ""));
    }

    void registerAnswers_data()
    {
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<QByteArray>("record"); // null: cancelled, nothing written
        QTest::addColumn<QStringList>("warnings");
        QTest::newRow("1") << QStringList {"1"} << QByteArray("\"x\",1\r\n") << QStringList {};
        QTest::newRow("1.5") << QStringList {"1.5"} << QByteArray("\"x\",1.5\r\n")
                             << QStringList {};
        QTest::newRow("blanks") << QStringList {"  3"} << QByteArray("\"x\",3\r\n")
                                << QStringList {};
        QTest::newRow("3回") << QStringList {"3回"} << QByteArray("\"x\",3\r\n") << QStringList {};
        QTest::newRow("asked again")
            << QStringList {"0", "-5", "0.5", "abc", "32768", "32767"}
            << QByteArray("\"x\",32767\r\n")
            << QStringList {"下限値制限", "下限値制限", "下限値制限", "下限値制限", "上限値制限"};
        QTest::newRow("cancel name")
            << QStringList {} << QByteArray() << QStringList {"キャンセル"};
        QTest::newRow("cancel target")
            << QStringList {"0"} << QByteArray() << QStringList {"下限値制限", "キャンセル"};
    }

    void registerAnswers()
    {
        QFETCH(QStringList, answers);
        QFETCH(QByteArray, record);
        QFETCH(QStringList, warnings);
        Window win(QByteArray {});
        if (!answers.isEmpty())
            win.fs.dialogs.inputAnswers.append(QStringLiteral("x"));
        for (const QString &a : answers)
            win.fs.dialogs.inputAnswers.append(a);
        win.press("cmdNew");
        QStringList warned;
        for (const FakeDialogs::Shown &s : win.fs.dialogs.shown) {
            if (s.kind == QLatin1String("message") && s.icon == MessageIcon::Warning)
                warned.append(s.title);
        }
        QCOMPARE(warned, warnings);
        QCOMPARE(ScratchDir::read(kList), record.isNull() ? QByteArray("<missing>") : record);
        QCOMPARE(ScratchDir::read(QStringLiteral("x.txt")),
                 QByteArray(record.isNull() ? "<missing>" : ""));
        QCOMPARE(win.lst(), record.isNull() ? QStringList {} : QStringList {"x"});
        QVERIFY(win.cbo().isEmpty());
    }

    void registerRefusedName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        const QString forbidden
            = QStringLiteral("項目名に使えない文字（\\ / : * ? \" < > |）が含まれています。");
        QTest::newRow("slash") << "a/b" << forbidden;
        QTest::newRow("quote") << "a\"b" << forbidden;
        QTest::newRow("item list") << "項目一覧"
                                   << "項目名「項目一覧」は使えません。";
        QTest::newRow("dots") << ".."
                              << "項目名に . や .. は使えません。";
        QTest::newRow("tab") << "a\tb"
                             << "項目名に制御文字は使えません。";
        QTest::newRow("emoji")
            << "a😀"
            << "項目名に使えない文字が含まれています（Shift_JISで表せない文字）。";
        QTest::newRow("long") << QString(200, u'あ') << "項目名が長すぎます。";
    }

    void registerRefusedName()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        Window win(QByteArray {});
        win.fs.dialogs.inputAnswers.append(QStringList {name, "5"});
        win.press("cmdNew");
        QCOMPARE(boxes(win.fs.dialogs).mid(1), QStringList {"W|項目名エラー|" + text});
        QVERIFY(ScratchDir::entries().isEmpty());
    }

    void registerDuplicate()
    {
        Window win("\"a\",5\r\n", {{"a.txt", rec("4")}});
        win.fs.dialogs.inputAnswers.append(QStringList {"a", "2"});
        win.press("cmdNew");
        QCOMPARE(ScratchDir::read(kList), QByteArray("\"a\",5\r\n\"a\",2\r\n"));
        QCOMPARE(ScratchDir::read(QStringLiteral("a.txt")), rec("4"));
        QCOMPARE(win.lst(), QStringList({"a", "a"}));
        QCOMPARE(win.cbo(), QStringList {"a"});
        QCOMPARE(ZRVM::items.count(), 2);
    }

    void save_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("box");
        const QString done = QStringLiteral("I|設定更新終了|a の設定を更新しました");
        QTest::newRow("2.5") << "2.5" << QByteArray("\"a\",2\r\n\"b\",1\r\n") << done;
        QTest::newRow("3.5") << "3.5" << QByteArray("\"a\",4\r\n\"b\",1\r\n") << done;
        QTest::newRow("-1") << "-1" << QByteArray("\"a\",-1\r\n\"b\",1\r\n") << done;
        QTest::newRow("empty") << "" << QByteArray("\"a\",0\r\n\"b\",1\r\n") << done;
        QTest::newRow("-32768") << "-32768" << QByteArray("\"a\",-32768\r\n\"b\",1\r\n") << done;
        QTest::newRow("32767.5") << "32767.5" << QByteArray("\"a\",9\r\n\"b\",1\r\n")
                                 << "W|範囲外|指示数は-32768から32767までの数で入力して下さい";
    }

    void save()
    {
        QFETCH(QString, typed);
        QFETCH(QByteArray, file);
        QFETCH(QString, box);
        Window win("\"a\",9\r\n\"b\",1\r\n");
        win.pick(0);
        win.type("txtKaisu", typed);
        win.press("cmdHozon");
        QCOMPARE(boxes(win.fs.dialogs), QStringList {box});
        QCOMPARE(ScratchDir::read(kList), file);
    }

    void saveNewName()
    {
        Window win("\"a\",5\r\n", {{"a.txt", rec("4")}});
        win.pick(0);
        win.type("txtKoumoku", QStringLiteral("b"));
        win.press("cmdHozon");
        QCOMPARE(ScratchDir::read(kList), QByteArray("\"b\",5\r\n"));
        QCOMPARE(win.lst() + win.cbo(), QStringList({"a", "a"}));
        QCOMPARE(ScratchDir::entries(), QStringList({"a.txt", kList}));
        QCOMPARE(ScratchDir::read(QStringLiteral("a.txt")), rec("4"));
        QCOMPARE(boxes(win.fs.dialogs), QStringList {"I|設定更新終了|b の設定を更新しました"});
        win.choose(0);
        QCOMPARE(win.goukei(), QStringLiteral("合計回数 ： 0"));
    }

    void nothingChosen_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("picked");
        for (const char *b : {"cmdHozon", "cmdClear", "cmdDel"}) {
            QTest::addRow("%s typed", b) << b << false;
            QTest::addRow("%s emptied", b) << b << true;
        }
    }

    void nothingChosen()
    {
        QFETCH(QString, button);
        QFETCH(bool, picked);
        Window win("\"a\",5\r\n", {{"a.txt", rec("4")}});
        if (picked)
            win.pick(0);
        win.type("txtKoumoku", picked ? QString() : QStringLiteral("a"));
        win.press(qPrintable(button));
        QCOMPARE(boxes(win.fs.dialogs), QStringList {"I|項目未選定|先に項目を選んで下さい"});
        QCOMPARE(ScratchDir::read(kList), QByteArray("\"a\",5\r\n"));
        QCOMPARE(ScratchDir::read(QStringLiteral("a.txt")), rec("4"));
    }

    void clear_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("shown");
        QTest::addColumn<QString>("goukei");
        QTest::addColumn<QString>("cleared");
        QTest::newRow("name on view") << 0 << 0 << "0"
                                      << "a";
        QTest::newRow("other on view") << 0 << 1 << "合計回数 ： 1"
                                       << "a";
        QTest::newRow("shared name") << 2 << 0 << "0"
                                     << "a";
        QTest::newRow("missing file") << 3 << 0 << "合計回数 ： 4"
                                      << "c";
    }

    void clear()
    {
        QFETCH(int, row);
        QFETCH(int, shown);
        QFETCH(QString, goukei);
        QFETCH(QString, cleared);
        const QByteArray list("\"a\",1\r\n\"b\",2\r\n\"a\",3\r\n\"c\",4\r\n");
        Window win(list, {{"a.txt", rec("4")}, {"b.txt", rec("1")}});
        win.choose(shown);
        win.pick(row);
        win.press("cmdClear");
        QCOMPARE(ScratchDir::read(cleared + ".txt"), QByteArray(""));
        QCOMPARE(ScratchDir::read(kList), list);
        QCOMPARE(win.goukei(), goukei);
        QCOMPARE(win.rireki().isEmpty(), goukei == QLatin1String("0"));
        QCOMPARE(
            boxes(win.fs.dialogs),
            QStringList({"WC|クリア確認|" + cleared
                             + "のカウント数と履歴データをクリアします。よろしいですか？",
                         "I|クリア終了|" + cleared + " のカウント数と履歴データをクリアしました"}));
    }

    void deleteThirdOfFive()
    {
        Window win("\"a\",1\r\n\"b\",2\r\n\"c\",3\r\n\"d\",4\r\n\"e\",5\r\n",
                   {{"a.txt", rec("6")}, {"c.txt", rec("7")}});
        win.choose(2);
        win.pick(2);
        win.press("cmdDel");
        QCOMPARE(ScratchDir::read(kList),
                 QByteArray("\"a\",1\r\n\"b\",2\r\n\"d\",4\r\n\"e\",5\r\n"));
        QCOMPARE(ScratchDir::entries(), QStringList({"a.txt", kList}));
        QCOMPARE(win.lst(), QStringList({"a", "b", "d", "e"}));
        QCOMPARE(win.cbo(), win.lst());
        QCOMPARE(win.get<QComboBox>("cboKoumoku")->currentText(), QStringLiteral("a"));
        QCOMPARE(win.goukei(), QStringLiteral("合計回数 ： 6"));
        QCOMPARE(win.text("txtKoumoku") + win.text("txtKaisu"), QString());
        QVERIFY(win.get<QListWidget>("lstKoumoku")->selectedItems().isEmpty());
        QCOMPARE(boxes(win.fs.dialogs),
                 QStringList(
                     {"WC|クリア確認|cを削除します。よろしいですか？", "I|削除終了|削除しました"}));
    }

    void deleteSharedNameThenLast()
    {
        Window win("\"a\",1\r\n\"a\",2\r\n", {{"a.txt", rec("6")}});
        win.pick(0);
        win.press("cmdDel");
        QCOMPARE(ScratchDir::read(QStringLiteral("a.txt")), rec("6"));
        win.pick(0);
        win.press("cmdDel");
        QCOMPARE(ScratchDir::entries(), QStringList {kList});
        QCOMPARE(ScratchDir::read(kList), QByteArray(""));
        QVERIFY(win.lst().isEmpty() && win.cbo().isEmpty() && win.rireki().isEmpty());
        QCOMPARE(win.goukei(), QStringLiteral("0"));
        QCOMPARE(ZRVM::items.count(), 0);
    }

    void cancelChangesNothing_data()
    {
        QTest::addColumn<QString>("button");
        QTest::newRow("clear") << "cmdClear";
        QTest::newRow("delete") << "cmdDel";
    }

    void cancelChangesNothing()
    {
        QFETCH(QString, button);
        Window win("\"a\",1\r\n", {{"a.txt", rec("6")}});
        win.pick(0);
        win.fs.dialogs.okAnswers.enqueue(false);
        win.press(qPrintable(button));
        QCOMPARE(win.fs.dialogs.shown.size(), 1);
        QCOMPARE(ScratchDir::read(kList), QByteArray("\"a\",1\r\n"));
        QCOMPARE(ScratchDir::read(QStringLiteral("a.txt")), rec("6"));
        QCOMPARE(win.lst(), QStringList {"a"});
        QCOMPARE(win.rireki().size(), 1);
    }

    void editedNameTouchesOnlyTheChosenItem_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("clear")
            << "cmdClear"
            << "b" << QStringList({"a.txt", "b.txt", kList})
            << QStringList(
                   {"WC|クリア確認|aのカウント数と履歴データをクリアします。よろしいですか？",
                    "I|クリア終了|a のカウント数と履歴データをクリアしました"});
        QTest::newRow("delete") << "cmdDel"
                                << "項目一覧" << QStringList({"b.txt", kList})
                                << QStringList({"WC|クリア確認|aを削除します。よろしいですか？",
                                                "I|削除終了|削除しました"});
    }

    void editedNameTouchesOnlyTheChosenItem()
    {
        QFETCH(QString, button);
        QFETCH(QString, typed);
        QFETCH(QStringList, files);
        QFETCH(QStringList, shown);
        Window win("\"a\",1\r\n\"b\",2\r\n", {{"a.txt", rec("6")}, {"b.txt", rec("7")}});
        win.pick(0);
        win.type("txtKoumoku", typed);
        win.press(qPrintable(button));
        QCOMPARE(ScratchDir::entries(), files);
        QCOMPARE(ScratchDir::read(QStringLiteral("b.txt")), rec("7"));
        QCOMPARE(boxes(win.fs.dialogs), shown);
    }

    void failedWritesChangeNothing_data()
    {
        QTest::addColumn<QString>("button");
        QTest::newRow("save") << "cmdHozon";
        QTest::newRow("clear") << "cmdClear";
        QTest::newRow("delete") << "cmdDel";
    }

    void failedWritesChangeNothing()
    {
        QFETCH(QString, button);
        Window win("\"a\",1\r\n\"b\",2\r\n", {{"a.txt", rec("6")}});
        // A directory in place of the item list file: every rewrite of it fails, even as root.
        QVERIFY(QFile::remove(kList) && QDir().mkdir(kList));
        win.pick(0);
        win.type("txtKoumoku", QStringLiteral("z"));
        win.type("txtKaisu", QStringLiteral("8"));
        win.press(qPrintable(button));
        QCOMPARE(win.fs.dialogs.titles().last(), QStringLiteral("書き込みエラー"));
        QCOMPARE(ZRVM::items.name(1) + ZRVM::items.name(2), QStringLiteral("ab"));
        QCOMPARE(ZRVM::items.target(1), qint16(1));
        QCOMPARE(win.lst(), QStringList({"a", "b"}));
        QCOMPARE(ScratchDir::read(QStringLiteral("a.txt")), rec("6"));
    }

    void restartHelpAndExit()
    {
        Window win("\"a\",1\r\n");
        win.press("cmdHelp");
        win.press("cmdHelp");
        QCOMPARE(win.fs.help.displayed, QStringList({"QvHelp.chm", "QvHelp.chm"}));
        win.press("cmdAgain");
        QCOMPARE(win.fs.windows.unloaded, QList<QWidget *> {win.w.get()});
        QCOMPARE(win.fs.windows.shown, QList {AppWindow::Counting});
        win.press("cmdEnd");
        QCOMPARE(win.fs.help.closed, QStringList {"QvHelp.chm"});
        QCOMPARE(win.fs.windows.ended, 1);
        QVERIFY(win.fs.dialogs.shown.isEmpty());
    }
};

QTEST_MAIN(TestFrmSettei)
#include "tst_frmsettei.moc"
