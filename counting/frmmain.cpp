#include "frmmain.h"

#include "dialogs.h"
#include "failuretexts.h"
#include "history.h"
#include "itemlist.h"
#include "numeric.h"
#include "randomsource.h"
#include "services.h"
#include "textbox.h"
#include "uistyle.h"
#include "windowmanager.h"
#include "zrvm.h"

#include <QAccessible>
#include <QCloseEvent>
#include <QGroupBox>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QToolButton>
#include <cmath>

qint16 frmMain::s_flashColorIndex = 0;

namespace {

constexpr int labelCount = 20;
constexpr int itemColor = 15;
constexpr int currentItemColor = 12;

// A carried stray byte or a lone surrogate counts as one character, as does a surrogate pair.
int characterCount(const QString &text)
{
    int count = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        ++count;
    }
    return count;
}

qreal nameFontSize(int length)
{
    if (length >= 1 && length <= 5)
        return 65;
    if (length >= 6 && length <= 8)
        return 48;
    if (length >= 9 && length <= 10)
        return 36;
    if (length >= 11 && length <= 14)
        return 28;
    if (length >= 15 && length <= 18)
        return 22;
    return 16;
}

qint16 suggestedCount(qint16 target, float fraction)
{
    const double value = std::floor(double(float(target)) * double(fraction) + 1.0);
    return qint16(qBound(-32768.0, value, 32767.0));
}

// The current item stands out by its description too, not by its colour alone.
void markItemLabel(QLabel *label, bool current)
{
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, UiStyle::paletteColor(current ? currentItemColor : itemColor));
    label->setPalette(p);
    label->setAccessibleDescription(current ? QStringLiteral("実施中") : QString());
}

// The toolkit announces a label's text only when it changes, but the next item can repeat the
// name or the suggested count of the one before, and a screen reader must hear it all the same.
void showText(QLabel *label, const QString &text)
{
    if (label->text() != text) {
        label->setText(text);
        return;
    }
    QAccessibleEvent event(label, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&event);
}

// A label's text is its accessible name; the description says what the text is.
QLabel *plainLabel(QLabel *label, const QString &description = {})
{
    label->setAccessibleDescription(description);
    // Item names are shown as typed, never as markup.
    label->setTextFormat(Qt::PlainText);
    return label;
}

} // namespace

frmMain::frmMain(Services &services, QWidget *parent)
    : QWidget(parent)
    , m_services(services)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Zorvex"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(UiStyle::px(9435), UiStyle::px(6750));
    setFont(UiStyle::gothic(21.75));
    m_buttonFace = palette().color(QPalette::Button);
    setAutoFillBackground(true);
    setBackColor(m_buttonFace);
    createControls();
    connectControls();
}

void frmMain::createControls()
{
    using UiStyle::place;
    using UiStyle::rect;
    // Everything but the see-through labels keeps the button face while the window flashes.
    const auto keepButtonFace = [this](QWidget *w) {
        QPalette p = w->palette();
        p.setColor(QPalette::Window, m_buttonFace);
        w->setPalette(p);
    };

    // Created in tab order, so that the focus chain follows it.
    lblKoumoku = plainLabel(place(new QLabel(this), "lblKoumoku", rect(2655, 585, 6735, 1515)),
                            QStringLiteral("現在の項目"));
    lblKoumoku->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    lblKoumoku->setWordWrap(true);

    // Its text comes after the window's font: a text box lays out the text it is made with in
    // the toolkit's default font first.
    txtKaisu = place(new TextBox(this), "txtKaisu", rect(6750, 5700, 1215, 510));
    txtKaisu->setText(QStringLiteral("0"));
    txtKaisu->setAccessibleName(QStringLiteral("回数"));
    keepButtonFace(txtKaisu);

    cmdNext = place(new QToolButton(this), "cmdNext", rect(8250, 5625, 990, 990));
    cmdNext->setFont(UiStyle::gothic(9));
    cmdNext->setText(QStringLiteral("次へ"));
    cmdNext->setIcon(UiStyle::icon({QStringLiteral("next32.png"), QStringLiteral("next16.png")}));
    cmdNext->setIconSize(QSize(32, 32));
    cmdNext->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    cmdNext->setFocusPolicy(Qt::StrongFocus);
    keepButtonFace(cmdNext);

    hsbKaisu = place(new QScrollBar(Qt::Horizontal, this), "hsbKaisu", rect(6750, 6300, 1215, 240));
    hsbKaisu->setAccessibleName(QStringLiteral("回数の調整"));
    hsbKaisu->setRange(0, 1000);
    hsbKaisu->setSingleStep(1);
    hsbKaisu->setPageStep(10);
    hsbKaisu->setFocusPolicy(Qt::StrongFocus);
    keepButtonFace(hsbKaisu);

    lblKaisu = plainLabel(place(new QLabel(this), "lblKaisu", rect(2700, 2250, 6720, 2865)),
                          QStringLiteral("提案回数"));
    lblKaisu->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    lblKaisu->setFont(UiStyle::gothic(150));

    auto *frame1
        = place(new QGroupBox(QStringLiteral("計画"), this), "Frame1", rect(75, 150, 2550, 6465));
    frame1->setFont(UiStyle::gothic(11.25));
    UiStyle::captionOnFrameLine(frame1);
    frame1->setAutoFillBackground(true);
    keepButtonFace(frame1);

    // Member 20 comes first in the tab order.
    for (int i : {20, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19}) {
        const QByteArray name = "lblSnd(" + QByteArray::number(i) + ')';
        QLabel *label = plainLabel(
            place(new QLabel(frame1), name.constData(), rect(105, 75 + 300 * i, 2415, 240)));
        label->setFont(UiStyle::gothic(11.25));
        m_lblSnd[size_t(i)] = label;
    }

    cmdCut = place(new QPushButton(this), "cmdCut", rect(9000, 75, 390, 345));
    cmdCut->setAccessibleName(QStringLiteral("中断"));
    cmdCut->setIcon(UiStyle::icon({QStringLiteral("cut16.png")}));
    cmdCut->setIconSize(QSize(16, 16));
    keepButtonFace(cmdCut);

    setTabOrder(txtKaisu, cmdNext);
    setTabOrder(cmdNext, hsbKaisu);
    setTabOrder(hsbKaisu, cmdCut);
    UiStyle::showFocusFrame(this);
    UiStyle::readOnEveryFocus({txtKaisu});
}

