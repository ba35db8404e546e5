// SPDX-License-Identifier: MIT
#pragma once

#include <QTest>
#include <cstddef>

// A test table is an array of rows whose first field is the name: one data row each.
template <class Row, std::size_t N> void AddRows(const Row (&rows)[N])
{
    QTest::addColumn<int>("row");
    for (int i = 0; i < int(N); ++i)
        QTest::newRow(rows[i].name) << i;
}
template <class Row, std::size_t N> const Row &CurrentRow(const Row (&rows)[N])
{
    return rows[*static_cast<int *>(QTest::qData("row", QMetaType::Int))];
}
