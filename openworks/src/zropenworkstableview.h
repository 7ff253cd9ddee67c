#pragma once

#include <QLocale>
#include <QPoint>
#include <QTableView>

class QLabel;
class ZROpenworksTableModel;

/// One catalogue page: a read-only, whole-row, extended-selection table over the
/// shared filter proxy, with an overlay label for the page's empty or error
/// text, and the drag source of "application/velostrat.openworkstableitem".
class ZROpenworksTableView : public QTableView
{
    Q_OBJECT
public:
    static const char* const MimeType;

    /// Takes the category model as a child.
    ZROpenworksTableView(ZROpenworksTableModel* categoryModel, QAbstractItemModel* proxy, const QString& emptyText,
                         QWidget* parent);

    ZROpenworksTableModel* categoryModel() const { return m_categoryModel; }
    QLabel* overlay() const { return m_overlay; }

    /// The label text of a row of the proxy (empty for a model without label column).
    QString dragLabel(int proxyRow) const;

    /// The text a real cell shows: the fewest significant digits that give the
    /// value back exactly (for a single-precision value widened to double, that
    /// float), so that map coordinates a few metres apart never look alike.
    static QString realText(double value, const QLocale& locale);
    /// Applies this page's header sort indicator to the shared proxy (no
    /// indicator: the catalogue's own order).
    void applyHeaderSort();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void placeOverlay();

    ZROpenworksTableModel* m_categoryModel;
    QLabel* m_overlay;
    QPoint m_pressPosition;
};
