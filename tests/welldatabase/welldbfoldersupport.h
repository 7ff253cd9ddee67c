#pragma once

#include "testenvironment.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QTest>

/// Every file of a folder with the SHA-256 of its bytes: what a failed load
/// must leave exactly as it was (names of new files show up too).
inline QMap<QString, QByteArray> folderChecksums(const QString& folder)
{
    QMap<QString, QByteArray> checksums;
    for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        QFile file(folder + QLatin1Char('/') + name);
        QCryptographicHash hash(QCryptographicHash::Sha256);
        if (file.open(QIODevice::ReadOnly))
            hash.addData(&file);
        checksums.insert(name, hash.result().toHex());
    }
    return checksums;
}

/// Another process holding an exclusive lock on a database file (the helper
/// welldblockholder), for as long as this object lives or for a given time.
class LockHolder
{
public:
    /// Starts the holder and waits until it holds the lock; holdMilliseconds < 0: until destroyed.
    bool start(const QString& databaseFile, int holdMilliseconds = -1)
    {
        QStringList arguments{databaseFile};
        if (holdMilliseconds >= 0)
            arguments.append(QString::number(holdMilliseconds));
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(TestEnvironment::binaryPath() + QStringLiteral("/welldblockholder"), arguments);
        if (!m_process.waitForStarted(10000))
            return false;
        return QTest::qWaitFor(
            [this] {
                m_process.waitForReadyRead(50);
                m_output += m_process.readAllStandardOutput();
                return m_output.contains("LOCKED") || m_process.state() == QProcess::NotRunning;
            },
            20000)
               && m_output.contains("LOCKED");
    }
    ~LockHolder()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(10000);
        }
    }

private:
    QProcess m_process;
    QByteArray m_output;
};
