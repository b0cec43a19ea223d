#pragma once

#include "failuretexts.h"

#include <QWidget>

class HistoryModel;
class IoStatus;
struct Services;
class QComboBox;
class QLabel;
class QLineEdit;
class QListView;
class QListWidget;
class QToolButton;

// The settings window: histories and item management, and the ways out to a new round, the
// help file or the end of the program.
class frmSettei : public QWidget
{
    Q_OBJECT
public:
    explicit frmSettei(Services &services, QWidget *parent = nullptr);

    void Form_Load();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void cboKoumoku_Click(int index);
    void lstKoumoku_Click(int row);
    void cmdNew_Click();
    void cmdHozon_Click();
    void cmdClear_Click();
    void cmdDel_Click();
    void cmdAgain_Click();
    void cmdHelp_Click();
    void cmdEnd_Click();

    void createControls();
    void connectControls();
    void ShowHistory();
    void fillItemLists();
    int selectedRow() const;
    // The item chosen in lstKoumoku, or 0 after showing why there is none.
    int chosenItem();
    bool refusedName(const QString &name);
    QString askTarget();
    bool warn(const QString &text, const QString &title);
    void inform(const QString &text, const QString &title);
    // The chosen item after the user confirmed "<its name><question>", or 0.
    int confirmChosen(const QString &question);
    void failed(const IoStatus &status);
    void failedRewrite(const IoStatus &status);
    void showItems();

    Services &m_services;
    QString m_helpPath;
    qint16 m_selectedItem = 0;
    bool m_filling = false;
    bool m_centred = false;
    DamagedLineNotice m_damagedLine;

    QToolButton *cmdAgain = nullptr;
    QToolButton *cmdNew = nullptr;
    QToolButton *cmdHozon = nullptr;
    QToolButton *cmdClear = nullptr;
    QToolButton *cmdDel = nullptr;
    QToolButton *cmdHelp = nullptr;
    QToolButton *cmdEnd = nullptr;
    QComboBox *cboKoumoku = nullptr;
    QListWidget *lstKoumoku = nullptr;
    QLineEdit *txtKaisu = nullptr;
    QLineEdit *txtKoumoku = nullptr;
    QListView *lstRireki = nullptr;
    HistoryModel *m_rireki = nullptr;
    QLabel *lblGoukei = nullptr;
};
