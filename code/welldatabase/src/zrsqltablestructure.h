#pragma once

#include <QString>
#include <QVariant>
#include <QVector>

/// Description of one table of the well database: its name, its key column "ID"
/// and its other columns. Turns itself into the SQL statements that create,
/// fill, read and clean the table.
class ZRSQLTableStructure
{
public:
    enum ColumnKind
    {
        Real,
        Integer,
        Boolean,
        Text,
        Binary
    };

    struct Column
    {
        QString name;
        ColumnKind kind = Text;
        bool nullable = true;
        bool unique = false;
    };

    ZRSQLTableStructure() = default;
    ZRSQLTableStructure(const QString& name, bool autoIncrement = false);

    /// Adds a column after the ones already added; returns *this for chaining.
    ZRSQLTableStructure& addColumn(const QString& name, ColumnKind kind, bool nullable, bool unique = false);

    const QString& name() const { return m_name; }
    bool isAutoIncrement() const { return m_autoIncrement; }
    const QVector<Column>& columns() const { return m_columns; }
    /// Index of a column (not counting "ID"), or -1.
    int columnIndex(const QString& name) const;

    /// "ID integer primary key unique" (or "... autoincrement unique").
    QString keyColumnText() const;
    /// The SQL type word of a kind with its blanks: " REAL ", " INTEGER ", " TEXT ", " BLOB ".
    static QString typeWord(ColumnKind kind);
    /// One column's declaration: name, type word, " NOT NULL " unless nullable, " UNIQUE " if unique.
    static QString columnText(const Column& column);

    /// "create table NAME (ID ...,col1 ...,col2 ...);"
    QString createStatement() const;
    /// "insert OR REPLACE INTO NAME (ID,col1,...) values (id,v1,...);" where values holds
    /// one value per column in column order; a null or invalid variant writes NULL.
    QString insertStatement(qint64 id, const QVector<QVariant>& values) const;
    /// "SELECT ID,col1,... FROM NAME ORDER BY ID;" (the key is column 0 of the result).
    QString selectStatement() const;
    /// "Delete From NAME where(ID=id);"
    QString deleteStatement(qint64 id) const;

    /// A value as SQL literal text for a column kind: text quoted with doubled quotes,
    /// reals with 17 significant digits (NaN becomes NULL), NULL for a null variant.
    static QString sqlLiteral(const QVariant& value, ColumnKind kind);

private:
    QString m_name;
    bool m_autoIncrement = false;
    QVector<Column> m_columns;
};