void frmMain::connectControls()
{
    for (QObject *control : std::initializer_list<QObject *> {txtKaisu, cmdNext, hsbKaisu, cmdCut})
        control->installEventFilter(this);
    connect(cmdNext, &QToolButton::clicked, this, &frmMain::cmdNext_Click);
    connect(hsbKaisu, &QScrollBar::valueChanged, this, &frmMain::hsbKaisu_Change);
    connect(hsbKaisu, &QScrollBar::sliderMoved, this, &frmMain::hsbKaisu_Scroll);
    connect(cmdCut, &QPushButton::clicked, this, &frmMain::cmdCut_Click);
}

QLabel *frmMain::lblSnd(int index) const
{
    Q_ASSERT(index >= 1 && index <= labelCount);
    return m_lblSnd[size_t(index)];
}

int frmMain::roundLength() const
{
    return qMin(int(ZRVM::items.count()), labelCount);
}

void frmMain::setBackColor(const QColor &color)
{
    QPalette p = palette();
    p.setColor(QPalette::Window, color);
    setPalette(p);
}

void frmMain::Form_Load()
{
    const IoStatus loaded = ZRVM::LoadItemList();
    if (!loaded.ok()) {
        // Nothing stale from an earlier load may stand in for the list that could not be read.
        ZRVM::items.replaceAll({});
        m_services.dialogs.message(this, FailureTexts::text(loaded), FailureTexts::title(loaded),
                                   MessageIcon::Warning);
        m_services.windows.show(AppWindow::Settings);
        m_services.windows.unload(this);
        return;
    }
    m_damagedLine.tell(m_services.dialogs, this, ItemList::fileName(),
                       ItemList::damagedLine(*ZRVM::items.fileBytes()));
    if (ZRVM::items.count() == 0) {
        m_services.dialogs.message(this,
                                   QStringLiteral("項目登録ボタンを押して項目を設定してください"),
                                   QStringLiteral("項目無し"), MessageIcon::Warning);
        m_services.windows.show(AppWindow::Settings);
        m_services.windows.unload(this);
        return;
    }

    UiStyle::centreOnScreen(this);
    show();

    for (int i = 1; i <= labelCount; ++i)
        lblSnd(i)->hide();
    const int count = roundLength();
    for (int i = 1; i <= count; ++i) {
        QLabel *label = lblSnd(i);
        label->show();
        markItemLabel(label, false);
        label->setText(QString::number(i) + u'.' + ZRVM::items.name(i));
    }
    cmdNext->setText(ZRVM::items.count() == 1 ? QStringLiteral("終了") : QStringLiteral("次へ"));
    resetEntry();
    ZRVM::currentItem = 1;
    ShowCurrentItem();
}

void frmMain::ShowCurrentItem()
{
    const int k = ZRVM::currentItem;
    markItemLabel(lblSnd(k), true);
    const QString name = ZRVM::items.name(k);
    showText(lblKoumoku, name);
    QFont font = lblKoumoku->font();
    font.setPointSizeF(nameFontSize(characterCount(name)));
    lblKoumoku->setFont(font);

    m_services.random.reseedFromClock();
    const qint16 suggested
        = suggestedCount(ZRVM::items.target(k), m_services.random.nextFraction());
    const QString shown = QString::number(suggested);
    showText(lblKaisu, shown);
    // The focus stays on Next or comes back to it, and Next carries what a screen reader says
    // after every Next: the item and its suggested count. The focus moves before the count box
    // is refilled, so that the new count is not read out as if typed into the box.
    cmdNext->setAccessibleDescription(
        (k == roundLength() ? QStringLiteral("最後の項目 ") : QStringLiteral("項目 ")) + name
        + QStringLiteral("、提案回数 ") + shown);
    if (cmdNext->hasFocus())
        UiStyle::readFocusAgain(cmdNext);
    else
        cmdNext->setFocus();
    hsbKaisu->setValue(suggested);
    // A count the bar cannot take (a target above its maximum, or below 1) is still offered
    // exactly as drawn.
    if (txtKaisu->text() != shown)
        txtKaisu->setText(shown);
}

