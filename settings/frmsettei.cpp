#include "frmsettei.h"

#include "dialogs.h"
#include "failuretexts.h"
#include "helpviewer.h"
#include "history.h"
#include "historymodel.h"
#include "historyview.h"
#include "itemlist.h"
#include "namecheck.h"
#include "numeric.h"
#include "services.h"
#include "textbox.h"
#include "uistyle.h"
#include "windowmanager.h"
#include "zrvm.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QGroupBox>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QToolButton>

namespace {

const int kMaxItems = 20;

// A picture button that also answers Enter, as the row's buttons did for keyboard users.
class PictureButton final : public QToolButton
{
public:
    using QToolButton::QToolButton;

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
            && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            click();
            return;
        }
        QToolButton::keyPressEvent(event);
    }
};

QToolButton *pictureButton(QWidget *parent, const char *name, int left, const QString &caption,
                           const QString &picture, bool withSmall, const QString &tip)
{
    auto *button
        = UiStyle::place(new PictureButton(parent), name, UiStyle::rect(left, 150, 840, 915));
    QStringList sizes {picture + QStringLiteral("32.png")};
    if (withSmall)
        sizes << picture + QStringLiteral("16.png");
    button->setIcon(UiStyle::icon(sizes));
    button->setIconSize(QSize(32, 32));
    button->setText(caption);
    button->setToolTip(tip);
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setFocusPolicy(Qt::StrongFocus);
    return button;
}

QWidget *etchedLine(QWidget *parent, const char *name, int top, const QColor &color)
{
    auto *line = UiStyle::place(
        new QWidget(parent), name,
        QRect(UiStyle::px(150), UiStyle::px(top), UiStyle::px(9300) - UiStyle::px(150) + 1, 1));
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, color);
    line->setPalette(palette);
    line->setBackgroundRole(QPalette::Window);
    line->setAutoFillBackground(true);
    return line;
}

// Tabbing into a list makes its first entry current without choosing it, so that the first arrow
// key would step past it, or, in a list of one, do nothing at all. That key chooses the first
// entry instead, made current afresh so that a screen reader hears it like any other.
bool chooseFirstEntry(QAbstractItemView *list, const QKeyEvent *key)
{
    QItemSelectionModel *selection = list->selectionModel();
    if ((key->key() != Qt::Key_Down && key->key() != Qt::Key_Up) || !selection
        || selection->hasSelection() || list->model()->rowCount() == 0)
        return false;
    selection->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    selection->setCurrentIndex(list->model()->index(0, 0), QItemSelectionModel::ClearAndSelect);
    return true;
}

QString nameProblemText(NameProblem problem, const QString &name)
{
    switch (problem) {
    case NameProblem::None:
    case NameProblem::Empty:
        break;
    case NameProblem::PathSeparator:
    case NameProblem::ForbiddenCharacter:
        return QStringLiteral("項目名に使えない文字（\\ / : * ? \" < > |）が含まれています。");
    case NameProblem::ControlCharacter:
        return QStringLiteral("項目名に制御文字は使えません。");
    case NameProblem::DotName:
        return QStringLiteral("項目名に . や .. は使えません。");
    case NameProblem::ItemListName:
        return QStringLiteral("項目名「項目一覧」は使えません。");
    case NameProblem::NotInCodePage:
        return QStringLiteral(
                   "項目名に使えない文字「%1」が含まれています（Shift_JISで表せない文字）。")
            .arg(charactersOutsideCodePage(name));
    case NameProblem::TooLong:
        return QStringLiteral("項目名が長すぎます。");
    }
    return QStringLiteral("項目名を入力して下さい。");
}

} // namespace

