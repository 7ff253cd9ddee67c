#pragma once

#include <QRegExp>
#include <QSortFilterProxyModel>
#include <QTimer>

/// The catalogue pages' shared filter: a row passes when any of its source
/// columns, hidden ones included, contains text matching the wildcard pattern
/// (case-insensitive). Typed text takes effect 100 ms after the last change.
class ZROpenworksSortFilterProxyModel : public QSortFilterProxyModel
{
    Q_OBJECT
public:
    static constexpr int FilterDelayMs = 100;

    explicit ZROpenworksSortFilterProxyModel(QObject* parent = nullptr);

    QString filterPattern() const { return m_pattern.pattern(); }

public slots:
    /// Stores the text and (re)starts the delay.
    void setPendingFilter(const QString& text);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;
    bool filterAcceptsColumn(int sourceColumn, const QModelIndex& sourceParent) const override;

private:
    void applyPendingFilter();

    QTimer m_timer;
    QString m_pendingFilter;
    QRegExp m_pattern;
};
