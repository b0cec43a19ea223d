#pragma once

#include <QByteArray>
#include <QString>

// The files the benchmarks work on, made with the program's own record forms.
namespace BenchFiles {

// A history file of count records, as Next writes them.
QByteArray history(int count);
// An item list of count items: 腕立て伏せ1, 腕立て伏せ2, ...
QByteArray itemList(int count);
void write(const QString &fileName, const QByteArray &bytes);
// The name of item number (from 1) of itemList().
QString itemName(int number);

} // namespace BenchFiles