frmSettei::frmSettei(Services &services, QWidget *parent)
    : QWidget(parent,
              Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                  | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
    , m_services(services)
{
    setObjectName(QStringLiteral("frmSettei"));
    setWindowTitle(QStringLiteral("Zorvex"));
    setFixedSize(UiStyle::px(9465), UiStyle::px(6780));
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
    createControls();
    connectControls();
}

void frmSettei::createControls()
{
    using UiStyle::place;
    using UiStyle::rect;
    auto *logo = place(new QLabel(this), "Image1", rect(150, 150, 3165, 975));
    logo->setAccessibleName(QStringLiteral("Zorvex"));
    logo->setPixmap(UiStyle::picture(QStringLiteral("logo.gif")));
    logo->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    cmdAgain
        = pictureButton(this, "cmdAgain", 3525, QStringLiteral("開始"), QStringLiteral("again"),
                        false, QStringLiteral("トレーニングを開始します"));
    cmdNew = pictureButton(this, "cmdNew", 4350, QStringLiteral("登録"), QStringLiteral("new"),
                           true, QStringLiteral("項目を新規登録します"));
    cmdHozon
        = pictureButton(this, "cmdHozon", 5175, QStringLiteral("保存"), QStringLiteral("hozon"),
                        true, QStringLiteral("編集した設定で保存します"));
    cmdClear
        = pictureButton(this, "cmdClear", 6000, QStringLiteral("クリア"), QStringLiteral("clear"),
                        true, QStringLiteral("カウントと履歴をクリアします"));
    cmdDel = pictureButton(this, "cmdDel", 6825, QStringLiteral("削除"), QStringLiteral("del"),
                           true, QStringLiteral("項目を削除します"));
    cmdHelp = pictureButton(this, "cmdHelp", 7650, QStringLiteral("ヘルプ"), QStringLiteral("help"),
                            true, QStringLiteral("ヘルプファイルを開きます"));
    cmdEnd = pictureButton(this, "cmdEnd", 8475, QStringLiteral("終了"), QStringLiteral("end"),
                           true, QStringLiteral("プログラムを終了します"));

    // The black line above the white one makes the rule look engraved.
    etchedLine(this, "Line1(1)", 1260, Qt::black);
    etchedLine(this, "Line1(0)", 1275, Qt::white);

    const QFont small = UiStyle::gothic(11.25);
    const QFont large = UiStyle::gothic(12);

    auto *frame1 = place(new QGroupBox(QStringLiteral("実績履歴リスト"), this), "Frame1",
                         rect(90, 1425, 4890, 5265));
    frame1->setFont(small);
    auto *frame2 = place(new QGroupBox(QStringLiteral("登録状態確認"), this), "Frame2",
                         rect(5100, 1425, 4215, 5265));
    frame2->setFont(small);
    UiStyle::captionOnFrameLine(frame1);
    UiStyle::captionOnFrameLine(frame2);

    cboKoumoku = place(new QComboBox(frame1), "cboKoumoku", rect(150, 375, 4590, 345));
    cboKoumoku->setAccessibleName(QStringLiteral("実績履歴の項目"));
    cboKoumoku->setEditable(true);
    // Typing in the box only changes its text; it never adds an entry.
    cboKoumoku->setInsertPolicy(QComboBox::NoInsert);
    // Nor does finishing the typing (Enter, Tab, a click elsewhere) choose the entry that
    // matches the text: only a choice from the list shows another history.
    disconnect(cboKoumoku->lineEdit(), &QLineEdit::editingFinished, cboKoumoku, nullptr);
    cboKoumoku->setFont(small);
    cboKoumoku->setToolTip(QStringLiteral("各項目の実績履歴を表示します"));

    // A history can hold a great many records: the model makes only the lines on screen, and
    // the view places its rows without visiting the others.
    m_rireki = new HistoryModel(this);
    lstRireki = place(new HistoryView(frame1), "lstRireki", rect(150, 750, 4590, 4140));
    lstRireki->setAccessibleName(QStringLiteral("実績履歴"));
    lstRireki->setModel(m_rireki);
    lstRireki->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstRireki->setSelectionMode(QAbstractItemView::SingleSelection);
    lstRireki->setFont(large);
    // A long line is cut at the list's edge; the list never scrolls sideways.
    lstRireki->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    lstRireki->setTextElideMode(Qt::ElideNone);

    // Its text says what it is, so it is its name too.
    lblGoukei = place(new QLabel(frame1), "lblGoukei", rect(2625, 4950, 2040, 240));
    lblGoukei->setAccessibleDescription(QStringLiteral("合計回数"));
    lblGoukei->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblGoukei->setFont(small);

    txtKoumoku = place(new TextBox(frame2), "txtKoumoku", rect(150, 375, 3240, 315));
    txtKoumoku->setAccessibleName(QStringLiteral("項目名"));
    txtKaisu = place(new TextBox(frame2), "txtKaisu", rect(3450, 375, 615, 315));
    txtKaisu->setAccessibleName(QStringLiteral("指示数"));
    for (QLineEdit *box : {txtKoumoku, txtKaisu}) {
        box->setFont(small);
        box->setToolTip(QStringLiteral("修正後設定保存を押して下さい"));
    }

    lstKoumoku = place(new QListWidget(frame2), "lstKoumoku", rect(150, 750, 3915, 4380));
    lstKoumoku->setAccessibleName(QStringLiteral("登録項目"));
    lstKoumoku->setSelectionMode(QAbstractItemView::SingleSelection);
    lstKoumoku->setFont(large);
    lstKoumoku->setToolTip(QStringLiteral("クリックすると選択されます"));

    // The value box comes before the name box, although it stands to its right.
    const QList<QWidget *> tabOrder {cmdAgain,   cmdNew,   cmdHozon,   cmdClear,
                                     cmdDel,     cmdHelp,  cmdEnd,     cboKoumoku,
                                     lstKoumoku, txtKaisu, txtKoumoku, lstRireki};
    for (qsizetype k = 1; k < tabOrder.size(); ++k)
        setTabOrder(tabOrder[k - 1], tabOrder[k]);
    cmdAgain->setFocus();
    UiStyle::showFocusFrame(this);
    UiStyle::readOnEveryFocus({txtKaisu, txtKoumoku});
}

void frmSettei::connectControls()
{
    for (QWidget *control : std::initializer_list<QWidget *> {lstKoumoku, lstRireki, cmdAgain})
        control->installEventFilter(this);
    connect(cboKoumoku, &QComboBox::activated, this, &frmSettei::cboKoumoku_Click);
    // A selection covers the mouse and the arrow keys; a click on the entry that is already
    // selected fills the boxes again, over whatever was typed there.
    connect(lstKoumoku, &QListWidget::itemSelectionChanged, this, [this] {
        if (!m_filling)
            lstKoumoku_Click(selectedRow());
    });
    connect(lstKoumoku, &QListWidget::itemClicked, this,
            [this](QListWidgetItem *item) { lstKoumoku_Click(lstKoumoku->row(item)); });
    connect(cmdNew, &QToolButton::clicked, this, &frmSettei::cmdNew_Click);
    connect(cmdHozon, &QToolButton::clicked, this, &frmSettei::cmdHozon_Click);
    connect(cmdClear, &QToolButton::clicked, this, &frmSettei::cmdClear_Click);
    connect(cmdDel, &QToolButton::clicked, this, &frmSettei::cmdDel_Click);
    connect(cmdAgain, &QToolButton::clicked, this, &frmSettei::cmdAgain_Click);
    connect(cmdHelp, &QToolButton::clicked, this, &frmSettei::cmdHelp_Click);
    connect(cmdEnd, &QToolButton::clicked, this, &frmSettei::cmdEnd_Click);
}

bool frmSettei::eventFilter(QObject *watched, QEvent *event)
{
    if ((watched == lstKoumoku || watched == lstRireki) && event->type() == QEvent::KeyPress
        && chooseFirstEntry(static_cast<QAbstractItemView *>(watched),
                            static_cast<QKeyEvent *>(event)))
        return true;
    // The total is a label that the focus never reaches, so the history list tells it.
    if (watched == lstRireki && event->type() == QEvent::FocusIn)
        lstRireki->setAccessibleDescription(lblGoukei->text());
    if (watched == cmdAgain && event->type() == QEvent::FocusOut)
        cmdAgain->setAccessibleDescription(QString());
    return QWidget::eventFilter(watched, event);
}

void frmSettei::showEvent(QShowEvent *event)
{
    if (!m_centred) {
        m_centred = true;
        UiStyle::centreOnScreen(this);
        cmdAgain->setFocus();
        // Both windows have the same title, so the first control a screen reader reads says
        // where the user is, and after a round that its last set was recorded, until the focus
        // moves on.
        const bool afterRound = ZRVM::currentItem == 0 && ZRVM::items.count() > 0;
        cmdAgain->setAccessibleDescription(
            (afterRound ? QStringLiteral("最後のセットを記録しました。") : QString())
            + QStringLiteral("設定画面です。"));
    }
    QWidget::showEvent(event);
}

void frmSettei::Form_Load()
{
    m_helpPath = QStringLiteral("QvHelp.chm");
    if (ZRVM::items.count() == 0)
        return;
    fillItemLists();
    cboKoumoku->setEditText(ZRVM::items.name(1));
    m_selectedItem = 1;
    ShowHistory();
}

void frmSettei::fillItemLists()
{
    m_filling = true;
    lstKoumoku->clear();
    cboKoumoku->clear();
    for (int k = 1; k <= ZRVM::items.count(); ++k) {
        lstKoumoku->addItem(ZRVM::items.name(k));
        cboKoumoku->addItem(ZRVM::items.name(k));
    }
    m_filling = false;
}

void frmSettei::cboKoumoku_Click(int index)
{
    if (index < 0 || index >= ZRVM::items.count())
        return;
    m_selectedItem = qint16(index + 1);
    ShowHistory();
}

void frmSettei::lstKoumoku_Click(int row)
{
    if (row < 0 || row >= ZRVM::items.count())
        return;
    txtKoumoku->setText(ZRVM::items.name(row + 1));
    txtKaisu->setText(QString::number(ZRVM::items.target(row + 1)));
}

void frmSettei::ShowHistory()
{
    m_rireki->clear();
    HistoryIndex index;
    if (m_selectedItem >= 1 && m_selectedItem <= ZRVM::items.count()) {
        const QString name = ZRVM::items.name(m_selectedItem);
        if (const IoStatus status = index.read(name); !status.ok())
            failed(status);
        m_damagedLine.tell(m_services.dialogs, this, History::fileName(name), index.damagedLine());
    }
    const double total = index.total();
    m_rireki->setIndex(std::move(index));
    lblGoukei->setText(QStringLiteral("合計回数 ： ") + QString::number(qint64(total)));
}

bool frmSettei::warn(const QString &text, const QString &title)
{
    return m_services.dialogs.message(this, text, title, MessageIcon::Warning);
}

void frmSettei::failed(const IoStatus &status)
{
    warn(FailureTexts::text(status), FailureTexts::title(status));
}

int frmSettei::confirmChosen(const QString &question)
{
    const int i = chosenItem();
    // The item is named from the table: whatever the name box holds now never decides which
    // history is emptied or which file goes. Clearing and deleting share one title, and Enter
    // on either keeps the data.
    if (i == 0
        || !m_services.dialogs.message(this, ZRVM::items.name(i) + question,
                                       QStringLiteral("クリア確認"), MessageIcon::Warning,
                                       MessageButtons::OkCancel, DefaultButton::Cancel))
        return 0;
    return i;
}

void frmSettei::inform(const QString &text, const QString &title)
{
    m_services.dialogs.message(this, text, title, MessageIcon::Information);
}

bool frmSettei::refusedName(const QString &name)
{
    const NameProblem problem = checkItemName(name);
    if (problem == NameProblem::None)
        return false;
    warn(nameProblemText(problem, name), QStringLiteral("項目名エラー"));
    return true;
}

int frmSettei::selectedRow() const
{
    const QList<QListWidgetItem *> selected = lstKoumoku->selectedItems();
    return selected.isEmpty() ? -1 : lstKoumoku->row(selected.first());
}

int frmSettei::chosenItem()
{
    const int row = selectedRow();
    if (txtKoumoku->text().isEmpty() || row < 0 || row >= ZRVM::items.count()) {
        inform(QStringLiteral("先に項目を選んで下さい"), QStringLiteral("項目未選定"));
        return 0;
    }
    return row + 1;
}

QString frmSettei::askTarget()
{
    for (;;) {
        const QString answer = m_services.dialogs.input(
            this, QStringLiteral("指示数をいくつにしますか？（半角文字で入力）"),
            QStringLiteral("指示数入力"));
        if (answer.isEmpty())
            return answer;
        const double value = Numeric::valueOf(answer);
        if (value < 1)
            warn(QStringLiteral("必ず１以上を入力して下さい"), QStringLiteral("下限値制限"));
        else if (value > 32767)
            warn(QStringLiteral("指示数は32767以下で入力して下さい"), QStringLiteral("上限値制限"));
        else
            return answer;
    }
}

void frmSettei::cmdNew_Click()
{
    if (lstKoumoku->count() >= kMaxItems) {
        warn(QStringLiteral("登録できる項目数は２０項目までです。"),
             QStringLiteral("項目数上限制約"));
        return;
    }
    const QString cancelled = QStringLiteral("新規追加をキャンセルします");
    const QString name = typedName(m_services.dialogs.input(
        this, QStringLiteral("項目名は何ですか？"), QStringLiteral("項目名入力")));
    if (name.isEmpty()) {
        warn(cancelled, QStringLiteral("キャンセル"));
        return;
    }
    if (refusedName(name))
        return;
    const QString answer = askTarget();
    if (answer.isEmpty()) {
        warn(cancelled, QStringLiteral("キャンセル"));
        return;
    }
    const double target = Numeric::valueOf(answer);

    // The record goes to the end of the list as it now is, hand edits included.
    bool edited = false;
    const IoStatus appended = ItemList::append(ZRVM::items, name, target, edited);
    if (!appended.ok()) {
        failed(appended);
        return;
    }
    // The item is registered now; its history file is created by the first set at the latest.
    const IoStatus ensured = History::ensure(name);
    if (!ensured.ok())
        failed(ensured);

    // A table that could not be read back is never written over the list, so the window goes on
    // without the new item until the next load that succeeds.
    const IoStatus loaded = ZRVM::LoadItemList();
    if (!loaded.ok())
        failed(loaded);
    // After a hand edit the positions of the list no longer match the window's: it shows the
    // list as it now is.
    if (edited && loaded.ok())
        showItems();
    else
        lstKoumoku->addItem(name);
    // A history file that could not be written is a failed write, and no completion message may
    // follow one.
    if (ensured.ok())
        inform((loaded.ok() ? ZRVM::items.name(ZRVM::items.count()) : name)
                   + QStringLiteral(" の設定を新規登録しました")
                   + (edited
                          ? QStringLiteral("\n項目一覧がほかで変更されていたため、"
                                           "変更後の項目一覧の最後に追加し、読み込み直しました。")
                          : QString()),
               QStringLiteral("新規登録終了"));
}

void frmSettei::cmdHozon_Click()
{
    const int i = chosenItem();
    if (i == 0)
        return;
    const QString oldName = ZRVM::items.name(i);
    // A name the table already holds is kept as it is, so that its target can still change.
    const QString name = txtKoumoku->text() == oldName ? oldName : typedName(txtKoumoku->text());
    const qint16 oldTarget = ZRVM::items.target(i);
    if (name != oldName && refusedName(name))
        return;
    const double target = Numeric::roundHalfEven(Numeric::valueOf(txtKaisu->text()));
    if (target < -32768 || target > 32767) {
        warn(QStringLiteral("指示数は-32768から32767までの数で入力して下さい"),
             QStringLiteral("範囲外"));
        return;
    }

    ZRVM::items.setItem(i, name, qint16(target));
    const IoStatus saved = ItemList::save(ZRVM::items);
    if (!saved.ok()) {
        ZRVM::items.setItem(i, oldName, oldTarget);
        failedRewrite(saved);
        return;
    }
    inform(name + QStringLiteral(" の設定を更新しました"), QStringLiteral("設定更新終了"));
}

namespace {

// What Clear and Delete add when the list had been edited by hand since it was read.
QString editedNote(bool edited)
{
    return edited ? QStringLiteral("\n項目一覧がほかで変更されていたため、項目一覧は書き換えず、"
                                   "変更後の内容を表示しています。")
                  : QString();
}

} // namespace

void frmSettei::cmdClear_Click()
{
    const int i
        = confirmChosen(QStringLiteral("のカウント数と履歴データをクリアします。よろしいですか？"));
    if (i == 0)
        return;
    const QString name = ZRVM::items.name(i);

    // The list's part is no change at all; a hand edit since it was read is kept, and only the
    // history the user named is emptied.
    const IoStatus saved = ItemList::save(ZRVM::items);
    const bool edited = !saved.ok() && saved.problem() == IoProblem::ChangedOnDisk;
    if (!saved.ok() && !edited) {
        failedRewrite(saved);
        return;
    }
    const IoStatus cleared = History::clear(name);
    if (edited) {
        const IoStatus loaded = ZRVM::LoadItemList();
        if (!loaded.ok())
            failed(loaded);
        showItems();
    } else if (cleared.ok()) {
        if (cboKoumoku->currentText() == name) {
            m_rireki->clear();
            lblGoukei->setText(QStringLiteral("0"));
        }
    }
    if (!cleared.ok()) {
        failed(cleared);
        return;
    }
    inform(name + QStringLiteral(" のカウント数と履歴データをクリアしました") + editedNote(edited),
           QStringLiteral("クリア終了"));
}

void frmSettei::cmdDel_Click()
{
    const int i = confirmChosen(QStringLiteral("を削除します。よろしいですか？"));
    if (i == 0)
        return;
    const QString deleted = ZRVM::items.name(i);

    // Leaving the item out of a list edited by hand would undo the edit: the list is then kept
    // as it is, and the history goes only if no item of that list has the name any more.
    const IoStatus saved = ItemList::save(ZRVM::items, i);
    const bool edited = !saved.ok() && saved.problem() == IoProblem::ChangedOnDisk;
    if (!saved.ok() && !edited) {
        failedRewrite(saved);
        return;
    }
    // A table that could not be read back still holds the item, so its history file stays.
    const IoStatus loaded = ZRVM::LoadItemList();
    if (!loaded.ok())
        failed(loaded);
    bool stillNamed = false;
    for (const Item &item : ZRVM::items.items())
        stillNamed = stillNamed || History::sameFile(item.name, deleted);
    if (!stillNamed) {
        if (const IoStatus removed = History::remove(deleted); !removed.ok())
            failed(removed);
    }

    showItems();
    if (!edited)
        inform(QStringLiteral("削除しました"), QStringLiteral("削除終了"));
    else if (stillNamed)
        warn(deleted + QStringLiteral(" を削除しませんでした。") + editedNote(true),
             QStringLiteral("削除中止"));
    else
        inform(deleted + QStringLiteral(" の履歴データを削除しました") + editedNote(true),
               QStringLiteral("削除終了"));
}

// The item list changed on disk since it was read: that version wins, and the window shows it.
void frmSettei::failedRewrite(const IoStatus &status)
{
    failed(status);
    if (status.problem() != IoProblem::ChangedOnDisk)
        return;
    const IoStatus loaded = ZRVM::LoadItemList();
    if (!loaded.ok())
        failed(loaded);
    showItems();
}

void frmSettei::showItems()
{
    fillItemLists();
    m_rireki->clear();
    lblGoukei->setText(QStringLiteral("0"));
    if (ZRVM::items.count() != 0) {
        cboKoumoku->setEditText(ZRVM::items.name(1));
        m_selectedItem = 1;
        ShowHistory();
    }
    txtKoumoku->clear();
    txtKaisu->clear();
}

void frmSettei::cmdAgain_Click()
{
    if (lstKoumoku->count() == 0) {
        warn(QStringLiteral("先に項目を入力して下さい"), QStringLiteral("項目未登録"));
        return;
    }
    m_services.windows.unload(this);
    m_services.windows.show(AppWindow::Counting);
}

void frmSettei::cmdHelp_Click()
{
    m_services.help.displayTopic(this, m_helpPath);
}

void frmSettei::cmdEnd_Click()
{
    m_services.help.closeAll(this, m_helpPath);
    m_services.windows.endProgram();
}
