#pragma once

#include "zrexchangecontext.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>

/// Checks, after a transfer, that what arrived equals what left: it reads a
/// run report (ZRTransferReport) and compares each transferred item's target
/// with its source, both read again (host files from disk, OpenWorks data
/// through the DevKit), through the documented unit factors. A host file whose
/// checksum is not the one the report recorded is reported as changed after
/// the transfer, and still compared.
///
/// The context gives the host project and the open OpenWorks project the
/// report names. Differences are collected as lines for a person.
class ZRTransferVerifier
{
public:
    explicit ZRTransferVerifier(const ZRExchangeContext& context);

    /// Verifies every item of the report whose outcome says something was
    /// transferred. True when nothing differs (and the report was usable).
    bool verifyReport(const QJsonObject& report);

    /// Verifies one item of a survey import: every trace of the volume, found
    /// through the volume's bloc space at its line and trace, equals the
    /// source trace read with dm3dtr_ at that place of the survey's grid
    /// (absent traces: -9999.0), sample by sample and bit for bit, and lies at
    /// the map position intorw_ gives for that line and trace (converted to
    /// metres). True when nothing differs.
    bool verifySurveyImportItem(const QJsonObject& item);

    /// Every difference found so far, "<item>: <what differs>".
    const QStringList& differences() const { return m_differences; }
    /// What was verified or left out, one line per item.
    const QStringList& notes() const { return m_notes; }
    int itemsVerified() const { return m_itemsVerified; }

    /// At most this many differences are listed per item (then a count of the rest).
    static constexpr int MaximumListedPerItem = 10;

private:
    /// Records a difference of the item under way.
    void differ(const QString& text);
    void beginItem(const QString& name);
    void endItem();
    /// The recorded files of an item still have their checksums.
    void checkFiles(const QJsonObject& item);

    ZRExchangeContext m_context;
    QStringList m_differences;
    QStringList m_notes;
    int m_itemsVerified = 0;
    QString m_item;
    int m_itemDifferences = 0;
};
