// The two halves of scripts/crash-states.sh. "act" runs one command in the real windows, in the
// current folder, the way a user clicks it; "load" prints what the program reads from the
// current folder. Two marks in the system calls, failed look-ups of names that cannot exist,
// tell the script where the command's writes begin and when the window showed it as done.
#include "history.h"
#include "historyindex.h"
#include "itemlist.h"
#include "windows.h"

#include <QApplication>
#include <QDir>
#include <QMap>
#include <cstdio>
#include <unistd.h>

namespace {

void mark(const char *what)
{
    ::access((QByteArray("/nonexistent-zorvex-mark/") + what).constData(), F_OK);
}

// act next COUNT | register NAME TARGET | save ROW TARGET | clear ROW | delete ROW
int act(const QStringList &args)
{
    // The button, and the boxes up to the one that says the command is done.
    const QMap<QString, std::pair<const char *, QStringList>> commands {
        {"next", {"cmdNext", {}}},
        {"register", {"cmdNew", {"新規登録終了"}}},
        {"save", {"cmdHozon", {"設定更新終了"}}},
        {"clear", {"cmdClear", {"クリア確認", "クリア終了"}}},
        {"delete", {"cmdDel", {"クリア確認", "削除終了"}}},
    };
    const auto [button, done] = commands.value(args.value(0));
    if (!button)
        return 2;
    Run run;
    if (args[0] == "next") {
        run.counting.Form_Load();
        run.counting.findChild<QLineEdit *>("txtKaisu")->setText(args.value(1));
    } else if (run.openSettings()) {
        // The same steps for every command; each uses those it needs.
        run.fs.inputAnswers << args.mid(1);
        run.pick(args.value(1).toInt());
        run.type("txtKaisu", args.value(2));
    }
    mark("begin");
    run.click(button);
    if (run.fs.titles() != texts(done)) {
        for (const Box &box : run.fs.boxes)
            std::fprintf(stderr, "box: %s\n", qPrintable(box.title));
        return 1;
    }
    mark("shown");
    return 0;
}

QByteArray hex(const QString &text)
{
    return text.toUtf8().toHex();
}

// One line per item, then one per record of each item's history and of each name given (a
// history whose item is gone); names and texts in hex, so that any byte shows.
void load(const QStringList &names)
{
    ItemTable table;
    if (const IoStatus loaded = ItemList::load(table); !loaded.ok()) {
        std::printf("list unreadable\n");
        return;
    }
    QStringList histories = names;
    for (const Item &item : table.items()) {
        std::printf("item %s %d\n", hex(item.name).constData(), int(item.target));
        if (!histories.contains(item.name))
            histories << item.name;
    }
    for (const QString &name : histories) {
        const History::ReadResult read = History::read(name);
        HistoryIndex index;
        const bool indexed = index.read(name).ok();
        if (!read.status.ok() || !indexed || index.size() != read.records.size()) {
            std::printf("history %s unreadable\n", hex(name).constData());
            continue;
        }
        for (const History::Record &r : read.records)
            std::printf("record %s %s %s %s\n", hex(name).constData(), hex(r.date).constData(),
                        hex(r.time).constData(), hex(r.count).constData());
    }
}

// load [--also NAME]... FOLDER...: each folder's reading follows a line "folder FOLDER".
int loadFolders(QStringList args)
{
    QStringList names;
    while (args.size() >= 2 && args.first() == "--also") {
        args.removeFirst();
        names << args.takeFirst();
    }
    for (const QString &folder : args) {
        if (!QDir::setCurrent(folder))
            return 2;
        std::printf("folder %s\n", qPrintable(folder));
        load(names);
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const QString mode = args.isEmpty() ? QString() : args.takeFirst();
    if (mode == "act")
        return act(args);
    if (mode == "load")
        return loadFolders(args);
    std::fprintf(stderr,
                 "usage: crash_tool act COMMAND ARGS... | load [--also NAME]... FOLDER...\n");
    return 2;
}