void frmMain::resetEntry()
{
    // The bar goes back to 0 without writing that 0 into the box: the box goes straight from the
    // count just recorded to empty, never showing a count the user did not choose.
    {
        const QSignalBlocker quiet(hsbKaisu);
        hsbKaisu->setValue(0);
    }
    txtKaisu->clear();
}

void frmMain::cmdNext_Click()
{
    if (m_busy)
        return;
    const QScopedValueRollback busy(m_busy, true);

    const double count = Numeric::valueOf(txtKaisu->text());
    if (count < 1) {
        const bool ok = m_services.dialogs.message(
            this, QStringLiteral("回数ゼロで次へ進もうとしていますがよろしいいですか？"),
            QStringLiteral("確認"), MessageIcon::Warning, MessageButtons::OkCancel);
        if (!ok) {
            txtKaisu->setFocus();
            return;
        }
    }

    const int k = ZRVM::currentItem;
    const int last = roundLength();
    const IoStatus recorded
        = History::appendSetRecord(ZRVM::items.name(k), count, m_services.clock);
    if (!recorded.ok()) {
        // Nothing was recorded, so the user stays on this item with the count as typed.
        m_services.dialogs.message(this, FailureTexts::text(recorded),
                                   FailureTexts::title(recorded), MessageIcon::Warning);
        return;
    }
    if (k == last - 1)
        cmdNext->setText(QStringLiteral("終わり"));
    const IoStatus saved = ItemList::save(ZRVM::items);
    // The rewrite only repeats an unchanged table, so a list changed on disk meanwhile (by hand,
    // by another program) simply keeps that change.
    if (!saved.ok() && saved.problem() != IoProblem::ChangedOnDisk) {
        // The set is already in its history file and the old list on disk is intact, so the
        // round goes on after telling the user.
        m_services.dialogs.message(this, FailureTexts::text(saved), FailureTexts::title(saved),
                                   MessageIcon::Warning);
    }

    resetEntry();
    if (k < last) {
        setBackColor(UiStyle::paletteColor(s_flashColorIndex));
        ZRVM::Pause(0.1f, m_services.clock, m_services.events);
        setBackColor(m_buttonFace);
        markItemLabel(lblSnd(k), false);
        ZRVM::currentItem = qint16(k + 1);
        ShowCurrentItem();
    } else {
        // No item is current once the round is over; the settings window tells a screen reader.
        ZRVM::currentItem = 0;
        m_services.windows.unload(this);
        m_services.windows.show(AppWindow::Settings);
    }
    stepFlashColorIndex();
}

void frmMain::stepFlashColorIndex()
{
    ++s_flashColorIndex;
    if (s_flashColorIndex == 7)
        s_flashColorIndex = 9;
    if (s_flashColorIndex == 16)
        s_flashColorIndex = 0;
}

void frmMain::cmdCut_Click()
{
    if (m_busy)
        return;
    m_services.windows.unload(this);
    m_services.windows.show(AppWindow::Settings);
}

void frmMain::hsbKaisu_Change()
{
    txtKaisu->setText(QString::number(hsbKaisu->value()));
}

void frmMain::hsbKaisu_Scroll()
{
    // While the thumb is dragged the value follows the thumb only after this notification.
    txtKaisu->setText(QString::number(hsbKaisu->sliderPosition()));
}

void frmMain::txtKaisu_KeyPress(qint16 &keyAscii)
{
    if (keyAscii == 13)
        cmdNext_Click();
}

bool frmMain::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    auto *key = static_cast<QKeyEvent *>(event);
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (watched == txtKaisu) {
        qint16 keyAscii = enter ? 13 : 0;
        if (!enter && !key->text().isEmpty())
            keyAscii = qint16(key->text().at(0).unicode());
        if (keyAscii != 0)
            txtKaisu_KeyPress(keyAscii);
        // The key goes on to the text box unchanged.
        return false;
    }
    if (watched == hsbKaisu && (key->key() == Qt::Key_Left || key->key() == Qt::Key_Right)) {
        // The toolkit's horizontal scroll bars step down on Right and up on Left; the count
        // goes up to the right, as the arrows on the bar show.
        hsbKaisu->triggerAction(key->key() == Qt::Key_Right ? QAbstractSlider::SliderSingleStepAdd
                                                            : QAbstractSlider::SliderSingleStepSub);
        return true;
    }
    if ((watched == cmdNext || watched == cmdCut) && enter) {
        // Space is the toolkit's own; Enter activates the focused button as well.
        if (!key->isAutoRepeat())
            static_cast<QAbstractButton *>(watched)->click();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void frmMain::closeEvent(QCloseEvent *event)
{
    if (m_busy) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}
