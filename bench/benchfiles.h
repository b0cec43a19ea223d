#pragma once

#include <QByteArray>
#include <QString>

// The files the benchmarks work on, made with the program's own record forms.
namespace BenchFiles {

// A history file of count records, as Next writes them.
QByteArray history(int count);
// An item list of count items.
QByteArray itemList(int count);
void write(const QString &fileName, const QByteArray &bytes);
// The item name whose history the benchmarks read.
QString itemName();

} // namespace BenchFiles
