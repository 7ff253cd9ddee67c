#include "zrwelldbsavejournal.h"

#include "welldbfileops.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

namespace
{
const char* const kGenerationWord = "generation";
const char* const kReplaceWord = "replace";
const char* const kRemoveWord = "remove";

void removePendingFiles(const QString& folder)
{
    const QStringList pending =
        QDir(folder).entryList({QStringLiteral("*.saving")}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : pending)
        QFile::remove(folder + QLatin1Char('/') + name);
}
} // namespace

ZRWellDbSaveJournal::ZRWellDbSaveJournal(const QString& folder)
    : m_folder(folder)
{
}

QString ZRWellDbSaveJournal::journalFileName(const QString& folder)
{
    return folder + QStringLiteral("/wellDbSave.journal");
}

QString ZRWellDbSaveJournal::pendingFileName(const QString& target)
{
    return target + QStringLiteral(".saving");
}

void ZRWellDbSaveJournal::addReplacement(const QString& target)
{
    m_replacements.append(target);
}

void ZRWellDbSaveJournal::addRemoval(const QString& target)
{
    m_removals.append(target);
}

bool ZRWellDbSaveJournal::write(qint64 generation, QString* errorText)
{
    QString text;
    QTextStream stream(&text);
    stream << kGenerationWord << ' ' << generation << '\n';
    for (const QString& target : m_replacements)
        stream << kReplaceWord << ' ' << QFileInfo(target).fileName() << '\n';
    for (const QString& target : m_removals)
        stream << kRemoveWord << ' ' << QFileInfo(target).fileName() << '\n';
    stream.flush();

    const QString journal = journalFileName(m_folder);
    const QString temporary = journal + QStringLiteral(".saving");
    QFile file(temporary);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        if (errorText)
            *errorText = file.errorString();
        return false;
    }
    const QByteArray bytes = text.toUtf8();
    const bool written = file.write(bytes) == bytes.size() && file.flush();
    file.close();
    if (!written || file.error() != QFileDevice::NoError || !welldb::replaceFile(temporary, journal)) {
        if (errorText)
            *errorText = file.errorString();
        QFile::remove(temporary);
        return false;
    }
    return true;
}

bool ZRWellDbSaveJournal::completeReplacements(QString* errorText, const std::function<void()>& progress)
{
    for (const QString& target : m_replacements) {
        if (!welldb::replaceFile(pendingFileName(target), target)) {
            if (errorText)
                *errorText = target;
            return false;
        }
        if (progress)
            progress();
    }
    return true;
}

void ZRWellDbSaveJournal::finish()
{
    QFile::remove(journalFileName(m_folder));
}

void ZRWellDbSaveJournal::discard()
{
    for (const QString& target : m_replacements)
        QFile::remove(pendingFileName(target));
    QFile::remove(journalFileName(m_folder));
    removePendingFiles(m_folder);
}

ZRWellDbSaveJournal::Recovery ZRWellDbSaveJournal::recover(const QString& folder, qint64 committedGeneration)
{
    const QString journal = journalFileName(folder);
    QFile file(journal);
    if (!file.exists()) {
        removePendingFiles(folder);
        return NothingToRecover;
    }
    qint64 generation = -1;
    QStringList replacements;
    QStringList removals;
    if (file.open(QIODevice::ReadOnly)) {
        const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        for (const QString& line : lines) {
            const int blank = line.indexOf(QLatin1Char(' '));
            if (blank <= 0)
                continue;
            const QString word = line.left(blank);
            const QString value = line.mid(blank + 1);
            if (word == QLatin1String(kGenerationWord))
                generation = value.toLongLong();
            else if (word == QLatin1String(kReplaceWord) && !value.contains(QLatin1Char('/')))
                replacements.append(folder + QLatin1Char('/') + value);
            else if (word == QLatin1String(kRemoveWord) && !value.contains(QLatin1Char('/')))
                removals.append(folder + QLatin1Char('/') + value);
        }
        file.close();
    }

    Recovery result = RolledBack;
    if (generation >= 0 && generation == committedGeneration) {
        result = RolledForward;
        for (const QString& target : replacements) {
            const QString pending = pendingFileName(target);
            if (QFile::exists(pending) && !welldb::replaceFile(pending, target))
                return RolledForward; // journal kept: a later run tries again
        }
        for (const QString& target : removals)
            QFile::remove(target);
    }
    removePendingFiles(folder);
    QFile::remove(journal);
    return result;
}
