#include "zrsqltablestructure.h"

#include <QByteArray>

#include <cmath>

ZRSQLTableStructure::ZRSQLTableStructure(const QString& name, bool autoIncrement)
    : m_name(name)
    , m_autoIncrement(autoIncrement)
{
}

ZRSQLTableStructure& ZRSQLTableStructure::addColumn(const QString& name, ColumnKind kind, bool nullable, bool unique)
{
    m_columns.append(Column{name, kind, nullable, unique});
    return *this;
}

int ZRSQLTableStructure::columnIndex(const QString& name) const
{
    for (int i = 0; i < m_columns.size(); ++i) {
        if (m_columns[i].name == name)
            return i;
    }
    return -1;
}

QString ZRSQLTableStructure::keyColumnText() const
{
    return m_autoIncrement ? QStringLiteral("ID integer primary key autoincrement unique")
                           : QStringLiteral("ID integer primary key unique");
}

QString ZRSQLTableStructure::typeWord(ColumnKind kind)
{
    switch (kind) {
    case Real:
        return QStringLiteral(" REAL ");
    case Integer:
    case Boolean:
        return QStringLiteral(" INTEGER ");
    case Text:
        return QStringLiteral(" TEXT ");
    case Binary:
        return QStringLiteral(" BLOB ");
    }
    return QStringLiteral(" TEXT ");
}

QString ZRSQLTableStructure::columnText(const Column& column)
{
    QString text = column.name + typeWord(column.kind);
    if (!column.nullable)
        text += QStringLiteral(" NOT NULL ");
    if (column.unique)
        text += QStringLiteral(" UNIQUE ");
    return text;
}

QString ZRSQLTableStructure::createStatement() const
{
    QString statement = QStringLiteral("create table ") + m_name + QStringLiteral(" (") + keyColumnText();
    for (const Column& column : m_columns)
        statement += QLatin1Char(',') + columnText(column);
    statement += QStringLiteral(");");
    return statement;
}

QString ZRSQLTableStructure::insertStatement(qint64 id, const QVector<QVariant>& values) const
{
    QString statement;
    statement.reserve(64 + m_columns.size() * 24);
    statement += QStringLiteral("insert OR REPLACE INTO ");
    statement += m_name;
    statement += QStringLiteral(" (ID");
    for (const Column& column : m_columns) {
        statement += QLatin1Char(',');
        statement += column.name;
    }
    statement += QStringLiteral(") values (");
    statement += QString::number(id);
    for (int i = 0; i < m_columns.size(); ++i) {
        statement += QLatin1Char(',');
        statement += sqlLiteral(i < values.size() ? values[i] : QVariant(), m_columns[i].kind);
    }
    statement += QStringLiteral(");");
    return statement;
}

QString ZRSQLTableStructure::selectStatement() const
{
    QString statement = QStringLiteral("SELECT ID");
    for (const Column& column : m_columns)
        statement += QLatin1Char(',') + column.name;
    statement += QStringLiteral(" FROM ") + m_name + QStringLiteral(" ORDER BY ID;");
    return statement;
}

QString ZRSQLTableStructure::deleteStatement(qint64 id) const
{
    return QStringLiteral("Delete From ") + m_name + QStringLiteral(" where(ID=") + QString::number(id)
           + QStringLiteral(");");
}

QString ZRSQLTableStructure::sqlLiteral(const QVariant& value, ColumnKind kind)
{
    if (!value.isValid() || value.isNull())
        return QStringLiteral("NULL");
    switch (kind) {
    case Real: {
        bool ok = false;
        const double number = value.toDouble(&ok);
        if (!ok || std::isnan(number))
            return QStringLiteral("NULL");
        if (std::isinf(number))
            return number > 0 ? QStringLiteral("9e999") : QStringLiteral("-9e999");
        return QString::number(number, 'g', 17);
    }
    case Integer:
    case Boolean: {
        bool ok = false;
        const qlonglong number = value.toLongLong(&ok);
        return ok ? QString::number(number) : QStringLiteral("NULL");
    }
    case Binary:
        return QStringLiteral("X'") + QString::fromLatin1(value.toByteArray().toHex()) + QLatin1Char('\'');
    case Text:
        break;
    }
    QString text = value.toString();
    text.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + text + QLatin1Char('\'');
}
