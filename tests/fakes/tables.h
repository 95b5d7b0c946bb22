#pragma once

#include "fakes/samples.h"

#include <QtTest>

// A data-driven test's rows kept in a file of the tests' data: a row a line, its name and then
// one cell a column, separated by tabs, with \t, \n, \r and \\ written as escapes. Blank lines
// and lines that start with # are left out.
// The columns' names are literals: the test table keeps the pointers.
inline void addTableRows(const QString &file, std::initializer_list<const char *> columns) {
    for (const char *column : columns)
        QTest::addColumn<QString>(column);
    const QString text = QString::fromUtf8(testData(file));
    for (const QString &line : text.split(QLatin1Char('\n'))) {
        if (line.trimmed().isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        QStringList cells;
        for (const QString &cell : line.split(QLatin1Char('\t'))) {
            QString value;
            for (int i = 0; i < cell.size(); ++i) {
                const QChar c = cell.at(i);
                if (c != QLatin1Char('\\') || i + 1 == cell.size()) {
                    value += c;
                    continue;
                }
                const QChar next = cell.at(++i);
                value += next == QLatin1Char('t')   ? QChar('\t')
                         : next == QLatin1Char('n') ? QChar('\n')
                         : next == QLatin1Char('r') ? QChar('\r')
                                                    : next;
            }
            cells << value;
        }
        QTestData &row = QTest::newRow(qPrintable(cells.takeFirst()));
        for (int column = 0; column < int(columns.size()); ++column)
            row << cells.value(column);
    }
}

// A cell that holds a list: its items separated by " | ", none when it is empty.
inline QStringList cellItems(const QString &cell) {
    return cell.isEmpty() ? QStringList() : cell.split(QStringLiteral(" | "));
}
