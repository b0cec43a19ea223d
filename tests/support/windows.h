#pragma once

#include "fakes.h"
#include "frmmain.h"
#include "frmsettei.h"
#include "scratchdir.h"
#include "zrvm.h"

#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <clocale>

using Files = QMap<QString, QByteArray>; // every file of a folder with its bytes

// A German desktop writes 2,5 and 1.234,5: none of that may reach a file or a window.
inline void useGermanLocale()
{
    qputenv("LC_ALL", "de_DE.UTF-8");
    std::setlocale(LC_ALL, "de_DE.UTF-8");
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
}

// 書き込みエラー for a file whose place a pipe, a device or a folder has taken.
inline Box notAFile(const QString &file)
{
    return {.title = "書き込みエラー",
            .text = file
                + " に書き込めませんでした。\n通常のファイルではありません"
                  "（パイプ、デバイスまたはフォルダ）。"};
}

// A history file as the program writes it: one record per count, stamped by FakeServices.
inline QByteArray history(const QStringList &counts)
{
    QByteArray bytes;
    for (const QString &count : counts)
        bytes += kStamp + count.toLatin1() + "\r\n";
    return bytes;
}

// What a screen reader calls the control.
inline Text accessibleName(QWidget *control)
{
    return QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name);
}

// Both windows of one run on one set of scripted services, driven as the user drives them.
struct Run
{
    FakeServices fs;
    QWidget both;
    frmMain counting {fs.services, &both};
    frmSettei settings {fs.services, &both};

    // The settings window opened on the folder's list, as after a round.
    bool openSettings()
    {
        const bool read = ZRVM::LoadItemList().ok();
        settings.Form_Load();
        return read;
    }
    // Both windows have a txtKaisu: the settings window's is meant, as its commands read it.
    template<typename T = QWidget> T *find(const char *name) const
    {
        T *control = settings.findChild<T *>(name);
        return control ? control : counting.findChild<T *>(name);
    }
    void click(const char *button) { QMetaObject::invokeMethod(find(button), "click"); }
    // A click on the row of the item list, which fills the name and target boxes.
    void pick(int row) { find<QListWidget>("lstKoumoku")->setCurrentRow(row); }
    void type(const char *box, const QString &text) { find<QLineEdit>(box)->setText(text); }
    QString text(const char *control) const { return find(control)->property("text").toString(); }
    QStringList items() const
    {
        QStringList names;
        const auto *list = find<QListWidget>("lstKoumoku");
        for (int row = 0; row < list->count(); ++row)
            names << list->item(row)->text();
        return names;
    }
    // The lines of the history on view.
    QStringList shownHistory() const
    {
        QStringList lines;
        const QAbstractItemModel *rows = find<QListView>("lstRireki")->model();
        for (int row = 0; row < rows->rowCount(); ++row)
            lines << rows->index(row, 0).data().toString();
        return lines;
    }
    // The data files of the folder, without the user's own (names with ".txt." in them).
    static Files files()
    {
        Files out;
        for (const QString &name : ScratchDir::entries())
            if (!name.contains(".txt.") && QFileInfo(name).isFile())
                out[name] = ScratchDir::read(name);
        return out;
    }
};
