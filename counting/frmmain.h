#pragma once

#include "failuretexts.h"

#include <QColor>
#include <QWidget>
#include <array>

struct Services;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;
class QToolButton;

// The counting window: runs one round over the items.
class frmMain : public QWidget
{
    Q_OBJECT
public:
    explicit frmMain(Services &services, QWidget *parent = nullptr);

    void Form_Load();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void cmdNext_Click();
    void cmdCut_Click();
    void hsbKaisu_Change();
    void hsbKaisu_Scroll();
    void txtKaisu_KeyPress(qint16 &keyAscii);

    void createControls();
    void connectControls();
    void ShowCurrentItem();
    void resetEntry();
    QLabel *lblSnd(int index) const;
    // The items a round walks through: no more than there are labels for.
    int roundLength() const;
    void setBackColor(const QColor &color);
    static void stepFlashColorIndex();

    Services &m_services;
    QColor m_buttonFace;
    // Set while Next runs: the flash lets input through, and none of it may start another Next,
    // leave the round or close the window under the running handler.
    bool m_busy = false;

    QLabel *lblKoumoku = nullptr;
    QLineEdit *txtKaisu = nullptr;
    QToolButton *cmdNext = nullptr;
    QScrollBar *hsbKaisu = nullptr;
    QLabel *lblKaisu = nullptr;
    std::array<QLabel *, 21> m_lblSnd {}; // members 1 to 20; there is no member 0
    QPushButton *cmdCut = nullptr;

    // Outlives every load of the window within one run.
    static qint16 s_flashColorIndex;
    DamagedLineNotice m_damagedLine;
};
